#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <random>
#include <vector>

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>

#include "catalog/image.h"

using namespace Qt::Literals::StringLiterals;

namespace {

using TRgb = std::array<uchar, 3>;

TRgb PixelAt(const TImage &image, int x, int y)
{
    const uchar *p = image.Bits() + image.BytesPerLine() * y + x * 3;
    return {p[0], p[1], p[2]};
}

void SetPixel(TImage &image, int x, int y, TRgb rgb)
{
    uchar *p = image.Bits() + image.BytesPerLine() * y + x * 3;
    p[0] = rgb[0];
    p[1] = rgb[1];
    p[2] = rgb[2];
}

QByteArray PixelBytes(const TImage &image)
{
    return QByteArray(reinterpret_cast<const char *>(image.Bits()),
                      image.BytesPerLine() * image.Height());
}

// Busy content: neighbouring pixels differ in every channel.
TImage Pattern(int width, int height)
{
    TImage image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            SetPixel(image, x, y, {uchar(x * 37 + y * 11), uchar(x * x + y * 7), uchar(x ^ y)});
    }
    return image;
}

// Gentle waves JPEG keeps well, even two rows high.
TImage Smooth(int width, int height)
{
    TImage image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            SetPixel(image,
                     x,
                     y,
                     {uchar(128 + 100 * std::sin(x / 9.0)),
                      uchar(128 + 100 * std::cos(y / 7.0)),
                      uchar(128 + 60 * std::sin((x + y) / 11.0))});
        }
    }
    return image;
}

TImage Filled(int width, int height, TRgb rgb)
{
    TImage image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            SetPixel(image, x, y, rgb);
    }
    return image;
}

// --- BMP files written by hand ----------------------------------------------------------

struct TLittleEndian
{
    QByteArray Bytes;
    template <typename T> TLittleEndian &Put(T value)
    {
        char bytes[sizeof(T)];
        qToLittleEndian(value, bytes);
        Bytes.append(bytes, sizeof(T));
        return *this;
    }
    TLittleEndian &U16(quint16 v) { return Put(v); }
    TLittleEndian &U32(quint32 v) { return Put(v); }
    TLittleEndian &Fill(int count, char c)
    {
        Bytes.append(count, c);
        return *this;
    }
};

constexpr std::array<TRgb, 8> Corners{{{0, 0, 0},
                                       {255, 0, 0},
                                       {0, 255, 0},
                                       {0, 0, 255},
                                       {255, 255, 0},
                                       {0, 255, 255},
                                       {255, 0, 255},
                                       {255, 255, 255}}};
constexpr int BmpWidth = 5; // odd: every depth needs row padding
constexpr int BmpHeight = 3;

struct TBmpCase
{
    const char *Name;
    int HeaderSize;
    int Bits;
    quint32 Compression = 0;
    std::array<quint32, 3> Masks{}; // how 16/32-bit pixels are packed
    int PaletteEntries = 0;
    quint32 ColorsUsed = 0;
    bool TopDown = false;
    int Gap = 0; // bytes between the palette and the pixels
};

int ColorIndex(const TBmpCase &c, int x, int y)
{
    return (x + 3 * y) % (c.PaletteEntries > 0 ? std::min(8, c.PaletteEntries) : 8);
}

QByteArray BuildBmp(const TBmpCase &c)
{
    const bool core = c.HeaderSize == 12;
    const bool masks = c.Compression == 3 || c.HeaderSize > 40;
    const int paletteStart = 14 + c.HeaderSize + (c.HeaderSize == 40 && masks ? 12 : 0);
    const int offset = paletteStart + c.PaletteEntries * (core ? 3 : 4) + c.Gap;
    const int stride = (BmpWidth * c.Bits + 31) / 32 * 4;
    TLittleEndian f;
    f.Fill(1, 'B').Fill(1, 'M').U32(offset + stride * BmpHeight).U32(0).U32(offset);
    f.U32(c.HeaderSize);
    if (core) {
        f.U16(BmpWidth).U16(BmpHeight).U16(1).U16(c.Bits);
    } else {
        f.U32(BmpWidth).U32(c.TopDown ? -BmpHeight : BmpHeight).U16(1).U16(c.Bits);
        f.U32(c.Compression).U32(stride * BmpHeight).U32(2835).U32(2835).U32(c.ColorsUsed).U32(0);
        if (masks)
            f.U32(c.Masks[0]).U32(c.Masks[1]).U32(c.Masks[2]);
        if (c.HeaderSize > 40)
            f.Fill(c.HeaderSize - 52, 0);
    }
    for (int i = 0; i < c.PaletteEntries; ++i) {
        const TRgb rgb = i < 8 ? Corners[size_t(i)] : TRgb{uchar(i), 7, 9};
        f.Fill(1, char(rgb[2])).Fill(1, char(rgb[1])).Fill(1, char(rgb[0]));
        if (!core)
            f.Fill(1, 0);
    }
    f.Fill(c.Gap, char(0xEE));
    for (int row = 0; row < BmpHeight; ++row) {
        const int y = c.TopDown ? row : BmpHeight - 1 - row;
        QByteArray bytes(stride, 0);
        for (int x = 0; x < BmpWidth; ++x) {
            const int index = ColorIndex(c, x, y);
            const TRgb rgb = Corners[size_t(index)];
            if (c.Bits <= 8) {
                const int bit = x * c.Bits;
                bytes[bit / 8] = char(bytes[bit / 8] | (index << (8 - c.Bits - bit % 8)));
            } else if (c.Bits == 24) {
                bytes[x * 3] = char(rgb[2]);
                bytes[x * 3 + 1] = char(rgb[1]);
                bytes[x * 3 + 2] = char(rgb[0]);
            } else {
                quint32 v = (rgb[0] ? c.Masks[0] : 0) | (rgb[1] ? c.Masks[1] : 0)
                            | (rgb[2] ? c.Masks[2] : 0);
                // Junk in the bits no mask covers must be ignored.
                v |= 0xA5A5A5A5 & ~(c.Masks[0] | c.Masks[1] | c.Masks[2]);
                if (c.Bits == 16)
                    qToLittleEndian(quint16(v), bytes.data() + x * 2);
                else
                    qToLittleEndian(v, bytes.data() + x * 4);
            }
        }
        f.Bytes += bytes;
    }
    return f.Bytes;
}

