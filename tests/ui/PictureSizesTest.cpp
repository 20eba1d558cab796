// Pictures whose headers ask for more than the file holds or than the bound allows: each is
// read in a child under a memory limit, so a loader that believes its header fails the test
// there instead of swapping the machine.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/rtl/Files.h"
#include "platform/ui/Graphics.h"
#include "tests/support/ChildProcess.h"

namespace {

using namespace ui;

void Put16(std::string& s, std::size_t at, std::uint32_t v, bool bigEndian)
{
    s[at + (bigEndian ? 0 : 1)] = static_cast<char>(v >> 8);
    s[at + (bigEndian ? 1 : 0)] = static_cast<char>(v);
}

void PutLittle32(std::string& s, std::size_t at, std::uint32_t v)
{
    for (int k = 0; k < 4; ++k) s[at + static_cast<std::size_t>(k)] = static_cast<char>(v >> (8 * k));
}

// A baseline grey JPEG of 209 bytes declaring `width` x `height`: one quantisation table, the
// frame, the scan with libjpeg's standard Huffman tables, 113 bytes of data and the end.
std::string SmallJpeg(std::uint16_t width, std::uint16_t height)
{
    std::string s("\xFF\xD8", 2);
    s += std::string("\xFF\xDB\x00\x43\x00", 5) + std::string(64, '\x01');
    s += std::string("\xFF\xC0\x00\x0B\x08\x00\x00\x00\x00\x01\x01\x11\x00", 13);
    Put16(s, s.size() - 8, height, true);
    Put16(s, s.size() - 6, width, true);
    s += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10);
    s += std::string(113, '\x00');
    return s + std::string("\xFF\xD9", 2);
}

// The frame of a JPEG made by EncodeJpeg, with another height.
std::string WithJpegHeight(std::string jpeg, std::uint16_t height)
{
    const std::size_t sof = jpeg.find(std::string("\xFF\xC0", 2));
    Put16(jpeg, sof + 5, height, true);
    return jpeg;
}

void PutBig32(std::string& s, std::uint32_t v)
{
    for (int k = 3; k >= 0; --k) s += static_cast<char>(v >> (8 * k));
}

