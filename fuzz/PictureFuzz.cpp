// Fuzz target of the picture loader (JPEG through libjpeg, PNG and BMP through the toolkit's
// reader): the bytes are the file. Any input either loads, within the pixel bound, with as many
// pixels as its size says and its kind taken from its first bytes, or raises EInvalidGraphic
// and leaves the picture it was loaded into as it was.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/FuzzSupport.h"
#include "platform/ui/Graphics.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // A picture already holding one, to see that a refused file changes nothing.
    static const std::string kept = ui::EncodeJpeg(2, 1, {0xFF102030u, 0xFF405060u});
    ui::TPicture picture;
    picture.LoadFromBytes(kept);
    try {
        picture.LoadFromBytes(bytes);
    } catch (const ui::EInvalidGraphic&) {
        fuzz::Check(picture.Width() == 2 && picture.Height() == 1 && picture.Bytes() == kept &&
                        picture.Format() == ui::TPictureFormat::Jpeg,
                    "a refused picture leaves the one before");
        return 0;
    }
    const auto width = static_cast<std::int64_t>(picture.Width());
    const auto height = static_cast<std::int64_t>(picture.Height());
    fuzz::Check(width >= 0 && height >= 0 && width * height <= ui::kMaxPicturePixels, "a picture is within the bound");
    fuzz::Check(picture.Pixels().size() == static_cast<std::size_t>(width * height), "a picture has its pixels");
    fuzz::Check(picture.Format() == ui::SniffPictureFormat(bytes) && picture.Format() != ui::TPictureFormat::None,
                "a picture's kind is that of its first bytes");
    fuzz::Check(picture.Bytes() == bytes, "a picture keeps its file's bytes");
    if (!picture.Empty()) {
        // The corners read; outside them is nothing.
        picture.Pixel(picture.Width() - 1, picture.Height() - 1);
        fuzz::Check(picture.Pixel(picture.Width(), 0) == 0 && picture.Pixel(0, -1) == 0, "outside a picture is nothing");
    }
    return 0;
}