constexpr std::array<quint32, 3> Bgrx{0xFF0000, 0xFF00, 0xFF};

class BmpReadTest : public ::testing::TestWithParam<TBmpCase>
{};

TEST_P(BmpReadTest, DecodesEveryPixel)
{
    const TBmpCase &c = GetParam();
    const QByteArray file = BuildBmp(c);
    const TImage image = TImage::Decode(file, TImageFormat::Bmp);
    ASSERT_FALSE(image.IsNull());
    ASSERT_EQ(image.Width(), BmpWidth);
    ASSERT_EQ(image.Height(), BmpHeight);
    for (int y = 0; y < BmpHeight; ++y) {
        for (int x = 0; x < BmpWidth; ++x)
            EXPECT_EQ(PixelAt(image, x, y), Corners[size_t(ColorIndex(c, x, y))]) << x << "," << y;
    }
    // A decoded file is written back unchanged, whatever its depth.
    EXPECT_EQ(image.Encoded(), file);
    EXPECT_EQ(image.ToBmp(), file);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts,
    BmpReadTest,
    ::testing::Values(TBmpCase{"Rgb24BottomUp", 40, 24},
                      TBmpCase{"Rgb24TopDown", 40, 24, 0, {}, 0, 0, true},
                      TBmpCase{"Rgb24WithGap", 40, 24, 0, {}, 0, 0, false, 10},
                      TBmpCase{"Rgb32", 40, 32, 0, Bgrx},
                      TBmpCase{"Bitfields32Bgrx", 40, 32, 3, Bgrx},
                      TBmpCase{"Bitfields32Xbgr", 40, 32, 3, {0xFF, 0xFF00, 0xFF0000}},
                      TBmpCase{"Bitfields32Wide", 40, 32, 3, {0xFFC00000, 0x3FF000, 0xFFC}},
                      TBmpCase{"Bitfields16_565", 40, 16, 3, {0xF800, 0x07E0, 0x001F}},
                      TBmpCase{"Rgb16_555", 40, 16, 0, {0x7C00, 0x03E0, 0x001F}},
                      TBmpCase{"Palette8", 40, 8, 0, {}, 256},
                      TBmpCase{"Palette8TopDown", 40, 8, 0, {}, 256, 0, true},
                      TBmpCase{"Palette8ShortByCount", 40, 8, 0, {}, 8, 8},
                      TBmpCase{"Palette8ShortByOffset", 40, 8, 0, {}, 8, 0, false, 0},
                      TBmpCase{"Palette4", 40, 4, 0, {}, 16},
                      TBmpCase{"Palette1", 40, 1, 0, {}, 2},
                      TBmpCase{"Core24", 12, 24},
                      TBmpCase{"Core8", 12, 8, 0, {}, 256},
                      TBmpCase{"Core1", 12, 1, 0, {}, 2},
                      TBmpCase{"V4Bitfields32", 108, 32, 3, {0xFF, 0xFF00, 0xFF0000}},
                      TBmpCase{"V5Rgb24TopDown", 124, 24, 0, {}, 0, 0, true},
                      TBmpCase{"V5Palette4", 124, 4, 0, {}, 16, 16}),
    [](const auto &info) { return std::string(info.param.Name); });

class BmpWriteTest : public ::testing::TestWithParam<std::pair<int, int>>
{};

