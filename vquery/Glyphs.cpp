#include "vquery/Glyphs.h"

#include <array>
#include <cstdint>

namespace vquery {

namespace {

using Pattern = std::array<const char*, 16>;

// '#' is the glyph's colour, '.' the transparent green.
constexpr Pattern kFilter = {
    "................", ".##############.", ".#............#.", "..#..........#..", "...#........#...",
    "....#......#....", ".....#....#.....", "......#..#......", "......#..#......", "......#..#......",
    "......#..#......", "......#..#......", "......#..#......", ".......##.......", "................",
    "................"};
constexpr Pattern kUp = {
    "................", ".......##.......", "......####......", ".....######.....", "....########....",
    "...##########...", ".......##.......", ".......##.......", ".......##.......", ".......##.......",
    ".......##.......", ".......##.......", ".......##.......", ".......##.......", "................",
    "................"};

// The Sort dialog's own glyph: a solid triangle beside the field names.
constexpr Pattern kTriangle = {
    "................", "................", "................", "................", ".......##.......",
    "......####......", ".....######.....", "....########....", "...##########...", "..############..",
    "................", "................", "................", "................", "................",
    "................"};

void Put16(std::string& out, std::uint16_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}
void Put32(std::string& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

// A 24-bit BMP of the pattern (rows stored bottom-up); `flip` turns it upside down.
std::string Encode(const Pattern& rows, bool flip)
{
    constexpr std::uint32_t kSide = 16, kRowBytes = kSide * 3, kPixelBytes = kRowBytes * kSide;
    std::string out = "BM";
    Put32(out, 54 + kPixelBytes);
    Put32(out, 0);
    Put32(out, 54);
    Put32(out, 40);
    Put32(out, kSide);
    Put32(out, kSide);
    Put16(out, 1);
    Put16(out, 24);
    Put32(out, 0);
    Put32(out, kPixelBytes);
    Put32(out, 2835);
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (std::uint32_t stored = 0; stored < kSide; ++stored) {
        const std::uint32_t top = kSide - 1 - stored;
        const char* row = rows[flip ? kSide - 1 - top : top];
        for (std::uint32_t x = 0; x < kSide; ++x) {
            const bool ink = row[x] == '#';
            out += static_cast<char>(ink ? 0x80 : 0x00);  // blue
            out += static_cast<char>(ink ? 0x00 : 0xFF);  // green
            out += static_cast<char>(0x00);               // red
        }
    }
    return out;
}

}  // namespace

std::string GlyphBitmap(const std::string& resourceName)
{
    if (resourceName == "FILTER_BMP") return Encode(kFilter, false);
    if (resourceName == "SORTASC_BMP") return Encode(kUp, false);
    if (resourceName == "SORTDESC_BMP") return Encode(kUp, true);
    if (resourceName == "CSSORTASC_BMP") return Encode(kTriangle, false);
    if (resourceName == "CSSORTDESC_BMP") return Encode(kTriangle, true);
    return {};
}

}  // namespace vquery
