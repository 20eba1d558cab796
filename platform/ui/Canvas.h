#pragma once
// The canvas: a pen, a brush and a font over a drawing surface. TCanvas holds the state and
// does the work that does not depend on the surface (text alignment and the current
// position, text layout of DrawText, justification, focus rectangles, clipping bookkeeping);
// an ICanvasDevice draws. The window system supplies devices for windows and off-screen
// bitmaps; TRecordingDevice writes every drawing call into a log instead, so paint order can
// be tested without a display, measuring with a fixed-width font.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/classes/Font.h"
#include "platform/rtl/Scope.h"
#include "platform/ui/FontMeasure.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Region.h"
#include "platform/ui/Types.h"

namespace ui {

class IRichDocument;

class TBitmap;

struct TSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

// Raster operations of CopyRect (CopyMode) and PatBlt, with the old desktop's codes.
using TCopyMode = std::uint32_t;
constexpr TCopyMode cmBlackness = 0x00000042;
constexpr TCopyMode cmDstInvert = 0x00550009;
constexpr TCopyMode cmMergePaint = 0x00BB0226;
constexpr TCopyMode cmNotSrcCopy = 0x00330008;
constexpr TCopyMode cmPatCopy = 0x00F00021;
constexpr TCopyMode cmPatInvert = 0x005A0049;
constexpr TCopyMode cmSrcAnd = 0x008800C6;
constexpr TCopyMode cmSrcCopy = 0x00CC0020;
constexpr TCopyMode cmSrcErase = 0x00440328;
constexpr TCopyMode cmSrcInvert = 0x00660046;
constexpr TCopyMode cmSrcPaint = 0x00EE0086;
constexpr TCopyMode cmWhiteness = 0x00FF0062;
// Destination AND NOT source (the middle step of transparent blits).
constexpr TCopyMode cmDstAndNotSrc = 0x00220326;

// Text alignment (TextAlign): one horizontal, one vertical flag, and the current-position flag.
constexpr unsigned TA_NOUPDATECP = 0;
constexpr unsigned TA_UPDATECP = 1;
constexpr unsigned TA_LEFT = 0;
constexpr unsigned TA_RIGHT = 2;
constexpr unsigned TA_CENTER = 6;
constexpr unsigned TA_TOP = 0;
constexpr unsigned TA_BOTTOM = 8;
constexpr unsigned TA_BASELINE = 24;

// DrawText flags.
constexpr unsigned DT_TOP = 0x0;
constexpr unsigned DT_LEFT = 0x0;
constexpr unsigned DT_CENTER = 0x1;
constexpr unsigned DT_RIGHT = 0x2;
constexpr unsigned DT_VCENTER = 0x4;
constexpr unsigned DT_BOTTOM = 0x8;
constexpr unsigned DT_WORDBREAK = 0x10;
constexpr unsigned DT_SINGLELINE = 0x20;
constexpr unsigned DT_EXPANDTABS = 0x40;
constexpr unsigned DT_NOCLIP = 0x100;
constexpr unsigned DT_CALCRECT = 0x400;
constexpr unsigned DT_NOPREFIX = 0x800;
constexpr unsigned DT_END_ELLIPSIS = 0x8000;
constexpr unsigned DT_WORD_ELLIPSIS = 0x40000;

// The pen and the brush as a device receives them.
struct TPenSpec {
    rtl::TColor Color = rtl::clBlack;  // resolved to RGB
    int Width = 1;
    TPenStyle Style = psSolid;
    TPenMode Mode = pmCopy;
};
struct TBrushSpec {
    rtl::TColor Color = rtl::clWhite;  // resolved to RGB
    TBrushStyle Style = bsSolid;
};

// A drawing surface. Coordinates are the canvas's; colours arrive resolved to RGB. Lines
// follow LineTo: the last point of a polyline is not drawn. Rectangles exclude their right
// and bottom edges.
class ICanvasDevice {
public:
    virtual ~ICanvasDevice() = default;