TEST_P(BmpWriteTest, RoundTripsExactlyAsBottomUp24Bit)
{
    const auto [width, height] = GetParam();
    const TImage image = Pattern(width, height);
    const QByteArray file = image.ToBmp();
    const int stride = (width * 3 + 3) / 4 * 4;
    ASSERT_EQ(file.size(), 54 + stride * height);
    const auto *b = reinterpret_cast<const uchar *>(file.constData());
    EXPECT_EQ(qFromLittleEndian<quint32>(b + 2), quint32(file.size()));
    EXPECT_EQ(qFromLittleEndian<quint32>(b + 10), 54u);
    EXPECT_EQ(qFromLittleEndian<quint32>(b + 14), 40u);
    EXPECT_EQ(qFromLittleEndian<qint32>(b + 22), height); // positive: bottom-up
    EXPECT_EQ(qFromLittleEndian<quint16>(b + 28), 24);
    // The first stored row is the bottom one, in B, G, R order.
    const TRgb bottomLeft = PixelAt(image, 0, height - 1);
    EXPECT_EQ((TRgb{b[56], b[55], b[54]}), bottomLeft);

    const TImage back = TImage::Decode(file, TImageFormat::Bmp);
    ASSERT_FALSE(back.IsNull());
    EXPECT_EQ(PixelBytes(back), PixelBytes(image));
}

INSTANTIATE_TEST_SUITE_P(Sizes,
                         BmpWriteTest,
                         ::testing::Values(std::pair(1, 1),
                                           std::pair(2, 3),
                                           std::pair(3, 2),
                                           std::pair(5, 4),
                                           std::pair(7, 1),
                                           std::pair(1, 40),
                                           std::pair(64, 33)));

TEST(BmpLimits, LastRowMayLackItsPaddingButNoPixelBytes)
{
    const QByteArray file = BuildBmp({"Rgb24", 40, 24}); // rows of 15 bytes + 1 padding
    EXPECT_FALSE(TImage::Decode(file.chopped(1), TImageFormat::Bmp).IsNull());
    EXPECT_TRUE(TImage::Decode(file.chopped(2), TImageFormat::Bmp).IsNull());
}

// A 24-bit header for width x height followed by dataBytes of pixel data.
QByteArray Bmp24(qint32 width, qint32 height, qint32 dataBytes)
{
    const qint32 stride = (width * 3 + 3) / 4 * 4;
    TLittleEndian f;
    f.Fill(1, 'B').Fill(1, 'M').U32(54 + dataBytes).U32(0).U32(54).U32(40);
    f.U32(width).U32(height).U16(1).U16(24).U32(0).U32(stride * height).Fill(16, 0);
    return f.Fill(dataBytes, 9).Bytes;
}

TEST(BmpLimits, WidestAcceptedSide)
{
    const TImage widest = TImage::Decode(Bmp24(TImage::MaxSide, 1, 60000), TImageFormat::Bmp);
    EXPECT_EQ(widest.Width(), TImage::MaxSide);
    EXPECT_TRUE(TImage::Decode(Bmp24(TImage::MaxSide + 1, 1, 60004), TImageFormat::Bmp).IsNull());
}

// --- JPEG files made with libjpeg directly ----------------------------------------------

struct TJpegCase
{
    const char *Name;
    J_COLOR_SPACE Input;
    J_COLOR_SPACE Stored;
    std::array<std::array<uchar, 4>, 4> Samples; // one per 8x8 quadrant, Input's layout
    std::array<TRgb, 4> Expected;
    bool Adobe = true;
    bool Progressive = false;
    bool Arithmetic = false;
    int Side = 16;
};

// A square picture of four flat quadrants.
QByteArray EncodeJpeg(const TJpegCase &c)
{
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    const int components = c.Input == JCS_GRAYSCALE ? 1 : c.Input == JCS_CMYK ? 4 : 3;
    info.image_width = JDIMENSION(c.Side);
    info.image_height = JDIMENSION(c.Side);
    info.input_components = components;
    info.in_color_space = c.Input;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, c.Stored);
    info.write_Adobe_marker = c.Adobe;
    jpeg_set_quality(&info, 95, TRUE);
    if (c.Progressive)
        jpeg_simple_progression(&info);
    info.arith_code = c.Arithmetic;
    jpeg_start_compress(&info, TRUE);
    std::vector<uchar> row(size_t(c.Side * components));
    const int half = c.Side / 2;
    while (info.next_scanline < info.image_height) {
        for (int x = 0; x < c.Side; ++x) {
            const auto &sample = c.Samples[size_t(x / half + int(info.next_scanline) / half * 2)];
            std::copy_n(sample.begin(), components, row.begin() + x * components);
        }
        JSAMPROW rows = row.data();
        jpeg_write_scanlines(&info, &rows, 1);
    }
    jpeg_finish_compress(&info);
    const QByteArray bytes(reinterpret_cast<const char *>(buffer), qsizetype(size));
    std::free(buffer);
    jpeg_destroy_compress(&info);
    return bytes;
}

class JpegColorTest : public ::testing::TestWithParam<TJpegCase>
{};

TEST_P(JpegColorTest, DecodesToRgb)
{
    const TImage image = TImage::Decode(EncodeJpeg(GetParam()), TImageFormat::Jpeg);
    ASSERT_FALSE(image.IsNull());
    ASSERT_EQ(image.Width(), 16);
    for (int q = 0; q < 4; ++q) {
        const TRgb got = PixelAt(image, q % 2 * 8 + 4, q / 2 * 8 + 4);
        for (int ch = 0; ch < 3; ++ch)
            EXPECT_NEAR(got[size_t(ch)], GetParam().Expected[size_t(q)][size_t(ch)], 6) << q;
    }
}

