// The data-aware rich edit over a temporary SQLite file read through the ADO query: an RTF
// blob shows its formatted text, a plain memo its text, record after record.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "editctrls/gkDBRichEdit.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/Fields.h"
#include "platform/ui/Forms.h"
#include "platform/ui/qt/QtUi.h"

namespace {

using namespace editctrls;

TEST(RichEditSqlite, ReadsRtfBlobsThroughTheAdoQuery)
{
    ui::qt::Install();
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("gw-richedit-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "notes.db").string();
    std::FILE* created = std::fopen(file.c_str(), "wb");  // an empty file is an empty database
    ASSERT_NE(created, nullptr);
    std::fclose(created);
    {
        db::TADOConnection conn{nullptr};
        conn.SetLoginPrompt(false);
        conn.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + file));
        conn.Open();
        db::TADOQuery query{nullptr};
        query.SetConnection(&conn);
        for (const char* sql : {"CREATE TABLE notes (id INTEGER PRIMARY KEY, body TEXT)",
                                "INSERT INTO notes VALUES (1, '{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 {\\b Bold} and "
                                "caf\\''e9\\par second}')",
                                "INSERT INTO notes VALUES (2, 'just text')"}) {
            query.SQL()->SetText(sql);
            query.ExecSQL();
        }
        db::TDataSource source{nullptr};
        query.SQL()->SetText("SELECT id, body FROM notes ORDER BY id");
        source.SetDataSet(&query);
        ui::TForm form(nullptr);
        auto* edit = new TgkDBRichEdit(&form);
        edit->SetParent(&form);
        edit->SetDataSource(&source);
        edit->SetDataField("body");
        query.Open();
        ASSERT_NE(edit->Field(), nullptr);
        EXPECT_TRUE(edit->Field()->IsBlob());
        EXPECT_EQ(edit->PlainTextContent(), "Bold and caf\xC3\xA9\r\nsecond");
        edit->SetSel(0, 4);
        EXPECT_TRUE(edit->SelectionHasStyle(0));
        query.Next();
        EXPECT_EQ(edit->PlainTextContent(), "just text");
        query.Close();
        conn.Close();
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