    virtual void Polyline(const std::vector<TPoint>& points, const TPenSpec& pen) = 0;
    virtual void Polygon(const std::vector<TPoint>& points, const TPenSpec& pen, const TBrushSpec& brush) = 0;
    virtual void Rectangle(const TRect& r, const TPenSpec& pen, const TBrushSpec& brush) = 0;
    virtual void Ellipse(const TRect& r, const TPenSpec& pen, const TBrushSpec& brush) = 0;
    virtual void FillRect(const TRect& r, const TBrushSpec& brush) = 0;
    virtual void FillRegion(const TRegion& region, const TBrushSpec& brush) = 0;
    // PatBlt: cmPatCopy, cmPatInvert (with the brush), cmDstInvert, cmBlackness, cmWhiteness.
    virtual void PatBlt(const TRect& r, TCopyMode rop, const TBrushSpec& brush) = 0;
    // One run of text whose cell's top-left corner is (x, y), in `font` and `color`; the cell
    // is filled with `background` first unless it is nullptr; `clip` limits it when set.
    virtual void Text(int x, int y, std::string_view text, const classes::TFont& font, rtl::TColor color,
                      const rtl::TColor* background, const TRect* clip) = 0;
    virtual IFontMeasure& Measure(const classes::TFont& font) = 0;
    // Copies `src` of `source` onto `dest` (scaled when the sizes differ).
    virtual void CopyFrom(const TRect& dest, ICanvasDevice& source, const TRect& src, TCopyMode rop) = 0;
    // Draws 0xAARRGGBB pixels (width x height, row by row): `src` of them onto `dest`. With
    // a transparent colour, pixels of that RGB colour are left out.
    virtual void DrawPixels(const TRect& dest, int width, int height, const std::uint32_t* pixels, const TRect& src,
                            const rtl::TColor* transparent) = 0;
    // clNone when the device cannot tell (a window) or the point is outside.
    virtual rtl::TColor Pixel(int x, int y) = 0;
    virtual void SetPixel(int x, int y, rtl::TColor color) = 0;
    // nullptr: no clipping.
    virtual void SetClip(const TRegion* clip) = 0;
    // The canvas now maps x to width - x (0: plain mapping again); drawing calls arrive
    // already mapped, so a device only takes note.
    virtual void MirrorChanged(int /*width*/) {}
    // Draws a formatted text laid out at r's width, clipped to r (a device that cannot draws
    // nothing).
    virtual void RichText(const TRect& /*r*/, IRichDocument& /*document*/) {}
};

// The measure of a font: the window system's (which caches character widths), else a shared
// fixed-width stand-in.
IFontMeasure& MeasureFont(const classes::TFont& font);


// What SaveState takes from a canvas and RestoreState puts back: pen, brush, font, pen
// position, copy mode, text alignment and clipping (not the device).
struct TCanvasState {
    TPen pen;
    TBrush brush;
    classes::TFont font;
    TPoint penPos;
    TCopyMode copyMode = 0;
    unsigned textAlign = 0;
    bool clipped = false;
    TRegion clip;
};

class TCanvas {
public:
    explicit TCanvas(ICanvasDevice* device = nullptr);
    virtual ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // The surface; without one drawing does nothing and text is measured in a fixed-width
    // font (or the window system's measure of the font when there is one).
    ICanvasDevice* Device() const noexcept { return device_; }
    void SetDevice(ICanvasDevice* device);
    // Mirrored mapping for right-to-left drawing: x is drawn at width - x (a rectangle's
    // edges swap; text runs keep their reading order). 0 switches back to the plain mapping.
    // Setting another device ends it.
    void SetMirrored(int width);
    int MirrorWidth() const noexcept { return mirrorWidth_; }
    bool HandleAllocated() const noexcept { return device_ != nullptr; }

    TPen* Pen() noexcept { return &pen_; }
    TBrush* Brush() noexcept { return &brush_; }
    classes::TFont* Font() noexcept { return &font_; }
    void SetFont(const classes::TFont& font) { font_.Assign(font); }

    TPoint PenPos() const noexcept { return penPos_; }
    void SetPenPos(TPoint p) noexcept { penPos_ = p; }
    TCopyMode CopyMode() const noexcept { return copyMode_; }
    void SetCopyMode(TCopyMode mode) noexcept { copyMode_ = mode; }
    unsigned TextAlign() const noexcept { return textAlign_; }
    void SetTextAlign(unsigned flags) noexcept { textAlign_ = flags; }
    // SetTextJustification: `extra` pixels spread over the next `breaks` blanks that TextOut
    // draws (and TextExtent measures); 0, 0 turns it off.
    void SetTextJustification(int extra, int breaks);