constexpr std::array<std::array<uchar, 4>, 4> RgbSamples{
    {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {200, 120, 40}}};
constexpr std::array<TRgb, 4> RgbExpected{{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {200, 120, 40}}};
// Cyan, red, half black, no ink; Adobe files store 255 - ink.
constexpr std::array<std::array<uchar, 4>, 4> Inks{
    {{255, 0, 0, 0}, {0, 255, 255, 0}, {0, 0, 0, 128}, {0, 0, 0, 0}}};
constexpr std::array<std::array<uchar, 4>, 4> InvertedInks{
    {{0, 255, 255, 255}, {255, 0, 0, 255}, {255, 255, 255, 127}, {255, 255, 255, 255}}};
constexpr std::array<TRgb, 4> InkExpected{
    {{0, 255, 255}, {255, 0, 0}, {127, 127, 127}, {255, 255, 255}}};

INSTANTIATE_TEST_SUITE_P(
    ColorSpaces,
    JpegColorTest,
    ::testing::Values(
        TJpegCase{"Gray",
                  JCS_GRAYSCALE,
                  JCS_GRAYSCALE,
                  {{{0}, {80}, {160}, {255}}},
                  {{{0, 0, 0}, {80, 80, 80}, {160, 160, 160}, {255, 255, 255}}}},
        TJpegCase{"YCbCr", JCS_RGB, JCS_YCbCr, RgbSamples, RgbExpected},
        TJpegCase{"StoredRgb", JCS_RGB, JCS_RGB, RgbSamples, RgbExpected},
        TJpegCase{"Progressive", JCS_RGB, JCS_YCbCr, RgbSamples, RgbExpected, true, true},
        TJpegCase{"Arithmetic", JCS_RGB, JCS_YCbCr, RgbSamples, RgbExpected, true, false, true},
        TJpegCase{"AdobeCmyk", JCS_CMYK, JCS_CMYK, InvertedInks, InkExpected},
        TJpegCase{"AdobeYcck", JCS_CMYK, JCS_YCCK, InvertedInks, InkExpected},
        TJpegCase{"PlainCmyk", JCS_CMYK, JCS_CMYK, Inks, InkExpected, false}),
    [](const auto &info) { return std::string(info.param.Name); });

class JpegRoundTripTest : public ::testing::TestWithParam<std::pair<int, int>>
{};

TEST_P(JpegRoundTripTest, KeepsSizeAndPixelsClose)
{
    const auto [width, height] = GetParam();
    const TImage image = Smooth(width, height);
    const QByteArray file = image.ToJpeg(95);
    ASSERT_TRUE(file.startsWith("\xFF\xD8"));
    const TImage back = TImage::Decode(file, TImageFormat::Jpeg);
    ASSERT_EQ(back.Width(), width);
    ASSERT_EQ(back.Height(), height);
    double error = 0;
    const QByteArray a = PixelBytes(image);
    const QByteArray b = PixelBytes(back);
    for (qsizetype i = 0; i < a.size(); ++i)
        error += std::abs(int(uchar(a[i])) - int(uchar(b[i])));
    EXPECT_LT(error / double(a.size()), 3.0);
    // The decoded file, not a new encoding, is what gets written back.
    EXPECT_EQ(back.ToJpeg(10), file);
}

INSTANTIATE_TEST_SUITE_P(Sizes,
                         JpegRoundTripTest,
                         ::testing::Values(std::pair(1, 1),
                                           std::pair(8, 8),
                                           std::pair(17, 9),
                                           std::pair(333, 2),
                                           std::pair(64, 48)));

TEST(JpegEncode, QualityChangesTheFileAndIsClamped)
{
    const TImage image = Pattern(64, 64);
    EXPECT_LT(image.ToJpeg(10).size(), image.ToJpeg(95).size());
    for (int quality : {-5, 0, 101, INT_MAX})
        EXPECT_FALSE(TImage::Decode(image.ToJpeg(quality), TImageFormat::Jpeg).IsNull());
}

// The offset of marker 0xFF <code>, or -1.
qsizetype FindMarker(const QByteArray &file, uchar code)
{
    return file.indexOf(QByteArray("\xFF") + char(code));
}

QByteArray WithSofSize(QByteArray file, quint16 width, quint16 height, uchar sofCode = 0xC0)
{
    const qsizetype sof = FindMarker(file, sofCode);
    qToBigEndian(height, file.data() + sof + 5);
    qToBigEndian(width, file.data() + sof + 7);
    return file;
}

QByteArray Baseline()
{
    return Smooth(64, 48).ToJpeg(90);
}

