// The data-aware rich edit over real databases read through the ADO query: a temporary SQLite
// file (a TEXT and a BLOB column) and the PostgreSQL test server (bytea; skipped when
// GW_PG_PORT is unset). An RTF value shows its formatted text whole, a plain one its text,
// and what the control saves, stored in the column, reads back.

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "editctrls/gkDBRichEdit.h"
#include "platform/db/AdoDataSet.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/FieldTypes.h"
#include "platform/db/Fields.h"
#include "platform/ui/Forms.h"
#include "platform/ui/qt/QtUi.h"
#include "tests/db/FrozenServer.h"

namespace {

using namespace editctrls;

// A text longer than drivers' default binary widths, so a shortened read shows.
std::string LongTail()
{
    std::string tail;
    for (int i = 0; i < 60; ++i) tail += " word" + std::to_string(i);
    return tail;
}

TEST(RichEditDatabases, ReadsAndWritesRtfInTextAndBinaryColumns)
{
    ui::qt::Install();
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("gw-richedit-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = (dir / "notes.db").string();
    std::FILE* created = std::fopen(file.c_str(), "wb");  // an empty file is an empty database
    ASSERT_NE(created, nullptr);
    std::fclose(created);
    const std::string sqlite = db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + file);
    const std::string pg = dbtest::PgInitString().value_or(std::string());
    const std::string rtf = "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f0 {\\b Bold} and caf\\'e9" + LongTail() + "\\par second}";
    const struct {
        const char* name;
        std::string connection;  // the initialisation string
        const char* column;  // the body column's declaration
        const char* value;   // how the body's value is written: %s is the quoted text
        const char* bytes;   // how bytes are written: %s is their hex digits
    } cases[] = {
        {"SQLite TEXT", sqlite, "TEXT", "%s", "CAST(X'%s' AS TEXT)"},
        {"SQLite BLOB", sqlite, "BLOB", "CAST(%s AS BLOB)", "X'%s'"},
        {"PostgreSQL bytea", pg, "bytea", "convert_to(%s, 'UTF8')", "decode('%s', 'hex')"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.connection.empty()) {
            std::printf("skipped %s: no PostgreSQL test server (GW_PG_PORT)\n", c.name);
            continue;
        }
        db::TADOConnection conn{nullptr};
        conn.SetLoginPrompt(false);
        conn.SetConnectionString(c.connection);
        conn.Open();
        db::TADOQuery query{nullptr};
        query.SetConnection(&conn);
        const auto quoted = [](const std::string& s) {
            std::string q = "'";
            for (const char ch : s) q += ch == '\'' ? std::string("''") : std::string(1, ch);
            return q + "'";
        };
        const auto value = [&](const std::string& s) {
            std::string v = c.value;
            return v.replace(v.find("%s"), 2, quoted(s));
        };
        const auto bytes = [&](const std::string& s) {
            std::string hex;
            for (const unsigned char ch : s) hex += "0123456789abcdef"[ch >> 4], hex += "0123456789abcdef"[ch & 15];
            std::string v = c.bytes;
            return v.replace(v.find("%s"), 2, hex);
        };
        for (const std::string& sql :
             {std::string("DROP TABLE IF EXISTS gw_rich_notes"),
              "CREATE TABLE gw_rich_notes (id INTEGER PRIMARY KEY, body " + std::string(c.column) + ")",
              "INSERT INTO gw_rich_notes VALUES (1, " + value(rtf) + ")",
              "INSERT INTO gw_rich_notes VALUES (2, " + value("just text") + ")"}) {
            query.SQL()->SetText(sql);
            query.ExecSQL();
        }
        db::TDataSource source{nullptr};
        query.SQL()->SetText("SELECT id, body FROM gw_rich_notes ORDER BY id");
        source.SetDataSet(&query);
        ui::TForm form(nullptr);
        auto* edit = new TgkDBRichEdit(&form);
        edit->SetParent(&form);
        edit->SetDataSource(&source);
        edit->SetDataField("body");
        query.Open();
        ASSERT_NE(edit->Field(), nullptr);
        EXPECT_TRUE(edit->Field()->IsBlob()) << db::FieldTypeName(edit->Field()->DataType());
        EXPECT_EQ(edit->PlainTextContent(), "Bold and caf\xC3\xA9" + LongTail() + "\r\nsecond");
        edit->SetSel(0, 4);
        EXPECT_TRUE(edit->SelectionHasStyle(0));
        query.Next();
        EXPECT_EQ(edit->PlainTextContent(), "just text");

        // What the control saves after an edit, stored in the column, reads back.
        TgkDBRichEdit writer(nullptr);
        writer.StreamIn(rtf);
        writer.Lines()->Add("added");
        query.Close();
        query.SQL()->SetText("UPDATE gw_rich_notes SET body = " + bytes(writer.SaveRtf()) + " WHERE id = 1");
        query.ExecSQL();
        query.SQL()->SetText("SELECT id, body FROM gw_rich_notes ORDER BY id");
        query.Open();
        EXPECT_EQ(edit->PlainTextContent(), "Bold and caf\xC3\xA9" + LongTail() + "\r\nsecond\r\nadded");
        EXPECT_EQ(edit->Field()->AsString(), writer.SaveRtf());
        edit->SetSel(0, 4);
        EXPECT_TRUE(edit->SelectionHasStyle(0));
        query.Close();
        query.SQL()->SetText("DROP TABLE gw_rich_notes");
        query.ExecSQL();
        conn.Close();
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