    // ---- Saved state -----------------------------------------------------------------------
    void SaveState(TCanvasState& state) const;
    void RestoreState(const TCanvasState& state);
    // Saves the state now and restores it when the scope is left, by return or exception:
    //   auto saved = canvas.SaveScope();  canvas.Brush()->SetColor(...);  ...
    [[nodiscard]] auto SaveScope()
    {
        auto state = std::make_unique<TCanvasState>();
        SaveState(*state);
        return rtl::TScopeExit([this, state = std::move(state)] { RestoreState(*state); });
    }

    // ---- Lines and shapes --------------------------------------------------------------
    void MoveTo(int x, int y) noexcept { penPos_ = {x, y}; }
    void LineTo(int x, int y);
    void Polyline(const std::vector<TPoint>& points);
    void Polygon(const std::vector<TPoint>& points);
    void Rectangle(const TRect& r);
    void Rectangle(int x1, int y1, int x2, int y2) { Rectangle(TRect{x1, y1, x2, y2}); }
    void Ellipse(const TRect& r);
    // Fills with the brush (nothing with bsClear).
    void FillRect(const TRect& r);
    // A one-pixel border in the brush colour.
    void FrameRect(const TRect& r);
    void FillRegion(const TRegion& region);
    // The dotted focus frame, drawn inverting (a second call removes it).
    void DrawFocusRect(const TRect& r);
    void InvertRect(const TRect& r) { PatBlt(r, cmDstInvert); }
    void PatBlt(const TRect& r, TCopyMode rop);

    // ---- Text ------------------------------------------------------------------------------
    // Draws at (x, y) placed by TextAlign (with TA_UPDATECP at the current position instead,
    // which moves on by the text's width); the background is the brush unless it is
    // bsClear. The pen position ends after the text.
    void TextOut(int x, int y, std::string_view text);
    // TextOut clipped to r (the brush fills r first unless bsClear).
    void TextRect(const TRect& r, int x, int y, std::string_view text);
    // `document` laid out at r's width and drawn into r (paint copies of rich-text controls).
    void DrawRichText(const TRect& r, IRichDocument& document);
    // DrawText: lays `text` out in `rect` by the DT_ flags and draws it (DT_CALCRECT: only
    // measures, setting rect's right and bottom). Returns the height of the text drawn.
    int DrawText(std::string_view text, TRect& rect, unsigned flags);
    TSize TextExtent(std::string_view text);
    int TextWidth(std::string_view text) { return TextExtent(text).cx; }
    int TextHeight(std::string_view text) { return TextExtent(text).cy; }
    TFontMetrics TextMetrics();
    IFontMeasure& FontMeasure();

    // ---- Pixels and copies ---------------------------------------------------------------
    rtl::TColor Pixel(int x, int y);
    void SetPixel(int x, int y, rtl::TColor color);
    // Copies `src` of `source` onto `dest` with CopyMode (or `rop`).
    void CopyRect(const TRect& dest, TCanvas& source, const TRect& src);
    void CopyRect(const TRect& dest, TCanvas& source, const TRect& src, TCopyMode rop);
    // Draws a bitmap or picture at (x, y) / scaled into r (transparently when the bitmap is
    // Transparent).
    void Draw(int x, int y, const TBitmap& bitmap);
    void StretchDraw(const TRect& r, const TBitmap& bitmap);
    void Draw(int x, int y, const TPicture& picture);
    void StretchDraw(const TRect& r, const TPicture& picture);

    // ---- Clipping ------------------------------------------------------------------------
    // The area drawing may reach (bounding rectangle); without clipping the whole bounds
    // set by SetBounds.
    TRect ClipRect() const;
    // The surface's full extent (what ClipRect answers when nothing clips).
    void SetBounds(const TRect& bounds) noexcept { bounds_ = bounds; }
    void SetClipRect(const TRect& r);
    void SetClipRegion(const TRegion* region);
    void IntersectClipRect(const TRect& r);
    void ExcludeClipRect(const TRect& r);
    bool Clipped() const noexcept { return clipped_; }
    const TRegion& ClipRegion() const noexcept { return clip_; }
    bool PtVisible(TPoint p) const;

private:
    TPenSpec PenSpec() const;
    TBrushSpec BrushSpec() const;
    // Draws one run at its cell's top-left corner, justification applied; returns its width.
    int DrawRun(int x, int y, std::string_view text, const TRect* clip, bool background);
    int RunWidth(std::string_view text, int* breaksUsed = nullptr);
    void ApplyClip();