// A grayscale progressive file whose first scan (with the tables before it) is repeated
// before the end marker until the file has `scans` scans.
QByteArray WithScans(int scans)
{
    TJpegCase c{"", JCS_GRAYSCALE, JCS_GRAYSCALE, {{{10}, {90}, {170}, {250}}}, {}};
    c.Progressive = true;
    QByteArray file = EncodeJpeg(c);
    const int original = int(file.count("\xFF\xDA"));
    const qsizetype tables = FindMarker(file, 0xC4);
    const qsizetype secondScan = file.indexOf("\xFF\xDA", FindMarker(file, 0xDA) + 2);
    qsizetype tablesBefore = secondScan;
    while (tablesBefore > 0 && file.mid(tablesBefore, 2) != "\xFF\xC4")
        --tablesBefore; // tables written for the second scan
    const QByteArray firstScan = file.mid(tables, tablesBefore - tables);
    for (int i = original; i < scans; ++i)
        file.insert(file.size() - 2, firstScan);
    return file;
}

TEST(JpegLimits, ScanCount)
{
    EXPECT_FALSE(TImage::Decode(WithScans(100), TImageFormat::Jpeg).IsNull());
    EXPECT_TRUE(TImage::Decode(WithScans(101), TImageFormat::Jpeg).IsNull());
}

long PeakMiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// Headers that claim a picture near the pixel limit over a few kilobytes of data must be
// refused before anything is allocated for them.
TEST(HostileHeaders, AllocateLittle)
{
    TJpegCase c{"", JCS_RGB, JCS_YCbCr, RgbSamples, RgbExpected, true, true};
    const std::pair<QByteArray, TImageFormat> files[] = {
        {WithSofSize(Baseline(), 20000, 5000), TImageFormat::Jpeg},
        {WithSofSize(EncodeJpeg(c), 20000, 5000, 0xC2), TImageFormat::Jpeg},
        {Bmp24(20000, -5000, 3000), TImageFormat::Bmp},
    };
    for (const auto &[bytes, format] : files) {
        const long before = PeakMiB();
        EXPECT_TRUE(TImage::Decode(bytes, format).IsNull());
        EXPECT_LT(PeakMiB() - before, 64);
    }
}

TEST(JpegLimits, MissingEndMarkerOnlyStillDecodes)
{
    const QByteArray file = Baseline();
    ASSERT_TRUE(file.endsWith("\xFF\xD9"));
    EXPECT_FALSE(TImage::Decode(file.chopped(2), TImageFormat::Jpeg).IsNull());
    EXPECT_TRUE(TImage::Decode(file.chopped(40), TImageFormat::Jpeg).IsNull());
}

// --- Broken and hostile files -----------------------------------------------------------

struct TBrokenCase
{
    const char *Name;
    TImageFormat Format;
    QByteArray (*Make)();
};

QByteArray Bmp8()
{
    return BuildBmp({"", 40, 8, 0, {}, 256});
}

QByteArray Patched32(QByteArray file, int offset, quint32 value)
{
    qToLittleEndian(value, file.data() + offset);
    return file;
}

QByteArray RandomBytes(unsigned seed, QByteArray prefix)
{
    std::mt19937 random(seed);
    for (int i = 0; i < 3000; ++i)
        prefix += char(random());
    return prefix;
}

class BrokenImageTest : public ::testing::TestWithParam<TBrokenCase>
{};

TEST_P(BrokenImageTest, GivesNoPicture)
{
    EXPECT_TRUE(TImage::Decode(GetParam().Make(), GetParam().Format).IsNull());
}

constexpr auto Bmp = TImageFormat::Bmp;
constexpr auto Jpeg = TImageFormat::Jpeg;

