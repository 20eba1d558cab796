#include "platform/ui/Graphics.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>

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
};

void JpegErrorExit(j_common_ptr info)
{
    auto* err = reinterpret_cast<JpegError*>(info->err);
    (*info->err->format_message)(info, err->message);
    std::longjmp(err->jump, 1);
}

void JpegQuiet(j_common_ptr, int) {}

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
    err.mgr.emit_message = JpegQuiet;
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
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    const auto w = static_cast<std::size_t>(info.output_width);
    const auto h = static_cast<std::size_t>(info.output_height);
    out.resize(w * h);
    row.resize(w * 3);
    while (info.output_scanline < info.output_height) {
        const std::size_t y = info.output_scanline;
        unsigned char* rows[1] = {row.data()};
        jpeg_read_scanlines(&info, rows, 1);
        for (std::size_t x = 0; x < w; ++x)
            out[y * w + x] = 0xFF000000u | (std::uint32_t{row[3 * x]} << 16) | (std::uint32_t{row[3 * x + 1]} << 8) |
                             std::uint32_t{row[3 * x + 2]};
    }
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
    LoadFromBytes(rtl::ReadFileToString(path));
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
        QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
        QBuffer buffer(&data);
        QImageReader reader(&buffer, format == TPictureFormat::Png ? "png" : "bmp");
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
