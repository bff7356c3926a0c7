#include <array>
#include <csetjmp>
#include <cstring>
#include <ostream>
#include <vector>

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <QByteArray>
#include <QtEndian>

#include "host/pngdecode.h"

namespace {

using TRgb = std::array<uchar, 3>;

TRgb PixelAt(const TImage &image, int x, int y)
{
    const uchar *p = image.Bits() + image.BytesPerLine() * y + x * 3;
    return {p[0], p[1], p[2]};
}

std::vector<TRgb> Pixels(const TImage &image)
{
    std::vector<TRgb> pixels;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x)
            pixels.push_back(PixelAt(image, x, y));
    }
    return pixels;
}

// A PNG from libpng's simplified writer; `pixels` are in `format`, rows tightly packed.
QByteArray WriteSimple(png_uint_32 format,
                       int width,
                       int height,
                       const std::vector<png_uint_16> &pixels,
                       const std::vector<uchar> &colormap = {})
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.format = format;
    image.width = png_uint_32(width);
    image.height = png_uint_32(height);
    image.colormap_entries = png_uint_32(colormap.size() / PNG_IMAGE_SAMPLE_CHANNELS(format));
    // 8-bit formats take bytes, linear ones 16-bit samples.
    std::vector<uchar> bytes(pixels.begin(), pixels.end());
    const void *buffer = (format & PNG_FORMAT_FLAG_LINEAR) != 0
                             ? static_cast<const void *>(pixels.data())
                             : bytes.data();
    const void *map = colormap.empty() ? nullptr : colormap.data();
    png_alloc_size_t size = 0;
    if (png_image_write_to_memory(&image, nullptr, &size, 0, buffer, 0, map) == 0)
        return {};
    QByteArray out(qsizetype(size), '\0');
    if (png_image_write_to_memory(&image, out.data(), &size, 0, buffer, 0, map) == 0)
        return {};
    out.truncate(qsizetype(size));
    return out;
}

void AppendBytes(png_structp png, png_bytep data, size_t length)
{
    static_cast<QByteArray *>(png_get_io_ptr(png))
        ->append(reinterpret_cast<const char *>(data), qsizetype(length));
}

void NoFlush(png_structp) {}

// The classic writer, for what the simplified one cannot write (interlacing, 1-bit
// gray). Only trivially destructible locals live below the setjmp().
bool WriteClassicInto(QByteArray *out,
                      int width,
                      int height,
                      int colorType,
                      int bitDepth,
                      int interlace,
                      const uchar *rows,
                      size_t rowBytes)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_bytep> rowPointers(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        rowPointers[size_t(y)] = const_cast<uchar *>(rows) + rowBytes * size_t(y);
    bool ok = false;
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_write_fn(png, out, AppendBytes, NoFlush);
        png_set_IHDR(png,
                     info,
                     png_uint_32(width),
                     png_uint_32(height),
                     bitDepth,
                     colorType,
                     interlace,
                     PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_set_rows(png, info, rowPointers.data());
        png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
        ok = true;
    }
    png_destroy_write_struct(&png, &info);
    return ok;
}

QByteArray WriteClassic(int width,
                        int height,
                        int colorType,
                        int bitDepth,
                        int interlace,
                        const std::vector<uchar> &rows)
{
    QByteArray out;
    const size_t rowBytes = rows.size() / size_t(height);
    if (!WriteClassicInto(
            &out, width, height, colorType, bitDepth, interlace, rows.data(), rowBytes))
        return {};
    return out;
}

// 8-bit RGB rows whose every pixel differs from its neighbours.
std::vector<uchar> PatternRows(int width, int height)
{
    std::vector<uchar> rows;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            rows.push_back(uchar(x * 29 + y));
            rows.push_back(uchar(y * 31 + x));
            rows.push_back(uchar(x ^ (y * 7)));
        }
    }
    return rows;
}

std::vector<TRgb> PatternPixels(int width, int height)
{
    const std::vector<uchar> rows = PatternRows(width, height);
    std::vector<TRgb> pixels;
    for (size_t i = 0; i < rows.size(); i += 3)
        pixels.push_back({rows[i], rows[i + 1], rows[i + 2]});
    return pixels;
}

constexpr TRgb White{255, 255, 255};
constexpr TRgb Black{0, 0, 0};

struct TGoodCase
{
    const char *Name;
    QByteArray Png;
    int Width;
    int Height;
    std::vector<TRgb> Pixels;
};