INSTANTIATE_TEST_SUITE_P(
    Files,
    BrokenImageTest,
    ::testing::Values(
        TBrokenCase{"BmpEmpty", Bmp, [] { return QByteArray(); }},
        TBrokenCase{"BmpMagicOnly", Bmp, [] { return QByteArray("BM"); }},
        TBrokenCase{"BmpFileHeaderOnly", Bmp, [] { return Bmp8().left(14); }},
        TBrokenCase{"BmpInfoHeaderCut", Bmp, [] { return Bmp8().left(30); }},
        TBrokenCase{"BmpWrongMagic", Bmp, [] { return Bmp8().replace(0, 2, "BA"); }},
        TBrokenCase{"BmpHeaderSize0", Bmp, [] { return Patched32(Bmp8(), 14, 0); }},
        TBrokenCase{"BmpHeaderSize41", Bmp, [] { return Patched32(Bmp8(), 14, 41); }},
        TBrokenCase{"BmpHeaderSizeHuge", Bmp, [] { return Patched32(Bmp8(), 14, ~0u); }},
        TBrokenCase{"BmpWidth0", Bmp, [] { return Patched32(Bmp8(), 18, 0); }},
        TBrokenCase{"BmpWidthNegative", Bmp, [] { return Patched32(Bmp8(), 18, quint32(-5)); }},
        TBrokenCase{"BmpHeight0", Bmp, [] { return Patched32(Bmp8(), 22, 0); }},
        TBrokenCase{"BmpHeightIntMin", Bmp, [] { return Patched32(Bmp8(), 22, 0x80000000u); }},
        TBrokenCase{"BmpTooManyPixels",
                    Bmp,
                    [] { return Patched32(Patched32(Bmp8(), 18, 10001), 22, 10000); }},
        TBrokenCase{"BmpTallerThanData", Bmp, [] { return Patched32(Bmp8(), 22, 4); }},
        TBrokenCase{"BmpOffsetPastEnd", Bmp, [] { return Patched32(Bmp8(), 10, 1103); }},
        TBrokenCase{"BmpOffsetHuge", Bmp, [] { return Patched32(Bmp8(), 10, ~0u); }},
        TBrokenCase{"BmpOffsetInHeader", Bmp, [] { return Patched32(Bmp8(), 10, 20); }},
        TBrokenCase{"BmpColorsUsedHuge", Bmp, [] { return Patched32(Bmp8(), 46, ~0u); }},
        TBrokenCase{"BmpColorsUsed257", Bmp, [] { return Patched32(Bmp8(), 46, 257); }},
        TBrokenCase{"BmpPaletteCut", Bmp, [] { return Bmp8().left(54 + 400); }},
        TBrokenCase{"BmpDepth0", Bmp, [] { return Patched32(Bmp8(), 28, 0x00000); }},
        TBrokenCase{"BmpDepth2", Bmp, [] { return Patched32(Bmp8(), 28, 2); }},
        TBrokenCase{"BmpDepth64", Bmp, [] { return Patched32(Bmp8(), 28, 64); }},
        TBrokenCase{"BmpRle8", Bmp, [] { return Patched32(Bmp8(), 30, 1); }},
        TBrokenCase{"BmpEmbeddedPng", Bmp, [] { return Patched32(Bmp8(), 30, 5); }},
        TBrokenCase{"BmpBitfields24",
                    Bmp,
                    [] {
                        return BuildBmp({"", 40, 24, 3, {0xFF0000, 0xFF00, 0xFF}});
                    }},
        TBrokenCase{"BmpMaskWithHoles",
                    Bmp,
                    [] {
                        return BuildBmp({"", 40, 32, 3, {0xF0F000, 0xF00, 0xFF}});
                    }},
        TBrokenCase{"BmpMasksCut",
                    Bmp,
                    [] {
                        return BuildBmp({"", 40, 32, 3, {0xFF, 0xFF00, 0xFF0000}}).left(60);
                    }},
        TBrokenCase{"BmpCore32",
                    Bmp,
                    [] {
                        return BuildBmp({"", 12, 32});
                    }},
        TBrokenCase{"BmpRandom", Bmp, [] { return RandomBytes(1, "BM"); }},
        TBrokenCase{"BmpRandomHeader", Bmp, [] { return RandomBytes(2, Bmp8().left(18)); }},
        TBrokenCase{"BmpGivenJpeg", Bmp, [] { return Baseline(); }},
        TBrokenCase{"JpegEmpty", Jpeg, [] { return QByteArray(); }},
        TBrokenCase{"JpegSoiOnly", Jpeg, [] { return QByteArray("\xFF\xD8"); }},
        TBrokenCase{"JpegSoiEoi", Jpeg, [] { return QByteArray("\xFF\xD8\xFF\xD9"); }},
        TBrokenCase{"JpegHeaderCut", Jpeg, [] { return Baseline().left(120); }},
        TBrokenCase{"JpegScanCut",
                    Jpeg,
                    [] {
                        const QByteArray file = Baseline();
                        const qsizetype scan = FindMarker(file, 0xDA);
                        return file.left(scan + (file.size() - scan) / 2);
                    }},
        TBrokenCase{"JpegProgressiveScanCut",
                    Jpeg,
                    [] {
                        TJpegCase c{"", JCS_RGB, JCS_YCbCr, RgbSamples, RgbExpected, true, true};
                        c.Side = 256; // a first scan of some hundred bytes, cut inside
                        const QByteArray file = EncodeJpeg(c);
                        return file.left(FindMarker(file, 0xDA) + 14 + 60);
                    }},
        TBrokenCase{"JpegArithmeticCut",
                    Jpeg,
                    [] {
                        TJpegCase c{"", JCS_RGB, JCS_YCbCr, RgbSamples, RgbExpected};
                        c.Arithmetic = true;
                        c.Side = 256;
                        const QByteArray file = EncodeJpeg(c);
                        return file.left(file.size() * 2 / 3);
                    }},
        TBrokenCase{"JpegWidth0", Jpeg, [] { return WithSofSize(Baseline(), 0, 48); }},
        TBrokenCase{"JpegWiderThanLimit", Jpeg, [] { return WithSofSize(Baseline(), 20001, 8); }},
        TBrokenCase{
            "JpegHugeFromFewBytes", Jpeg, [] { return WithSofSize(Baseline(), 20000, 5000); }},
        TBrokenCase{"JpegRandom", Jpeg, [] { return RandomBytes(3, {}); }},
        TBrokenCase{"JpegRandomAfterSoi", Jpeg, [] { return RandomBytes(4, "\xFF\xD8\xFF"); }},
        TBrokenCase{"JpegRandomAfterHeader",
                    Jpeg,
                    [] {
                        const QByteArray file = Baseline();
                        return RandomBytes(5, file.left(FindMarker(file, 0xDA) + 14));
                    }},
        TBrokenCase{"JpegGivenBmp", Jpeg, [] { return Bmp8(); }},
        TBrokenCase{"NoFormat", TImageFormat::None, [] { return Baseline(); }}),
    [](const auto &info) { return std::string(info.param.Name); });