// A PNG signature and header chunk, and no data: the bound is read before any is.
std::string PngHeader(std::uint32_t width, std::uint32_t height, int depth, int colourType)
{
    std::string chunk = "IHDR";
    PutBig32(chunk, width);
    PutBig32(chunk, height);
    chunk += static_cast<char>(depth);
    chunk += static_cast<char>(colourType);
    chunk += std::string(3, '\0');
    std::uint32_t crc = 0xFFFFFFFFu;
    for (char c : chunk) {
        crc ^= static_cast<unsigned char>(c);
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    std::string s("\x89PNG\r\n\x1a\n\x00\x00\x00\x0D", 12);
    s += chunk;
    PutBig32(s, ~crc);
    return s;
}

// An uncompressed black-and-white BMP (a negative height: rows top down), its rows cut by
// `missing` bytes.
std::string Bmp1Bit(std::int32_t width, std::int32_t height, std::size_t missing = 0)
{
    const std::size_t stride = (static_cast<std::size_t>(width) + 31) / 32 * 4;
    std::string s(62, '\0');
    s[0] = 'B';
    s[1] = 'M';
    PutLittle32(s, 10, 62);
    PutLittle32(s, 14, 40);
    PutLittle32(s, 18, static_cast<std::uint32_t>(width));
    PutLittle32(s, 22, static_cast<std::uint32_t>(height));
    Put16(s, 26, 1, false);
    Put16(s, 28, 1, false);
    PutLittle32(s, 58, 0x00FFFFFF);  // colour 1 white, colour 0 black
    s += std::string(stride * static_cast<std::size_t>(std::abs(height)) - missing, '\x55');
    PutLittle32(s, 2, static_cast<std::uint32_t>(s.size()));
    return s;
}

// A JPEG of exactly the most pixels a picture may have, made once.
const std::string& JpegAtTheBound()
{
    static const std::string jpeg = [] {
        const std::vector<std::uint32_t> pixels(static_cast<std::size_t>(kMaxPicturePixels), 0xFF336699u);
        return EncodeJpeg(8192, 4096, pixels, 50);
    }();
    return jpeg;
}

TEST(PictureSizes, HeadersAreBoundedBeforeAnythingIsAllocated)
{
    static_assert(kMaxPicturePixels == 8192 * 4096);
    const std::string tooLarge = "Picture too large: ";
    struct Case {
        const char* name;
        std::function<std::string()> bytes;
        std::string report;  // "loaded W x H" or the start of the error
    };
    const Case cases[] = {
        {"209-byte JPEG of 65500 x 65500", [] { return SmallJpeg(65500, 65500); },
         tooLarge + "65500 x 65500 pixels (at most 33554432)"},
        {"JPEG at the bound", [] { return JpegAtTheBound(); }, "loaded 8192 x 4096"},
        {"JPEG one row over", [] { return WithJpegHeight(JpegAtTheBound(), 4097); },
         tooLarge + "8192 x 4097 pixels (at most 33554432)"},
        // Within the bound, but 113 bytes of data end long before 4096 rows do.
        {"209-byte JPEG of 4096 x 4096", [] { return SmallJpeg(4096, 4096); }, "JPEG error: "},
        {"BMP at the bound", [] { return Bmp1Bit(8192, 4096); }, "loaded 8192 x 4096"},
        {"BMP one row over", [] { return Bmp1Bit(8192, 4097); }, tooLarge + "8192 x 4097 pixels (at most 33554432)"},
        {"BMP top down, one row over", [] { return Bmp1Bit(8192, -4097); },
         tooLarge + "8192 x 4097 pixels (at most 33554432)"},
        {"BMP missing its last row", [] { return Bmp1Bit(8192, 4096, 1024); },
         "Picture error: 4193342 bytes cannot hold 8192 x 4096 pixels"},
        {"BMP missing the last row's padding only", [] { return Bmp1Bit(8001, 2, 3); }, "loaded 8001 x 2"},
        {"PNG of 65535 x 65535", [] { return PngHeader(65535, 65535, 8, 6); },
         tooLarge + "65535 x 65535 pixels (at most 33554432)"},
        {"PNG one row over", [] { return PngHeader(8192, 4097, 1, 0); }, tooLarge + "8192 x 4097 pixels (at most 33554432)"},
        {"PNG wider than a 32-bit product", [] { return PngHeader(0xFFFFFFFFu, 0xFFFFFFFFu, 16, 6); },
         tooLarge + "4294967295 x 4294967295 pixels (at most 33554432)"},
        // Deflate stores at most 1032 bytes a byte: 33 bytes cannot hold 64 MB of rows.
        {"PNG in the bound, its rows beyond its size", [] { return PngHeader(4096, 4096, 8, 6); },
         "Picture error: 33 bytes cannot hold 4096 x 4096 pixels"},
    };
    for (const Case& c : cases) {
        const std::string bytes = c.bytes();
        // Room for a picture at the bound as the toolkit's reader converts it, and no more.
        const std::string report = gwtest::WithMemoryLimit(std::size_t{400} << 20, [&] {
            TPicture picture;
            try {
                picture.LoadFromBytes(bytes);
            } catch (const EInvalidGraphic& e) {
                return e.Message();
            }
            return "loaded " + std::to_string(picture.Width()) + " x " + std::to_string(picture.Height());
        });
        EXPECT_EQ(report.substr(0, c.report.size()), c.report) << c.name << ": " << report;
    }
}

TEST(PictureSizes, FilesLongerThanAnyPictureAreNotRead)
{
    // A style folder's picture may be a sparse giant or a link to an endless device.
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "gw_ui_picture_files";
    std::filesystem::create_directories(dir);
    const std::string giant = (dir / "preview.jpg").string();
    rtl::WriteStringToFile(giant, SmallJpeg(16, 16));
    std::filesystem::resize_file(giant, kMaxPictureFileBytes + 1);
    const std::string bound = "File too large (more than " + std::to_string(kMaxPictureFileBytes) + " bytes)";
    for (const std::string& path : {giant, std::string("/dev/zero")}) {
        const std::string report = gwtest::WithMemoryLimit(std::size_t{512} << 20, [&] {
            TPicture picture;
            try {
                picture.LoadFromFile(path);
            } catch (const rtl::EInOutError& e) {
                return e.Message();
            }
            return std::string("read");
        });
        EXPECT_EQ(report, "Cannot read file \"" + path + "\". " + bound);
    }
    std::filesystem::remove_all(dir);
}

}  // namespace
