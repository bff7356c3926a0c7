// Decoding and thumbnailing 200 poster-sized JPEGs (600 x 900, photo-like content) the way
// the catalog does: list thumbnails of 98 x 147 and cover thumbnails 238 high, re-encoded.
// One iteration handles all 200; "per_image" is the time per poster.
#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include <benchmark/benchmark.h>

#include <QByteArray>

#include "catalog/image.h"

namespace {

constexpr int Posters = 200;
constexpr int PosterWidth = 600;
constexpr int PosterHeight = 900;

// Soft gradients, a few shapes with hard edges, fine texture and noise: roughly what a
// poster gives the JPEG coder, so decoding costs what it would for real files.
TImage MakePoster(unsigned seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    TImage image(PosterWidth, PosterHeight);
    const double hue = unit(random) * 6.28;
    const double cx = unit(random) * PosterWidth;
    const double cy = unit(random) * PosterHeight;
    const double radius = 80 + unit(random) * 200;
    const int band = int(unit(random) * PosterHeight);
    std::uniform_int_distribution<int> noise(-12, 12);
    uchar *bits = image.Bits();
    for (int y = 0; y < PosterHeight; ++y) {
        for (int x = 0; x < PosterWidth; ++x) {
            const double t = double(y) / PosterHeight;
            double r = 128 + 90 * std::sin(hue + t * 3 + x * 0.004);
            double g = 128 + 90 * std::sin(hue + 2.1 + t * 2);
            double b = 128 + 90 * std::sin(hue + 4.2 + x * 0.01);
            const double dx = x - cx;
            const double dy = y - cy;
            if (dx * dx + dy * dy < radius * radius) {
                r = 255 - r;
                b = 40 + 30 * std::sin(x * 0.3) * std::sin(y * 0.3);
            }
            if (y > band && y < band + 60 && (x / 12) % 3 != 0)
                r = g = b = 235;
            const int n = noise(random);
            uchar *p = bits + image.BytesPerLine() * y + x * 3;
            p[0] = uchar(std::clamp(int(r) + n, 0, 255));
            p[1] = uchar(std::clamp(int(g) + n, 0, 255));
            p[2] = uchar(std::clamp(int(b) + n, 0, 255));
        }
    }
    return image;
}

const std::vector<QByteArray> &PosterFiles()
{
    static const std::vector<QByteArray> files = [] {
        std::vector<QByteArray> result;
        for (int i = 0; i < Posters; ++i)
            result.push_back(MakePoster(unsigned(i) + 1).ToJpeg(85));
        return result;
    }();
    return files;
}

void Report(benchmark::State &state)
{
    state.SetItemsProcessed(state.iterations() * Posters);
    state.counters["per_image"] = benchmark::Counter(
        Posters, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    qint64 bytes = 0;
    for (const QByteArray &file : PosterFiles())
        bytes += file.size();
    state.counters["avg_KB"] = double(bytes) / Posters / 1024;
}

void BM_Decode200(benchmark::State &state)
{
    const auto &files = PosterFiles();
    for (auto _ : state) {
        for (const QByteArray &file : files) {
            const TImage image = TImage::Decode(file, TImageFormat::Jpeg);
            benchmark::DoNotOptimize(image.Bits());
        }
    }
    Report(state);
}

void BM_DecodeAndListThumbnail200(benchmark::State &state)
{
    const auto &files = PosterFiles();
    for (auto _ : state) {
        for (const QByteArray &file : files) {
            const TImage thumbnail = TImage::Decode(file, TImageFormat::Jpeg).Scaled(98, 147);
            benchmark::DoNotOptimize(thumbnail.Bits());
        }
    }
    Report(state);
}

void BM_DecodeAndCoverThumbnailJpeg200(benchmark::State &state)
{
    const auto &files = PosterFiles();
    const int width = (PosterWidth * 238 + PosterHeight / 2) / PosterHeight;
    for (auto _ : state) {
        for (const QByteArray &file : files) {
            const TImage image = TImage::Decode(file, TImageFormat::Jpeg);
            const QByteArray cover = image.Scaled(width, 238).ToJpeg();
            benchmark::DoNotOptimize(cover.data());
        }
    }
    Report(state);
}

// The scaling alone, on already decoded posters.
void BM_ListThumbnailOnly200(benchmark::State &state)
{
    std::vector<TImage> images;
    for (int i = 0; i < 8; ++i)
        images.push_back(TImage::Decode(PosterFiles()[size_t(i)], TImageFormat::Jpeg));
    for (auto _ : state) {
        for (int i = 0; i < Posters; ++i) {
            const TImage thumbnail = images[size_t(i) % images.size()].Scaled(98, 147);
            benchmark::DoNotOptimize(thumbnail.Bits());
        }
    }
    Report(state);
}

} // namespace

BENCHMARK(BM_Decode200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeAndListThumbnail200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeAndCoverThumbnailJpeg200)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListThumbnailOnly200)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