void PrintTo(const TGoodCase &c, std::ostream *os)
{
    *os << c.Name;
}

class DecodePngGoodTest : public testing::TestWithParam<TGoodCase>
{};

TEST_P(DecodePngGoodTest, DecodesToRgbOnWhite)
{
    const TGoodCase &c = GetParam();
    ASSERT_FALSE(c.Png.isEmpty()) << "the test could not write its picture";
    const TImage image = DecodePng(c.Png);
    ASSERT_FALSE(image.IsNull());
    EXPECT_EQ(image.Width(), c.Width);
    EXPECT_EQ(image.Height(), c.Height);
    EXPECT_EQ(Pixels(image), c.Pixels);
}

INSTANTIATE_TEST_SUITE_P(
    Formats,
    DecodePngGoodTest,
    testing::Values(
        TGoodCase{"rgb",
                  WriteSimple(PNG_FORMAT_RGB, 2, 2, {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30}),
                  2,
                  2,
                  {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {10, 20, 30}}},
        TGoodCase{"rgbaTransparentIsWhite",
                  WriteSimple(PNG_FORMAT_RGBA, 3, 1, {255, 0, 0, 255, 0, 0, 0, 0, 9, 9, 9, 0}),
                  3,
                  1,
                  {{255, 0, 0}, White, White}},
        TGoodCase{"gray",
                  WriteSimple(PNG_FORMAT_GRAY, 3, 1, {0, 200, 255}),
                  3,
                  1,
                  {Black, {200, 200, 200}, White}},
        TGoodCase{
            "grayAlpha", WriteSimple(PNG_FORMAT_GA, 2, 1, {0, 255, 0, 0}), 2, 1, {Black, White}},
        TGoodCase{"palette",
                  WriteSimple(PNG_FORMAT_RGB_COLORMAP, 3, 1, {1, 0, 1}, {255, 0, 0, 0, 0, 255}),
                  3,
                  1,
                  {{0, 0, 255}, {255, 0, 0}, {0, 0, 255}}},
        TGoodCase{"paletteWithTransparentEntry",
                  WriteSimple(PNG_FORMAT_RGBA_COLORMAP, 2, 1, {0, 1}, {0, 128, 0, 255, 0, 0, 0, 0}),
                  2,
                  1,
                  {{0, 128, 0}, White}},
        TGoodCase{"sixteenBitLinear",
                  WriteSimple(PNG_FORMAT_LINEAR_RGB, 2, 1, {0, 65535, 0, 65535, 65535, 65535}),
                  2,
                  1,
                  {{0, 255, 0}, White}},
        TGoodCase{"interlacedRgb",
                  WriteClassic(9, 7, PNG_COLOR_TYPE_RGB, 8, PNG_INTERLACE_ADAM7, PatternRows(9, 7)),
                  9,
                  7,
                  PatternPixels(9, 7)},
        TGoodCase{"oneBitGray",
                  WriteClassic(10, 1, PNG_COLOR_TYPE_GRAY, 1, PNG_INTERLACE_NONE, {0xA0, 0x40}),
                  10,
                  1,
                  {White, Black, White, Black, Black, Black, Black, Black, Black, White}},
        TGoodCase{"sixteenBitGrayInterlaced",
                  WriteClassic(
                      2, 1, PNG_COLOR_TYPE_GRAY, 16, PNG_INTERLACE_ADAM7, {0xFF, 0xFF, 0x00, 0x00}),
                  2,
                  1,
                  {White, Black}}));

TEST(DecodePng, HalfTransparentBlackIsGray)
{
    const TImage image = DecodePng(WriteSimple(PNG_FORMAT_RGBA, 1, 1, {0, 0, 0, 128}));
    ASSERT_FALSE(image.IsNull());
    const TRgb pixel = PixelAt(image, 0, 0);
    EXPECT_GT(pixel[0], 40);
    EXPECT_LT(pixel[0], 215);
    EXPECT_EQ(pixel[0], pixel[1]);
    EXPECT_EQ(pixel[0], pixel[2]);
}

