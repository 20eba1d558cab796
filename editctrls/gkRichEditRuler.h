#pragma once
// The ruler of the rich-text editor window: its scale (TgkRulerPanel), its three indent
// markers (TgkTrackIcon) and the arithmetic between marker pixels and paragraph twips.
//
// Promises:
// - The scale has one unit per inch (or centimetre) of the screen's pixels per inch, each
//   divided into 8 parts (4 for centimetres); the middle tick is longer; units from 1 are
//   numbered, the number centred at its mark.
// - A marker drag is a capture state: the press takes the mouse capture, moves shift the
//   marker within MinValue..MaxValue (each only when non-zero), the release ends it and fires
//   OnEndDrag when the marker moved. Losing the capture ends the drag with the marker back
//   where it started and no OnEndDrag. Nothing waits in a loop of its own.
// - The marker bitmaps "gkRulerUp" and "gkRulerDown" are drawn here; their bottom-left pixel is
//   the transparent colour.

#include <string>
#include <vector>

#include "editctrls/gkRichEdit.h"
#include "editctrls/gkRichPrint.h"
#include "platform/ui/Bitmap.h"
#include "platform/ui/CustomControl.h"

namespace editctrls {

// ---- Scale ------------------------------------------------------------------------------------
struct TgkRulerTick {
    int x = 0, top = 0, bottom = 0;
    bool operator==(const TgkRulerTick&) const = default;
};
struct TgkRulerNumber {
    int x = 0;  // the mark the number is centred at
    std::string text;
    bool operator==(const TgkRulerNumber&) const = default;
};
struct TgkRulerScale {
    std::vector<TgkRulerTick> ticks;
    std::vector<TgkRulerNumber> numbers;
};
// The scale over `rect` (the white ruler rectangle) for `units` unit lengths.
TgkRulerScale gkRulerScale(const ui::TRect& rect, int pixelsPerInch, TgkMeasurementUnits unitsKind, int units);
// Units a ruler of `panelWidth` pixels shows: the width less 12, divided by the unit.
int gkRulerUnits(int panelWidth, int pixelsPerInch, TgkMeasurementUnits unitsKind);

// ---- Markers ----------------------------------------------------------------------------------
// Marker positions are the markers' Left in ruler pixels.
struct TgkMarkerPositions {
    int left = 0, first = 0, right = 0;
    bool operator==(const TgkMarkerPositions&) const = default;
};
enum class TgkMarker { Left, First, Right };
// The left-indent and first-line markers stay at least 48 pixels left of the right marker;
// the dragged marker is the one that gives way.
constexpr int kMarkerSeparation = 48;
TgkMarkerPositions gkKeepMarkersApart(TgkMarkerPositions p, TgkMarker dragged);

// What the ruler knows to turn marker pixels into paragraph twips and back.
struct TgkRulerGeometry {
    int pixelsPerInch = 96;
    int leftMin = 0;        // MinValue of the left-indent and first-line markers
    int markerWidth = 11;
    int editorWidth = 0;    // the editor's width (window-size editing)
    int gutterWidth = 6;
};
// The paragraph change a finished drag of `dragged` applies: start indent and offset for the
// left-indent and first-line markers, the right indent for the right marker.
TgkCustomRichEdit::ParagraphSettings gkMarkerParagraph(const TgkMarkerPositions& p, TgkMarker dragged,
                                                       const TgkRulerGeometry& g);
// Where the markers stand for a paragraph (twips: left indent of the lines after the first,
// first-line indent, right indent).
TgkMarkerPositions gkMarkersForParagraph(int leftTwips, int firstTwips, int rightTwips, const TgkRulerGeometry& g);

// Draws the marker bitmap of that name ("gkRulerUp", "gkRulerDown") into `bitmap`; false (the
// bitmap emptied) for other names.
bool gkRulerBitmap(const std::string& name, ui::TBitmap& bitmap);

// ---- Controls ---------------------------------------------------------------------------------
class TgkTrackIcon : public ui::TCustomControl {
    GW_CLASS(TgkTrackIcon)

public:
    explicit TgkTrackIcon(classes::TComponent* owner);

    const std::string& BitmapName() const noexcept { return bitmapName_; }
    // Loads the bitmap of that name and sizes the control to it.
    void SetBitmapName(const std::string& name);
    int MinValue() const noexcept { return minValue_; }
    void SetMinValue(int v) { minValue_ = v; }
    int MaxValue() const noexcept { return maxValue_; }
    void SetMaxValue(int v) { maxValue_ = v; }
    bool Dragging() const noexcept { return dragging_; }
    const ui::TBitmap& Bitmap() const noexcept { return bitmap_; }
    classes::TNotifyEvent OnEndDrag;

    void MouseDown(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void MouseMove(ui::TShiftState shift, int x, int y) override;
    void MouseUp(ui::TMouseButton button, ui::TShiftState shift, int x, int y) override;
    void Dispatch(ui::TMessage& m) override;
    // The ruler shows around the marker's shape.
    bool TransparentWindow() const override;

protected:
    void Paint() override;

private:
    void EndDrag(bool released);

    std::string bitmapName_;
    ui::TBitmap bitmap_;
    int minValue_ = 0;
    int maxValue_ = 0;
    bool dragging_ = false;
    int pressX_ = 0;      // the press, in the parent's coordinates
    int startLeft_ = 0;
};

class TgkRulerPanel : public ui::TCustomControl {
    GW_CLASS(TgkRulerPanel)

public:
    explicit TgkRulerPanel(classes::TComponent* owner);

    // The white ruler rectangle: the client area less 6 pixels left and right, 4 top and bottom.
    ui::TRect RulerRect() const;
    TgkMeasurementUnits Units() const noexcept { return units_; }
    void SetUnits(TgkMeasurementUnits u);
    int PixelsPerInch() const noexcept { return pixelsPerInch_; }
    void SetPixelsPerInch(int ppi);
    TgkTrackIcon* LeftMarker() const noexcept { return left_; }
    TgkTrackIcon* FirstMarker() const noexcept { return first_; }
    TgkTrackIcon* RightMarker() const noexcept { return right_; }
    // Places the markers (Left, in ruler pixels) and fixes their bounds for the ruler's width.
    void PlaceMarkers(const TgkMarkerPositions& p);
    TgkMarkerPositions Markers() const;
    TgkRulerScale Scale() const;

protected:
    void Paint() override;
    void Resize() override;

private:
    void UpdateMarkerBounds();

    TgkMeasurementUnits units_ = muInches;
    int pixelsPerInch_ = 96;
    TgkTrackIcon* left_ = nullptr;
    TgkTrackIcon* first_ = nullptr;
    TgkTrackIcon* right_ = nullptr;
};

}  // namespace editctrls
