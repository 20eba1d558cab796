// Escape stops the library query's filter on the Qt backend (offscreen), with real key events
// waiting: the filter goes off, every record shows, OnFilterEscape fires once, and the keys
// typed around the Escape press reach the focused control afterwards, in order.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QTest>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "grid/gkDataSets.h"
#include "platform/db/ConnectionString.h"
#include "platform/rtl/Files.h"
#include "platform/ui/CustomControl.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Messages.h"
#include "platform/ui/qt/Peers.h"
#include "platform/ui/qt/QtUi.h"

namespace {

class TKeyLog : public ui::TCustomControl {
public:
    explicit TKeyLog(classes::TComponent* owner) : TCustomControl(owner) {}
    std::string keys;

    void Dispatch(ui::TMessage& m) override
    {
        if (m.Msg == ui::WM_KEYDOWN) keys += m.WParam == ui::VK_ESCAPE ? '~' : static_cast<char>(m.WParam);
        TCustomControl::Dispatch(m);
    }
};

TEST(QtFilterEscape, EscapeSwitchesTheFilterOffAndTypedKeysArriveAfterwards)
{
    ui::qt::Install();
    ui::Application().Reset();
    auto form = std::make_unique<ui::TForm>(nullptr);
    form->SetBounds(100, 100, 200, 150);
    auto* log = new TKeyLog(form.get());
    log->SetParent(form.get());
    log->SetBounds(10, 10, 100, 80);
    form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(ui::qt::WidgetOf(*form)));
    log->SetFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ui::qt::WidgetOf(*log)->hasFocus(); }));
    ui::Application().ProcessMessages();

    const auto path = std::filesystem::temp_directory_path() / ("gw_filter_escape_" + std::to_string(::getpid()) + ".db");
    rtl::WriteStringToFile(path.string(), "");
    {
        db::TADOConnection conn(nullptr);
        conn.SetLoginPrompt(false);
        conn.SetConnectionString(db::MakeOdbcInitString("DRIVER=SQLite3;Database=" + path.string()));
        conn.Open();
        grid::TgkQuery query(nullptr);
        query.SetConnection(&conn);
        query.SQL()->SetText("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < 250) SELECT x AS id FROM c");
        query.SetOnFilterOptions({grid::ofoEnabled, grid::ofoCancelOnEscape});
        int calls = 0;
        int escapes = 0;
        query.SetOnFilter([&](grid::TgkQuery*, bool& accept) {
            ++calls;
            accept = false;
        });
        query.OnFilterEscape = [&](db::TDataSet*) { ++escapes; };

        QWidget* widget = ui::qt::WidgetOf(*log);
        for (const auto& [key, text] : std::vector<std::pair<int, QString>>{
                 {Qt::Key_X, "x"}, {Qt::Key_Escape, QString(QChar(27))}, {Qt::Key_Y, "y"}}) {
            QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier, text));
            QCoreApplication::postEvent(widget, new QKeyEvent(QEvent::KeyRelease, key, Qt::NoModifier, text));
        }
        query.Open();
        EXPECT_EQ(calls, 100);
        EXPECT_EQ(escapes, 1);
        EXPECT_FALSE(query.OnFilterOptions().Contains(grid::ofoEnabled));
        EXPECT_EQ(query.RecordCount(), 250);
        EXPECT_EQ(log->keys, "");
        ui::Application().ProcessMessages();
        EXPECT_EQ(log->keys, "XY");
        query.Close();
    }
    std::filesystem::remove(path);
    form.reset();
    ui::Application().ProcessMessages();
}

}  // namespace
