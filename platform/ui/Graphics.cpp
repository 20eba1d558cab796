#include "platform/ui/Graphics.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/classes/Filer.h"
#include "platform/rtl/Files.h"

namespace ui {

namespace {

const classes::TEnumInfo& PenStyleInfo()
{
    static const classes::TEnumInfo info{
        "TPenStyle", {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"}};
    return info;
}

const classes::TEnumInfo& PenModeInfo()
{
    static const classes::TEnumInfo info{
        "TPenMode",
        {"pmBlack", "pmWhite", "pmNop", "pmNot", "pmCopy", "pmNotCopy", "pmMergePenNot", "pmMaskPenNot",
         "pmMergeNotPen", "pmMaskNotPen", "pmMerge", "pmNotMerge", "pmMask", "pmNotMask", "pmXor", "pmNotXor"}};
    return info;
}

const classes::TEnumInfo& BrushStyleInfo()
{
    static const classes::TEnumInfo info{"TBrushStyle",
                                         {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal",
                                          "bsBDiagonal", "bsCross", "bsDiagCross"}};
    return info;
}

// libjpeg reports fatal errors through a callback that must not return: jump back out.
struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool rowsOutstanding;  // the data may not end yet
};

void JpegErrorExit(j_common_ptr info)
{
    auto* err = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings pass quietly, but for the end of the data (of the file, or of a scan at a marker)
// before the last row: libjpeg would make up the missing rows, so a few bytes could stand for
// any number of them.
void JpegWarning(j_common_ptr info, int level)
{
    auto* err = reinterpret_cast<JpegError*>(info->err);
    const int code = info->err->msg_code;
    if (level < 0 && err->rowsOutstanding && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER)) JpegErrorExit(info);
}

// Decoded pixels set aside at once for each byte of a JPEG: enough for nearly every real
// picture, so the rows rarely move; only a guess, the rows decoded decide the size.
constexpr std::size_t kJpegPixelsPerByte = 64;

bool PictureSizeFits(std::int64_t width, std::int64_t height)
{
    // Each side first, so that the product cannot overflow.
    return width >= 0 && height >= 0 && width <= kMaxPicturePixels && height <= kMaxPicturePixels &&
           width * height <= kMaxPicturePixels;
}

std::string PictureSizeError(std::int64_t width, std::int64_t height)
{
    return "Picture too large: " + std::to_string(width) + " x " + std::to_string(height) + " pixels (at most " +
           std::to_string(kMaxPicturePixels) + ")";
}

void CheckPictureSize(std::int64_t width, std::int64_t height)
{
    if (!PictureSizeFits(width, height)) throw EInvalidGraphic(PictureSizeError(width, height));
}

std::uint32_t BigEndian32(std::string_view b, std::size_t at)
{
    return std::uint32_t{static_cast<unsigned char>(b[at])} << 24 | std::uint32_t{static_cast<unsigned char>(b[at + 1])} << 16 |
           std::uint32_t{static_cast<unsigned char>(b[at + 2])} << 8 | std::uint32_t{static_cast<unsigned char>(b[at + 3])};
}

std::uint32_t LittleEndian(std::string_view b, std::size_t at, int count)
{
    std::uint32_t v = 0;
    for (int k = count - 1; k >= 0; --k) v = v << 8 | static_cast<unsigned char>(b[at + static_cast<std::size_t>(k)]);
    return v;
}

// The header of a PNG or BMP against the picture bound and against the file's own size, before
// the toolkit's reader allocates the picture. A header too short to read is left to that reader.
void CheckPictureHeader(TPictureFormat format, std::string_view bytes)
{
    if (format == TPictureFormat::Png) {
        // IHDR comes first: width, height, bit depth, colour type.
        if (bytes.size() < 26 || bytes.substr(12, 4) != "IHDR") return;
        const std::int64_t width = BigEndian32(bytes, 16), height = BigEndian32(bytes, 20);
        CheckPictureSize(width, height);
        const int colourType = static_cast<unsigned char>(bytes[25]);
        const std::int64_t channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
        const std::int64_t rowBytes = 1 + (width * static_cast<unsigned char>(bytes[24]) * channels + 7) / 8;
        // The rows pass through deflate, which stores at best 258 bytes in two bits: a file
        // cannot hold more than 1032 times its size of them.
        if (height * rowBytes > 1032 * static_cast<std::int64_t>(bytes.size()))
            throw EInvalidGraphic("Picture error: " + std::to_string(bytes.size()) + " bytes cannot hold " +
                                  std::to_string(width) + " x " + std::to_string(height) + " pixels");
        return;
    }
    // BMP: file header, then an info header of at least 40 bytes (the older 12-byte one is
    // left to the reader, within the bound of its size).
    if (bytes.size() < 34 || LittleEndian(bytes, 14, 4) < 40) return;
    const std::int64_t width = static_cast<std::int32_t>(LittleEndian(bytes, 18, 4));
    // A negative height stores the rows top down.
    const std::int64_t height = std::abs(static_cast<std::int64_t>(static_cast<std::int32_t>(LittleEndian(bytes, 22, 4))));
    if (width < 0) return;  // no picture; the reader says so
    CheckPictureSize(width, height);
    // Uncompressed rows are stored whole (the last one may lack its padding); run-length rows
    // may stand for any number of pixels and are only bounded by the size.
    const std::uint32_t compression = LittleEndian(bytes, 30, 4);
    if ((compression != 0 && compression != 3) || width == 0 || height == 0) return;
    const std::int64_t bits = width * LittleEndian(bytes, 28, 2);
    const std::int64_t end = LittleEndian(bytes, 10, 4) + (bits + 31) / 32 * 4 * (height - 1) + (bits + 7) / 8;
    if (end > static_cast<std::int64_t>(bytes.size()))
        throw EInvalidGraphic("Picture error: " + std::to_string(bytes.size()) + " bytes cannot hold " +
                              std::to_string(width) + " x " + std::to_string(height) + " pixels");
}

}  // namespace

GW_IMPLEMENT_CLASS(TGraphicsObject, classes::TPersistent) {}

// ---- TPen, TBrush --------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TPen, TGraphicsObject)
{
    p.Color("Color", &TPen::Color, &TPen::SetColor, rtl::clBlack);
    p.Integer("Width", &TPen::Width, &TPen::SetWidth, 1);
    p.Enumeration("Style", PenStyleInfo(), &TPen::Style, &TPen::SetStyle, psSolid);
    p.Enumeration("Mode", PenModeInfo(), &TPen::Mode, &TPen::SetMode, pmCopy);
}

void TPen::Assign(const classes::TPersistent& source)
{
    const auto* other = dynamic_cast<const TPen*>(&source);
    if (other == nullptr) return TPersistent::Assign(source);
    color_ = other->color_;
    width_ = other->width_;
    style_ = other->style_;
    mode_ = other->mode_;
    Changed();
}

void TPen::SetMode(TPenMode mode)
{
    if (mode == mode_) return;
    mode_ = mode;
    Changed();
}

void TPen::SetColor(rtl::TColor color)
{
    if (color == color_) return;
    color_ = color;
    Changed();
}

void TPen::SetWidth(int width)
{
    if (width == width_) return;
    width_ = width;
    Changed();
}

void TPen::SetStyle(TPenStyle style)
{
    if (style == style_) return;
    style_ = style;
    Changed();
}

GW_IMPLEMENT_CLASS(TBrush, TGraphicsObject)
{
    p.Color("Color", &TBrush::Color, &TBrush::SetColor, rtl::clWhite);
    p.Enumeration("Style", BrushStyleInfo(), &TBrush::Style, &TBrush::SetStyle, bsSolid);
}

void TBrush::Assign(const classes::TPersistent& source)
{
    const auto* other = dynamic_cast<const TBrush*>(&source);
    if (other == nullptr) return TPersistent::Assign(source);
    color_ = other->color_;
    style_ = other->style_;
    Changed();
}

void TBrush::SetColor(rtl::TColor color)
{
    if (color == color_) return;
    color_ = color;
    Changed();
}

void TBrush::SetStyle(TBrushStyle style)
{
    if (style == style_) return;
    style_ = style;
    Changed();
}

// ---- JPEG ----------------------------------------------------------------------------------

void DecodeJpeg(std::string_view bytes, int& width, int& height, std::vector<std::uint32_t>& pixels)
{
    jpeg_decompress_struct info{};
    JpegError err{};
    info.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JpegErrorExit;
    err.mgr.emit_message = JpegWarning;
    err.rowsOutstanding = true;
    // Everything the jump may cross is set up before setjmp and holds no destructors.
    std::vector<std::uint32_t> out;
    std::vector<unsigned char> row;
    if (setjmp(err.jump) != 0) {
        jpeg_destroy_decompress(&info);
        throw EInvalidGraphic(std::string("JPEG error: ") + err.message);
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&info, TRUE);
    // The header's size is bounded before libjpeg sets up its buffers for it.
    if (!PictureSizeFits(info.image_width, info.image_height)) {
        jpeg_destroy_decompress(&info);
        throw EInvalidGraphic(PictureSizeError(info.image_width, info.image_height));
    }
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const auto w = static_cast<std::size_t>(info.output_width);
    const auto h = static_cast<std::size_t>(info.output_height);
    // The pixels grow with the rows decoded: the header's size alone allocates nothing, and
    // data that ends early raises at the row it ends in.
    out.reserve(std::min(w * h, bytes.size() * kJpegPixelsPerByte));
    row.resize(w * 3);
    while (info.output_scanline < info.output_height) {
        unsigned char* rows[1] = {row.data()};
        if (jpeg_read_scanlines(&info, rows, 1) != 1) break;  // libjpeg's finish then names the fault
        const std::size_t first = out.size();
        out.resize(first + w);
        for (std::size_t x = 0; x < w; ++x)
            out[first + x] = 0xFF000000u | (std::uint32_t{row[3 * x]} << 16) | (std::uint32_t{row[3 * x + 1]} << 8) |
                             std::uint32_t{row[3 * x + 2]};
    }
    // Every row is there: a missing end marker after them is let pass, as before.
    err.rowsOutstanding = false;
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    pixels = std::move(out);
}

std::string EncodeJpeg(int width, int height, const std::vector<std::uint32_t>& pixels, int quality)
{
    if (width <= 0 || height <= 0 || pixels.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        throw EInvalidGraphic("JPEG error: no picture to encode");
    jpeg_compress_struct info{};
    JpegError err{};
    info.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JpegErrorExit;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
    if (setjmp(err.jump) != 0) {
        jpeg_destroy_compress(&info);
        std::free(buffer);
        throw EInvalidGraphic(std::string("JPEG error: ") + err.message);
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        const std::size_t y = info.next_scanline;
        for (std::size_t x = 0; x < static_cast<std::size_t>(width); ++x) {
            const std::uint32_t p = pixels[y * static_cast<std::size_t>(width) + x];
            row[3 * x] = static_cast<unsigned char>(p >> 16);
            row[3 * x + 1] = static_cast<unsigned char>(p >> 8);
            row[3 * x + 2] = static_cast<unsigned char>(p);
        }
        unsigned char* rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    std::string result(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return result;
}

TPictureFormat SniffPictureFormat(std::string_view bytes)
{
    if (bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xD8 &&
        static_cast<unsigned char>(bytes[2]) == 0xFF)
        return TPictureFormat::Jpeg;
    if (bytes.size() >= 8 && bytes.substr(0, 8) == std::string_view("\x89PNG\r\n\x1a\n", 8)) return TPictureFormat::Png;
    if (bytes.size() >= 2 && bytes.substr(0, 2) == "BM") return TPictureFormat::Bmp;
    return TPictureFormat::None;
}

// ---- TPicture ------------------------------------------------------------------------------

GW_IMPLEMENT_CLASS(TPicture, TGraphicsObject) {}

void TPicture::Assign(const classes::TPersistent& source)
{
    const auto* other = dynamic_cast<const TPicture*>(&source);
    if (other == nullptr) return TPersistent::Assign(source);
    width_ = other->width_;
    height_ = other->height_;
    format_ = other->format_;
    pixels_ = other->pixels_;
    bytes_ = other->bytes_;
    Changed();
}

void TPicture::DefineProperties(classes::TFiler& filer)
{
    TGraphicsObject::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data", [this](std::string_view data) { LoadFromBytes(data); }, [this] { return bytes_; }, !bytes_.empty());
}

void TPicture::LoadFromFile(const std::string& path)
{
    LoadFromBytes(rtl::ReadFileToString(path, kMaxPictureFileBytes));
}

void TPicture::LoadFromBytes(std::string_view bytes)
{
    const TPictureFormat format = SniffPictureFormat(bytes);
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    switch (format) {
    case TPictureFormat::Jpeg: DecodeJpeg(bytes, width, height, pixels); break;
    case TPictureFormat::Png:
    case TPictureFormat::Bmp: {
        CheckPictureHeader(format, bytes);
        QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
        QBuffer buffer(&data);
        QImageReader reader(&buffer, format == TPictureFormat::Png ? "png" : "bmp");
        // Any header the check above does not read is bounded by the reader's own reading of it.
        const QSize size = reader.size();
        if (size.isValid()) CheckPictureSize(size.width(), size.height());
        QImage image = reader.read();
        if (image.isNull()) throw EInvalidGraphic("Picture error: " + reader.errorString().toStdString());
        image = image.convertToFormat(QImage::Format_ARGB32);
        width = image.width();
        height = image.height();
        pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
        for (int y = 0; y < height; ++y) {
            const auto* line = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
            std::copy(line, line + width, pixels.begin() + static_cast<std::ptrdiff_t>(y) * width);
        }
        break;
    }
    case TPictureFormat::None: throw EInvalidGraphic("Unknown picture format");
    }
    width_ = width;
    height_ = height;
    format_ = format;
    pixels_ = std::move(pixels);
    bytes_.assign(bytes);
    Changed();
}

void TPicture::Clear()
{
    if (format_ == TPictureFormat::None && bytes_.empty()) return;
    width_ = height_ = 0;
    format_ = TPictureFormat::None;
    pixels_.clear();
    bytes_.clear();
    Changed();
}

std::uint32_t TPicture::Pixel(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
}

}  // namespace ui
