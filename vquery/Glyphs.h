#pragma once
// The field list's glyphs (filter, ascending and descending sort): small 16 x 16 pictures of
// our own, drawn on pure green ($00FF00), the colour the list treats as transparent.

#include <string>

namespace ui {
class TCanvas;
class TPicture;
}  // namespace ui

namespace vquery {

// The glyph as BMP file bytes ("FILTER_BMP", "SORTASC_BMP", "SORTDESC_BMP"); empty for any
// other name.
std::string GlyphBitmap(const std::string& resourceName);

// Draws `picture` in the 16 x 16 square at (x, y), its pure green left out.
void DrawGlyph(ui::TCanvas& canvas, int x, int y, const ui::TPicture& picture);

}  // namespace vquery
