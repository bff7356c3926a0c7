#include "catalog/image.h"

#include <algorithm>
#include <new>
#include <utility>
#include <vector>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include "catalog/bmpcodec.h"
#include "catalog/jpegcodec.h"

using namespace Qt::Literals::StringLiterals;

namespace {

// The largest file Load reads: a 32-bit BMP of MaxPixels plus generous headers.
constexpr qint64 MaxFileSize = 4 * TImage::MaxPixels + (qint64(1) << 20);

bool SizeAccepted(qint64 width, qint64 height)
{
    return width >= 1 && height >= 1 && width <= TImage::MaxSide && height <= TImage::MaxSide
           && width * height <= TImage::MaxPixels;
}

// Box-filter weights along one axis. On a grid of source * target units, target pixel t
// covers [t * source, (t + 1) * source) and source pixel s covers [s * target,
// (s + 1) * target), so every overlap is a whole number and the weights of one target
// pixel add up to the source length exactly.
struct TAxis
{
    std::vector<int> First;       // first source pixel of each target pixel
    std::vector<int> Start;       // each target pixel's run in Weights; one extra at the end
    std::vector<quint32> Weights; // overlaps, at most min(source, target) each
};

TAxis MakeAxis(int source, int target)
{
    TAxis axis;
    axis.First.resize(size_t(target));
    axis.Start.resize(size_t(target) + 1);
    axis.Weights.reserve(size_t(source) + size_t(target));
    for (int t = 0; t < target; ++t) {
        const qint64 begin = qint64(t) * source;
        const qint64 end = begin + source;
        const int first = int(begin / target);
        const int last = int((end - 1) / target);
        axis.First[size_t(t)] = first;
        axis.Start[size_t(t)] = int(axis.Weights.size());
        for (int s = first; s <= last; ++s) {
            const qint64 from = std::max(begin, qint64(s) * target);
            const qint64 to = std::min(end, qint64(s + 1) * target);
            axis.Weights.push_back(quint32(to - from));
        }
    }
    axis.Start[size_t(target)] = int(axis.Weights.size());
    return axis;
}

// Rounded division by a fixed divisor without a hardware division per sample: a
// floating-point estimate, corrected to the exact quotient (the estimate is off by at most
// one because n / divisor < 2^9 and the reciprocal carries 52 bits).
class TRoundedDivider
{
public:
    explicit TRoundedDivider(quint64 divisor)
        : m_divisor(divisor)
        , m_half(divisor / 2)
        , m_inverse(1.0 / double(divisor))
    {}
    uchar operator()(quint64 sum) const
    {
        const quint64 n = sum + m_half;
        quint64 q = quint64(double(n) * m_inverse);
        if (q * m_divisor > n)
            --q;
        else if ((q + 1) * m_divisor <= n)
            ++q;
        return uchar(q);
    }

private:
    quint64 m_divisor;
    quint64 m_half;
    double m_inverse;
};

} // namespace

TImage::TImage(int width, int height)
{
    if (!SizeAccepted(width, height))
        return;
    try {
        m_pixels = QByteArray(qsizetype(width) * height * 3, '\0');
    } catch (const std::bad_alloc &) {
        return;
    }
    m_width = width;
    m_height = height;
}

const uchar *TImage::Bits() const
{
    return IsNull() ? nullptr : reinterpret_cast<const uchar *>(m_pixels.constData());
}

uchar *TImage::Bits()
{
    return IsNull() ? nullptr : reinterpret_cast<uchar *>(m_pixels.data());
}

void TImage::SetEncoded(QByteArray bytes, TImageFormat format)
{
    m_encoded = std::move(bytes);
    m_format = format;
}

TImage TImage::Decode(const QByteArray &bytes, TImageFormat format)
{
    TImage image;
    if (format == TImageFormat::Bmp)
        image = ReadBmp(bytes);
    else if (format == TImageFormat::Jpeg)
        image = ReadJpeg(bytes);
    if (!image.IsNull())
        image.SetEncoded(bytes, format);
    return image;
}