// --- The image itself ---------------------------------------------------------------------

struct TSizeCase
{
    int Width;
    int Height;
    bool Accepted;
};

class ImageSizeTest : public ::testing::TestWithParam<TSizeCase>
{};

TEST_P(ImageSizeTest, LimitsAndBlackPixels)
{
    const TSizeCase &c = GetParam();
    const TImage image(c.Width, c.Height);
    ASSERT_EQ(!image.IsNull(), c.Accepted);
    if (!c.Accepted) {
        EXPECT_EQ(image.Bits(), nullptr);
        EXPECT_TRUE(TImage(3, 3).Scaled(c.Width, c.Height).IsNull());
        return;
    }
    EXPECT_EQ(image.BytesPerLine(), qsizetype(c.Width) * 3);
    EXPECT_EQ(PixelBytes(image).count('\0'), image.BytesPerLine() * c.Height);
}

INSTANTIATE_TEST_SUITE_P(Sizes,
                         ImageSizeTest,
                         ::testing::Values(TSizeCase{1, 1, true},
                                           TSizeCase{0, 1, false},
                                           TSizeCase{1, 0, false},
                                           TSizeCase{-1, 5, false},
                                           TSizeCase{INT_MIN, INT_MIN, false},
                                           TSizeCase{TImage::MaxSide, 2, true},
                                           TSizeCase{TImage::MaxSide + 1, 1, false},
                                           TSizeCase{1, TImage::MaxSide + 1, false},
                                           TSizeCase{10001, 10000, false},
                                           TSizeCase{INT_MAX, 1, false}));

TEST(Image, CopiesDoNotShareWrites)
{
    TImage a = Filled(4, 4, {1, 2, 3});
    TImage b = a;
    SetPixel(b, 0, 0, {9, 9, 9});
    EXPECT_EQ(PixelAt(a, 0, 0), (TRgb{1, 2, 3}));
    EXPECT_TRUE(TImage().Scaled(2, 2).IsNull());
    EXPECT_TRUE(TImage().ToJpeg().isEmpty());
    EXPECT_TRUE(TImage().ToBmp().isEmpty());
}

// --- Scaling ------------------------------------------------------------------------------

struct TScaleCase
{
    int FromWidth, FromHeight, ToWidth, ToHeight;
};

void PrintTo(const TScaleCase &c, std::ostream *os)
{
    *os << c.FromWidth << "x" << c.FromHeight << "->" << c.ToWidth << "x" << c.ToHeight;
}

class ScaleTest : public ::testing::TestWithParam<TScaleCase>
{};

TEST_P(ScaleTest, UniformColourStaysExact)
{
    const TScaleCase &c = GetParam();
    const TImage scaled =
        Filled(c.FromWidth, c.FromHeight, {13, 200, 255}).Scaled(c.ToWidth, c.ToHeight);
    ASSERT_EQ(scaled.Width(), c.ToWidth);
    ASSERT_EQ(scaled.Height(), c.ToHeight);
    EXPECT_TRUE(scaled.Encoded().isEmpty());
    for (int y = 0; y < c.ToHeight; ++y) {
        for (int x = 0; x < c.ToWidth; ++x)
            ASSERT_EQ(PixelAt(scaled, x, y), (TRgb{13, 200, 255})) << x << "," << y;
    }
}

