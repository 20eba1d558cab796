#pragma once
// A window system for headless grid tests: every control gets a peer that records what it
// is asked to repaint and scroll, bitmaps draw on recording devices whose font is `charWidth`
// pixels wide and 13 high, and posted messages wait in a queue the test delivers.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/Backend.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/Controls.h"
#include "platform/ui/MessageQueue.h"

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

}  // namespace gridtest
