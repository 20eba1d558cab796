#pragma once
// A window system for headless grid tests: every control gets a peer that records what it
// is asked to repaint and scroll, bitmaps draw on recording devices whose font is `charWidth`
// pixels wide and 13 high, and posted messages wait in a queue the test delivers.

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/ActnList.h"
#include "platform/ui/Backend.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Controls.h"
#include "platform/ui/MessageQueue.h"
#include "platform/db/DataSet.h"
#include "platform/ui/Forms.h"
#include "tests/db/MemDataSet.h"

namespace gridtest {

class TFakeWindowSystem : public ui::IWindowSystem {
public:
    explicit TFakeWindowSystem(int charWidth = 7) : charWidth_(charWidth), measure_(charWidth, 13, 3)
    {
        previous_ = ui::SetWindowSystem(this);
    }
    ~TFakeWindowSystem() override { ui::SetWindowSystem(previous_); }

    // What each control's peer was asked: "invalidate all", "invalidate l,t,r,b",
    // "scroll dx,dy in l,t,r,b".
    std::map<const ui::TControl*, std::vector<std::string>> log;
    ui::TManualMessageQueue queue;

    std::unique_ptr<ui::IControlPeer> CreatePeer(ui::TControl& control) override
    {
        return std::make_unique<TPeer>(log[&control]);
    }
    void HandleMessage() override {}
    void ProcessMessages() override {}
    void Wake() override {}
    void Popup(ui::TPopupMenu&, int, int) override {}
    void UpdateTimer(ui::TTimer&) override {}
    void SetCursor(ui::TCursor) override {}
    std::vector<std::string> FontNames() override { return {}; }
    ui::TRect WorkArea() override { return {0, 0, 1024, 768}; }
    ui::IMessageQueue& MessageQueue() override { return queue; }
    std::unique_ptr<ui::ICanvasDevice> CreateBitmapDevice(ui::TBitmap&) override
    {
        return std::make_unique<ui::TRecordingDevice>(charWidth_, 13, 3);
    }
    ui::IFontMeasure* FontMeasure(const classes::TFont&) override { return &measure_; }

private:
    class TPeer : public ui::IControlPeer {
    public:
        explicit TPeer(std::vector<std::string>& log) : log_(log) {}
        void Changed() override {}
        void Invalidate(const ui::TRect* r) override
        {
            log_.push_back(r != nullptr ? "invalidate " + ui::FormatRect(*r) : std::string("invalidate all"));
        }
        void ScrollContents(int dx, int dy, const ui::TRect* scroll, const ui::TRect*) override
        {
            log_.push_back("scroll " + std::to_string(dx) + "," + std::to_string(dy) + " in " +
                           (scroll != nullptr ? ui::FormatRect(*scroll) : std::string("all")));
        }

    private:
        std::vector<std::string>& log_;
    };

    int charWidth_;
    ui::TFixedWidthMeasure measure_;
    ui::IWindowSystem* previous_ = nullptr;
};

// A data-set action as a library user writes one: it acts on whichever data source it is
// offered that has an open data set, moving to the next record, and keeps itself enabled
// only while there is a next record.
class TNextRecordAction : public ui::TCustomAction {
public:
    using TCustomAction::TCustomAction;
    bool HandlesTarget(classes::TObject* target) override
    {
        auto* source = dynamic_cast<db::TDataSource*>(target);
        return source != nullptr && source->DataSet() != nullptr && source->DataSet()->Active();
    }
    void ExecuteTarget(classes::TObject* target) override { Source(target)->DataSet()->Next(); }
    void UpdateTarget(classes::TObject* target) override { SetEnabled(!Source(target)->DataSet()->Eof()); }

private:
    static db::TDataSource* Source(classes::TObject* target) { return static_cast<db::TDataSource*>(target); }
};

// A form holding one grid of class `Grid` (400 x 200 at the top left) on the fake window system,
// a data source, and an in-memory data set of ID, NAME and CITY that MakeData fills.
template <class Grid>
class TGridFixture : public ::testing::Test {
public:
    explicit TGridFixture(int charWidth = 7) : ws(charWidth) {}

    void SetUp() override
    {
        ui::Application().Reset();
        form = std::make_unique<ui::TForm>(nullptr);
        form->SetBounds(0, 0, 400, 300);
        grid = new Grid(form.get());
        grid->SetParent(form.get());
        grid->SetBounds(0, 0, 400, 200);
        source = std::make_unique<db::TDataSource>(nullptr);
    }

    void TearDown() override
    {
        form.reset();
        source.reset();
        ds.reset();
    }

    template <class DS = dbtest::TMemDataSet>
    void MakeData(int rows)
    {
        ds = std::make_unique<DS>(nullptr);
        ds->columns = {{"ID", db::ftInteger}, {"NAME", db::ftString, 20}, {"CITY", db::ftString, 8}};
        for (int i = 1; i <= rows; ++i)
            ds->AddRow({db::TVariant(i), db::TVariant("name " + std::to_string(i)), db::TVariant("c" + std::to_string(i))});
        source->SetDataSet(ds.get());
    }

    void ShowAndOpen()
    {
        grid->SetDataSource(source.get());
        form->Show();
        ds->Open();
    }

    std::vector<std::string>& Log() { return ws.log[grid]; }

    TFakeWindowSystem ws;
    std::unique_ptr<ui::TForm> form;
    Grid* grid = nullptr;
    std::unique_ptr<db::TDataSource> source;
    std::unique_ptr<dbtest::TMemDataSet> ds;
};

}  // namespace gridtest