// Against a direct floating-point integration of the covered source area.
TEST_P(ScaleTest, MatchesAreaAverage)
{
    const TScaleCase &c = GetParam();
    const TImage source = Pattern(c.FromWidth, c.FromHeight);
    const TImage scaled = source.Scaled(c.ToWidth, c.ToHeight);
    const double sx = double(c.FromWidth) / c.ToWidth;
    const double sy = double(c.FromHeight) / c.ToHeight;
    for (int y = 0; y < c.ToHeight; y += 1 + c.ToHeight / 7) {
        for (int x = 0; x < c.ToWidth; x += 1 + c.ToWidth / 7) {
            std::array<double, 3> sum{};
            for (int v = int(y * sy); v < c.FromHeight && v < (y + 1) * sy; ++v) {
                const double wy = std::min(v + 1.0, (y + 1) * sy) - std::max(double(v), y * sy);
                for (int u = int(x * sx); u < c.FromWidth && u < (x + 1) * sx; ++u) {
                    const double wx = std::min(u + 1.0, (x + 1) * sx) - std::max(double(u), x * sx);
                    for (int ch = 0; ch < 3; ++ch)
                        sum[size_t(ch)] += PixelAt(source, u, v)[size_t(ch)] * wx * wy;
                }
            }
            for (int ch = 0; ch < 3; ++ch)
                ASSERT_NEAR(PixelAt(scaled, x, y)[size_t(ch)], sum[size_t(ch)] / (sx * sy), 0.51)
                    << x << "," << y;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes,
                         ScaleTest,
                         ::testing::Values(TScaleCase{1000, 500, 318, 159},
                                           TScaleCase{600, 900, 98, 147},
                                           TScaleCase{37, 23, 5, 7},
                                           TScaleCase{5, 7, 37, 23},
                                           TScaleCase{7, 5, 3, 2},
                                           TScaleCase{1, 1, 5, 5},
                                           TScaleCase{5, 5, 5, 5},
                                           TScaleCase{300, 1, 7, 1}));

TEST(Scale, FractionalCoverage)
{
    TImage pixels(2, 2);
    SetPixel(pixels, 0, 0, {0, 0, 1});
    SetPixel(pixels, 1, 0, {1, 0, 1});
    SetPixel(pixels, 0, 1, {2, 0, 1});
    SetPixel(pixels, 1, 1, {4, 1, 0});
    // 7/4 rounds to 2, 1/4 to 0, 3/4 to 1.
    EXPECT_EQ(PixelAt(pixels.Scaled(1, 1), 0, 0), (TRgb{2, 0, 1}));

    TImage row(3, 1);
    SetPixel(row, 1, 0, {90, 90, 90});
    SetPixel(row, 2, 0, {180, 180, 180});
    const TImage two = row.Scaled(2, 1); // weights 2:1 and 1:2
    EXPECT_EQ(PixelAt(two, 0, 0)[0], 30);
    EXPECT_EQ(PixelAt(two, 1, 0)[0], 150);

    TImage column(1, 2);
    SetPixel(column, 0, 1, {200, 200, 200});
    const TImage three = column.Scaled(1, 3); // the middle row straddles both
    EXPECT_EQ(PixelAt(three, 0, 0)[1], 0);
    EXPECT_EQ(PixelAt(three, 0, 1)[1], 100);
    EXPECT_EQ(PixelAt(three, 0, 2)[1], 200);
}

// --- Files --------------------------------------------------------------------------------

class ImageFileTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    QString Path(const QString &name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

TEST_F(ImageFileTest, FormatFollowsTheExtension)
{
    const TImage image = Pattern(9, 7);
    ASSERT_TRUE(image.Save(Path(u"a.BMP"_s), TImageFormat::Bmp));
    ASSERT_TRUE(image.Save(Path(u"b.Jpeg"_s), TImageFormat::Jpeg));
    ASSERT_TRUE(image.Save(Path(u"c.jpg"_s), TImageFormat::Jpeg));
    ASSERT_TRUE(image.Save(Path(u"d.png"_s), TImageFormat::Bmp));
    ASSERT_TRUE(image.Save(Path(u"e.jpg"_s), TImageFormat::Bmp));

    const TImage bmp = TImage::Load(Path(u"a.BMP"_s));
    EXPECT_EQ(PixelBytes(bmp), PixelBytes(image));
    EXPECT_EQ(bmp.Format(), TImageFormat::Bmp);
    EXPECT_EQ(TImage::Load(Path(u"b.Jpeg"_s)).Format(), TImageFormat::Jpeg);
    EXPECT_EQ(TImage::Load(Path(u"c.jpg"_s)).Width(), 9);
    EXPECT_TRUE(TImage::Load(Path(u"d.png"_s)).IsNull());
    EXPECT_TRUE(TImage::Load(Path(u"e.jpg"_s)).IsNull()); // BMP bytes, JPEG name
    EXPECT_TRUE(TImage::Load(Path(u"missing.bmp"_s)).IsNull());
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"folder.jpg"_s));
    EXPECT_TRUE(TImage::Load(Path(u"folder.jpg"_s)).IsNull());
}

TEST_F(ImageFileTest, SaveWritesTheDecodedFileBackUnchanged)
{
    const QByteArray original = Bmp8();
    const TImage image = TImage::Decode(original, TImageFormat::Bmp);
    ASSERT_TRUE(image.Save(Path(u"x.bmp"_s), TImageFormat::Bmp));
    QFile file(Path(u"x.bmp"_s));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), original);
    // Another format encodes afresh.
    EXPECT_TRUE(image.ToJpeg().startsWith("\xFF\xD8"));
}

TEST_F(ImageFileTest, SaveFailures)
{
    const TImage image = Pattern(4, 4);
    EXPECT_FALSE(image.Save(Path(u"no/such/folder/x.bmp"_s), TImageFormat::Bmp));
    EXPECT_FALSE(image.Save(Path(u"x.bmp"_s), TImageFormat::None));
    EXPECT_FALSE(TImage().Save(Path(u"y.bmp"_s), TImageFormat::Bmp));
    EXPECT_FALSE(QFile::exists(Path(u"x.bmp"_s)));
    EXPECT_FALSE(QFile::exists(Path(u"y.bmp"_s)));
}

} // namespace
