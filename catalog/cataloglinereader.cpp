#include "catalog/cataloglinereader.h"

#include <algorithm>

#include <QBuffer>
#include <QFile>

#include "catalog/ansi.h"

namespace {

constexpr qint64 ChunkSize = 1 << 20;

bool IsContinuation(uchar byte)
{
    return (byte & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence at p (p < end, *p >= 0x80) and its code point;
// 0 when the bytes there are no valid sequence.
int Utf8Sequence(const uchar *p, const uchar *end, char32_t &codePoint)
{
    const uchar lead = *p;
    const qsizetype left = end - p;
    if (lead >= 0xC2 && lead <= 0xDF) {
        if (left < 2 || !IsContinuation(p[1]))
            return 0;
        codePoint = (char32_t(lead & 0x1F) << 6) | (p[1] & 0x3F);
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        if (left < 3 || !IsContinuation(p[1]) || !IsContinuation(p[2]))
            return 0;
        // No overlong forms and no surrogates.
        if ((lead == 0xE0 && p[1] < 0xA0) || (lead == 0xED && p[1] > 0x9F))
            return 0;
        codePoint = (char32_t(lead & 0x0F) << 12) | (char32_t(p[1] & 0x3F) << 6) | (p[2] & 0x3F);
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        if (left < 4 || !IsContinuation(p[1]) || !IsContinuation(p[2]) || !IsContinuation(p[3]))
            return 0;
        if ((lead == 0xF0 && p[1] < 0x90) || (lead == 0xF4 && p[1] > 0x8F))
            return 0;
        codePoint = (char32_t(lead & 0x07) << 18) | (char32_t(p[1] & 0x3F) << 12)
                    | (char32_t(p[2] & 0x3F) << 6) | (p[3] & 0x3F);
        return 4;
    }
    return 0;
}

} // namespace

QString DecodeUtf8Lenient(QByteArrayView bytes)
{
    // UTF-16 never needs more units than UTF-8 has bytes.
    QString out(bytes.size(), Qt::Uninitialized);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data());
    char16_t *const start = dst;
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *const end = p + bytes.size();
    while (p < end) {
        if (*p < 0x80) {
            *dst++ = *p++;
            continue;
        }
        char32_t codePoint = 0;
        const int length = Utf8Sequence(p, end, codePoint);
        if (length == 0) {
            *dst++ = AnsiToUnicode(*p++);
        } else if (codePoint >= 0x10000) {
            *dst++ = char16_t(0xD800 + ((codePoint - 0x10000) >> 10));
            *dst++ = char16_t(0xDC00 + ((codePoint - 0x10000) & 0x3FF));
            p += length;
        } else {
            *dst++ = char16_t(codePoint);
            p += length;
        }
    }
    out.truncate(dst - start);
    return out;
}

TCatalogLineReader::TCatalogLineReader(const QString &fileName)
    : m_file(std::make_unique<QFile>(fileName))
{}

TCatalogLineReader::TCatalogLineReader(QByteArray contents)
{
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(std::move(contents));
    m_file = std::move(buffer);
}

bool TCatalogLineReader::Open()
{
    if (!m_file->open(QIODevice::ReadOnly))
        return false;
    return Rewind();
}

bool TCatalogLineReader::Rewind()
{
    m_chunk.clear();
    m_pos = 0;
    m_eof = false;
    m_failed = false;
    if (!m_file->seek(0))
        return false;
    Fill();
    if (m_chunk.startsWith("\xEF\xBB\xBF"))
        m_pos = 3;
    return !m_failed;
}

// Appends the next chunk after what is still unread; false at the end of the file.
bool TCatalogLineReader::Fill()
{
    if (m_eof)
        return false;
    m_chunk.remove(0, m_pos);
    m_pos = 0;
    const qsizetype kept = m_chunk.size();
    m_chunk.resize(kept + ChunkSize);
    const qint64 got = m_file->read(m_chunk.data() + kept, ChunkSize);
    if (got < 0) {
        m_failed = true;
        m_eof = true;
        m_chunk.resize(kept);
        return false;
    }
    m_chunk.resize(kept + got);
    if (got == 0)
        m_eof = true;
    return got > 0;
}

bool TCatalogLineReader::NextLine(QString &line)
{
    qsizetype scanned = 0;
    for (;;) {
        const char *begin = m_chunk.constData() + m_pos;
        const char *end = m_chunk.constData() + m_chunk.size();
        const char *stop =
            std::find_if(begin + scanned, end, [](char c) { return c == '\r' || c == '\n'; });
        if (stop != end) {
            // A CR at the very end of the chunk may be the first half of CR LF.
            if (*stop == '\r' && stop + 1 == end && !m_eof) {
                scanned = stop - begin;
                Fill();
                continue;
            }
            line = DecodeUtf8Lenient(QByteArrayView(begin, stop - begin));
            qsizetype next = stop - m_chunk.constData() + 1;
            if (*stop == '\r' && stop + 1 != end && stop[1] == '\n')
                ++next;
            m_pos = next;
            return true;
        }
        scanned = end - begin;
        if (!Fill()) {
            if (m_pos >= m_chunk.size() && scanned == 0)
                return false;
            // The last line has no line break.
            line = DecodeUtf8Lenient(QByteArrayView(m_chunk).sliced(m_pos));
            m_pos = m_chunk.size();
            return true;
        }
    }
}

qint64 TCatalogLineReader::RemainingBound() const
{
    const qint64 unread = (m_chunk.size() - m_pos) + (m_eof ? 0 : m_file->size() - m_file->pos());
    // A lone line break byte reads back as two characters; every other byte as at most one.
    return 2 * std::max<qint64>(unread, 0) + 2;
}