TEST(DecodePng, HighlyCompressedPicturesStillDecode)
{
    // A plain white 1-bit page packs a few hundred to one; the size check against the
    // file's length must not refuse it.
    const int side = 2000;
    const QByteArray png = WriteClassic(side,
                                        side,
                                        PNG_COLOR_TYPE_GRAY,
                                        1,
                                        PNG_INTERLACE_NONE,
                                        std::vector<uchar>(size_t(side / 8 * side), 0xFF));
    ASSERT_LT(png.size() * 150, side / 8 * side) << "the picture should pack much better";
    const TImage image = DecodePng(png);
    ASSERT_FALSE(image.IsNull());
    EXPECT_EQ(PixelAt(image, side - 1, side - 1), White);
}

TEST(IsPng, NeedsTheWholeSignature)
{
    const QByteArray signature("\x89PNG\r\n\x1A\n", 8);
    EXPECT_TRUE(IsPng(signature));
    EXPECT_TRUE(IsPng(signature + "more"));
    EXPECT_FALSE(IsPng(signature.first(7)));
    EXPECT_FALSE(IsPng({}));
    QByteArray changed = signature;
    changed[4] = '\n';
    EXPECT_FALSE(IsPng(changed));
}

// IHDR starts right after the signature: length (4), "IHDR" (4), width at 16, height at 20,
// the CRC over type and data at 29.
QByteArray WithSize(QByteArray png, quint32 width, quint32 height, bool fixCrc)
{
    qToBigEndian(width, png.data() + 16);
    qToBigEndian(height, png.data() + 20);
    if (fixCrc) {
        const auto crc =
            quint32(crc32(0, reinterpret_cast<const Bytef *>(png.constData() + 12), 17));
        qToBigEndian(crc, png.data() + 29);
    }
    return png;
}

QByteArray SmallPng()
{
    return WriteClassic(9, 7, PNG_COLOR_TYPE_RGB, 8, PNG_INTERLACE_NONE, PatternRows(9, 7));
}

struct TBadCase
{
    const char *Name;
    QByteArray Png;
};

void PrintTo(const TBadCase &c, std::ostream *os)
{
    *os << c.Name;
}

class DecodePngBadTest : public testing::TestWithParam<TBadCase>
{};

TEST_P(DecodePngBadTest, GivesANullImageQuietly)
{
    testing::internal::CaptureStderr();
    const TImage image = DecodePng(GetParam().Png);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), std::string());
    EXPECT_TRUE(image.IsNull());
}

QByteArray FlippedIdatByte()
{
    QByteArray png = SmallPng();
    const qsizetype idat = png.indexOf("IDAT");
    png[idat + 10] = char(png[idat + 10] ^ 0x55);
    return png;
}

INSTANTIATE_TEST_SUITE_P(
    Files,
    DecodePngBadTest,
    testing::Values(TBadCase{"empty", {}},
                    TBadCase{"signatureOnly", SmallPng().first(8)},
                    TBadCase{"notPng", QByteArray("GIF89a").repeated(20)},
                    TBadCase{"cutInIdat", SmallPng().first(SmallPng().indexOf("IDAT") + 20)},
                    TBadCase{"idatByteFlipped", FlippedIdatByte()},
                    TBadCase{"wideOverLimitCrcFixed", WithSize(SmallPng(), 20001, 7, true)},
                    TBadCase{"wideOverLimitCrcStale", WithSize(SmallPng(), 20001, 7, false)},
                    TBadCase{"pixelsOverLimit", WithSize(SmallPng(), 20000, 5001, true)},
                    TBadCase{"hugeWidth", WithSize(SmallPng(), 0x7FFFFFFF, 7, true)},
                    TBadCase{"zeroWidth", WithSize(SmallPng(), 0, 7, true)},
                    // Within the limits, but far more pixels than a few bytes can hold.
                    TBadCase{"sizeTheDataCannotHold", WithSize(SmallPng(), 20000, 5000, true)},
                    TBadCase{"sizeSlightlyLarger", WithSize(SmallPng(), 9, 8, true)}));

TEST(DecodePng, EveryCutIsNullOrTheWholePicture)
{
    const QByteArray png = SmallPng();
    const TImage whole = DecodePng(png);
    ASSERT_FALSE(whole.IsNull());
    const qsizetype iend = png.indexOf("IEND");
    for (qsizetype length = 0; length < png.size(); ++length) {
        const TImage image = DecodePng(png.first(length));
        if (length < iend - 4) {
            EXPECT_TRUE(image.IsNull()) << "cut at " << length;
        } else if (!image.IsNull()) {
            EXPECT_EQ(Pixels(image), Pixels(whole)) << "cut at " << length;
        }
    }
}

} // namespace