TImageFormat TImage::FormatOfName(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == "jpg"_L1 || suffix == "jpeg"_L1)
        return TImageFormat::Jpeg;
    if (suffix == "bmp"_L1)
        return TImageFormat::Bmp;
    return TImageFormat::None;
}

TImage TImage::Load(const QString &fileName)
{
    const TImageFormat format = FormatOfName(fileName);
    if (format == TImageFormat::None)
        return {};
    QFile file(fileName);
    // Pipes and devices have no size to check before reading; pictures are plain files.
    if (!file.open(QIODevice::ReadOnly) || file.isSequential())
        return {};
    const qint64 size = file.size();
    if (size <= 0 || size > MaxFileSize)
        return {};
    QByteArray bytes;
    try {
        bytes = file.read(size);
    } catch (const std::bad_alloc &) {
        return {};
    }
    return Decode(bytes, format);
}

TImage TImage::Scaled(int width, int height) const
{
    if (IsNull())
        return {};
    if (width == m_width && height == m_height) {
        TImage copy = *this; // shares the pixels until either is written
        copy.SetEncoded({}, TImageFormat::None);
        return copy;
    }
    TImage result(width, height);
    if (result.IsNull())
        return {};
    const TAxis columns = MakeAxis(m_width, width);
    const TAxis rows = MakeAxis(m_height, height);
    // Rows first: summing whole source rows is a plain loop over contiguous bytes that the
    // compiler vectorises, and leaves the fiddly horizontal pass only the target rows.
    // A row sum is at most 255 * source height; a final sum 255 * source pixels (~1e11).
    const qsizetype lineBytes = BytesPerLine();
    std::vector<quint32> rowSums(static_cast<size_t>(lineBytes));
    const TRoundedDivider divide(quint64(m_width) * quint64(m_height));
    uchar *out = result.Bits();
    for (int y = 0; y < height; ++y) {
        std::fill(rowSums.begin(), rowSums.end(), 0);
        const uchar *source = Bits() + lineBytes * rows.First[size_t(y)];
        for (int k = rows.Start[size_t(y)]; k < rows.Start[size_t(y) + 1]; ++k) {
            const quint32 weight = rows.Weights[size_t(k)];
            quint32 *sum = rowSums.data();
            for (qsizetype i = 0; i < lineBytes; ++i)
                sum[i] += source[i] * weight;
            source += lineBytes;
        }
        for (int x = 0; x < width; ++x) {
            const quint32 *pixel = rowSums.data() + qsizetype(columns.First[size_t(x)]) * 3;
            quint64 r = 0, g = 0, b = 0;
            for (int k = columns.Start[size_t(x)]; k < columns.Start[size_t(x) + 1]; ++k) {
                const quint64 weight = columns.Weights[size_t(k)];
                r += pixel[0] * weight;
                g += pixel[1] * weight;
                b += pixel[2] * weight;
                pixel += 3;
            }
            *out++ = divide(r);
            *out++ = divide(g);
            *out++ = divide(b);
        }
    }
    return result;
}

QByteArray TImage::ToJpeg(int quality) const
{
    if (m_format == TImageFormat::Jpeg && !m_encoded.isEmpty())
        return m_encoded;
    return WriteJpeg(*this, quality);
}

QByteArray TImage::ToBmp() const
{
    if (m_format == TImageFormat::Bmp && !m_encoded.isEmpty())
        return m_encoded;
    return WriteBmp(*this);
}

bool TImage::Save(const QString &fileName, TImageFormat format) const
{
    QByteArray bytes;
    if (format == TImageFormat::Jpeg)
        bytes = ToJpeg();
    else if (format == TImageFormat::Bmp)
        bytes = ToBmp();
    if (bytes.isEmpty())
        return false;
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size())
        return false;
    return file.commit();
}