    ICanvasDevice* device_ = nullptr;
    ICanvasDevice* plain_ = nullptr;           // the real device while mirrored
    std::unique_ptr<ICanvasDevice> mirror_;    // the mapping in front of it
    int mirrorWidth_ = 0;
    TPen pen_;
    TBrush brush_;
    classes::TFont font_;
    TPoint penPos_;
    TCopyMode copyMode_ = cmSrcCopy;
    unsigned textAlign_ = TA_LEFT | TA_TOP;
    int justExtra_ = 0;
    int justBreaks_ = 0;
    int justUsed_ = 0;
    TRegion clip_;
    bool clipped_ = false;
    TRect bounds_{0, 0, 32767, 32767};
};

// A device that writes each call into a log line, e.g. "FillRect(0,0,10,10 brush=$00FF0000)";
// it measures with a fixed-width font and remembers pixels set on it.
class TRecordingDevice : public ICanvasDevice {
public:
    explicit TRecordingDevice(int charWidth = 8, int height = 16, int descent = 4) : measure_(charWidth, height, descent) {}

    void Polyline(const std::vector<TPoint>& points, const TPenSpec& pen) override;
    void Polygon(const std::vector<TPoint>& points, const TPenSpec& pen, const TBrushSpec& brush) override;
    void Rectangle(const TRect& r, const TPenSpec& pen, const TBrushSpec& brush) override;
    void Ellipse(const TRect& r, const TPenSpec& pen, const TBrushSpec& brush) override;
    void FillRect(const TRect& r, const TBrushSpec& brush) override;
    void FillRegion(const TRegion& region, const TBrushSpec& brush) override;
    void PatBlt(const TRect& r, TCopyMode rop, const TBrushSpec& brush) override;
    void Text(int x, int y, std::string_view text, const classes::TFont& font, rtl::TColor color,
              const rtl::TColor* background, const TRect* clip) override;
    IFontMeasure& Measure(const classes::TFont& font) override;
    void CopyFrom(const TRect& dest, ICanvasDevice& source, const TRect& src, TCopyMode rop) override;
    void DrawPixels(const TRect& dest, int width, int height, const std::uint32_t* pixels, const TRect& src,
                    const rtl::TColor* transparent) override;
    rtl::TColor Pixel(int x, int y) override;
    void SetPixel(int x, int y, rtl::TColor color) override;
    void SetClip(const TRegion* clip) override;
    void MirrorChanged(int width) override;

    const std::vector<std::string>& Log() const noexcept { return log_; }
    void ClearLog() { log_.clear(); }
    TFixedWidthMeasure& FixedMeasure() noexcept { return measure_; }

private:
    void Add(std::string line) { log_.push_back(std::move(line)); }
    std::vector<std::string> log_;
    std::vector<std::pair<TPoint, rtl::TColor>> pixels_;
    TFixedWidthMeasure measure_;
};

// A canvas over its own recording device.
class TRecordingCanvas : public TCanvas {
public:
    explicit TRecordingCanvas(int charWidth = 8, int height = 16, int descent = 4)
        : recorder_(std::make_unique<TRecordingDevice>(charWidth, height, descent))
    {
        SetDevice(recorder_.get());
    }
    const std::vector<std::string>& Log() const noexcept { return recorder_->Log(); }
    void ClearLog() { recorder_->ClearLog(); }
    TRecordingDevice& Recorder() noexcept { return *recorder_; }

private:
    std::unique_ptr<TRecordingDevice> recorder_;
};

// Text forms used in the recording log: "10,20", "0,0,10,10", "$00BBGGRR".
std::string FormatRect(const TRect& r);
std::string FormatColor(rtl::TColor color);

}  // namespace ui
