#pragma once
// The glyphs of the field lists (filter, ascending and descending sort) and of the Sort dialog
// (its own ascending and descending pair): small 16 x 16 pictures of our own, drawn on pure
// green ($00FF00), the colour the lists treat as transparent.

#include <string>

namespace ui {
class TCanvas;
class TPicture;
}  // namespace ui

namespace vquery {

// The glyph as BMP file bytes ("FILTER_BMP", "SORTASC_BMP", "SORTDESC_BMP", "CSSORTASC_BMP",
// "CSSORTDESC_BMP"); empty for any other name.
std::string GlyphBitmap(const std::string& resourceName);

// Draws `picture` in the 16 x 16 square at (x, y), its pure green left out.
void DrawGlyph(ui::TCanvas& canvas, int x, int y, const ui::TPicture& picture);

}  // namespace vquery
