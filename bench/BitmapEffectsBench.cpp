// The effects bitmap on a 1920 x 1080 picture beside QImage: Invert against invertPixels,
// Blur(2) (QImage has no blur; shown alone), and a smooth doubling (bilinear) against
// QImage::scaled with Qt::SmoothTransformation. Each measurement runs in a fresh child
// process; the sides alternate round by round.
//
//   bench_bitmap_effects [rounds]        (default 7 rounds after one warm-up round)

#include <QImage>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "BenchSupport.h"
#include "grid/gkBitmap.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

using Clock = std::chrono::steady_clock;

// A picture with some structure: gradients and a checker pattern.
void FillPicture(grid::TgkBitmap& b)
{
    b.NewImage(kWidth, kHeight);
    for (int y = 0; y < kHeight; ++y) {
        std::uint8_t* p = b.ScanLine(y);
        for (int x = 0; x < kWidth; ++x, p += 3) {
            p[0] = static_cast<std::uint8_t>(x * 255 / kWidth);
            p[1] = static_cast<std::uint8_t>(y * 255 / kHeight);
            p[2] = static_cast<std::uint8_t>(((x / 16 + y / 16) % 2) * 200);
        }
    }
}

QImage MakeQImage()
{
    QImage image(kWidth, kHeight, QImage::Format_RGB888);
    for (int y = 0; y < kHeight; ++y) {
        uchar* p = image.scanLine(y);
        for (int x = 0; x < kWidth; ++x, p += 3) {
            p[2] = static_cast<uchar>(x * 255 / kWidth);
            p[1] = static_cast<uchar>(y * 255 / kHeight);
            p[0] = static_cast<uchar>(((x / 16 + y / 16) % 2) * 200);
        }
    }
    return image;
}

// Milliseconds of one operation, the picture made beforehand.
int Child(std::string_view what)
{
    double ms = -1;
    long checksum = 0;
    if (what.starts_with("gk-")) {
        grid::TgkBitmap b;
        FillPicture(b);
        grid::TgkBitmap doubled;
        const auto start = Clock::now();
        if (what == "gk-invert")
            b.Invert();
        else if (what == "gk-blur")
            b.Blur(2);
        else if (what == "gk-double")
            b.SmoothInto(doubled, 2 * kWidth, 2 * kHeight);
        else
            return 2;
        ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        checksum = what == "gk-double" ? doubled.ScanLine(kHeight)[kWidth] : b.ScanLine(kHeight / 2)[kWidth];
    } else {
        QImage image = MakeQImage();
        QImage doubled;
        const auto start = Clock::now();
        if (what == "qt-invert")
            image.invertPixels();
        else if (what == "qt-double")
            doubled = image.scaled(2 * kWidth, 2 * kHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        else
            return 2;
        ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        checksum = what == "qt-double" ? doubled.constScanLine(kHeight)[kWidth] : image.constScanLine(kHeight / 2)[kWidth];
    }
    // The checksum keeps the work from being optimised away.
    std::printf("RESULT %.4f %ld\n", ms, checksum);
    return 0;
}

double RunOnce(const std::string& self, const std::string& what)
{
    const bench::TChildRun run = bench::RunChild({self, "--child", what}, {}, true);
    double ms = -1;
    long checksum = 0;
    if (!run.Succeeded() || std::sscanf(run.output.c_str(), "RESULT %lf %ld", &ms, &checksum) != 2) {
        std::fprintf(stderr, "bench_bitmap_effects: the %s child failed\n", what.c_str());
        return -1;
    }
    return ms;
}

void Report(const char* name, const std::vector<double>& ms)
{
    std::printf("  %-34s median %8.2f ms   (%.2f to %.2f)\n", name, bench::Median(ms), bench::Lowest(ms),
                bench::Highest(ms));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string_view(argv[1]) == "--child") return Child(argv[2]);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const std::string self = argv[0];
    std::printf("bench_bitmap_effects: %d x %d, 24 bits; %d alternating rounds after one warm-up, each in a fresh "
                "process\n",
                kWidth, kHeight, rounds);
    const std::vector<std::pair<const char*, const char*>> pairs{
        {"gk-invert", "qt-invert"}, {"gk-double", "qt-double"}, {"gk-blur", nullptr}};
    for (const auto& [ours, theirs] : pairs) {
        const std::size_t sides = theirs != nullptr ? 2 : 1;
        const auto results = bench::AlternateRounds<double>(rounds, sides, [&](std::size_t side) {
            return RunOnce(self, side == 0 ? ours : theirs);
        });
        Report(ours, results[0]);
        if (sides == 2) {
            Report(theirs, results[1]);
            std::printf("  %-34s median of per-round ratios %.2fx\n", "ours / QImage",
                        bench::Median(bench::PairRatios(results[0], results[1])));
        }
        std::fflush(stdout);
    }
    return 0;
}
