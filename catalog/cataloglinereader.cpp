#include "catalog/cataloglinereader.h"

#include <algorithm>
#include <bit>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include <QBuffer>
#include <QFile>

#include "catalog/ansi.h"

namespace {

constexpr qint64 ChunkSize = 1 << 20;
// At most this many bytes are decoded by one AppendLines.
constexpr qsizetype BatchBytes = 64 * 1024;

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
    QString out;
    DecodeUtf8Lenient(bytes, out);
    return out;
}

void DecodeUtf8Lenient(QByteArrayView bytes, QString &out)
{
    out.truncate(0);
    AppendUtf8Lenient(bytes, out, {});
}

namespace {

// The decoder behind AppendUtf8Lenient. With `Breaks`, every CR LF, lone CR and lone LF in
// `bytes` becomes CR LF, so that many lines decode in one pass and join as the reader joins
// them, and the end of each line goes to `lineEnds`.
template <bool Breaks>
void AppendDecoded(QByteArrayView bytes,
                   QString &out,
                   QStringView prefix,
                   std::vector<qsizetype> *lineEnds = nullptr)
{
    // UTF-16 never needs more units than UTF-8 has bytes, except for a lone CR or LF, which
    // takes two.
    const qsizetype start = out.size();
    const qsizetype most = start + prefix.size() + (Breaks ? 2 : 1) * bytes.size();
    if (out.capacity() < most)
        out.reserve(std::max(most, 2 * out.capacity()));
    out.resize(most);
    char16_t *dst = reinterpret_cast<char16_t *>(out.data()) + start;
    dst = std::copy(prefix.utf16(), prefix.utf16() + prefix.size(), dst);
    char16_t *const first = reinterpret_cast<char16_t *>(out.data());
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *const end = p + bytes.size();
    while (p < end) {
#ifdef __SSE2__
        // ASCII, most of a catalog, sixteen bytes at a time. The stores may run past the
        // ASCII run, never past the room reserved: each byte left takes at least one unit.
        while (end - p >= 16) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            const __m128i zero = _mm_setzero_si128();
            _mm_storeu_si128(reinterpret_cast<__m128i *>(dst), _mm_unpacklo_epi8(chunk, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(dst + 8), _mm_unpackhi_epi8(chunk, zero));
            int stops = _mm_movemask_epi8(chunk);
            if constexpr (Breaks) {
                const __m128i cr = _mm_cmpeq_epi8(chunk, _mm_set1_epi8('\r'));
                const __m128i lf = _mm_cmpeq_epi8(chunk, _mm_set1_epi8('\n'));
                stops |= _mm_movemask_epi8(_mm_or_si128(cr, lf));
            }
            if (stops != 0) {
                const int plain = std::countr_zero(unsigned(stops));
                p += plain;
                dst += plain;
                break;
            }
            p += 16;
            dst += 16;
        }
        if (p == end)
            break;
#endif
        if constexpr (Breaks) {
            if (*p == '\r' || *p == '\n') {
                p += *p == '\r' && end - p > 1 && p[1] == '\n' ? 2 : 1;
                lineEnds->push_back(dst - first);
                *dst++ = u'\r';
                *dst++ = u'\n';
                continue;
            }
        }
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
    out.truncate(dst - first);
    if constexpr (Breaks)
        lineEnds->push_back(dst - first);
}

} // namespace

void AppendUtf8Lenient(QByteArrayView bytes, QString &out, QStringView prefix)
{
    AppendDecoded<false>(bytes, out, prefix);
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

// Reads and decodes batches of lines on its own thread while the caller parses the ones
// before: decoding is a fifth of a load, and the read's copy from the system another part.
// A few batches are kept ready; the thread waits while they are not taken.
class TCatalogLineReader::TDecoder
{
public:
    explicit TDecoder(TCatalogLineReader &reader)
        : m_thread([this, &reader] { Run(reader); })
    {}
    TDecoder(const TDecoder &) = delete;
    TDecoder &operator=(const TDecoder &) = delete;
    ~TDecoder()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_changed.notify_all();
        m_thread.join();
    }

    // The next batch into `batch`; false when the lines are done (and then always).
    bool Take(TBatch &batch)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_ready.empty() || m_done; });
        if (m_ready.empty())
            return false;
        batch = std::move(m_ready.front());
        m_ready.pop_front();
        lock.unlock();
        m_changed.notify_all();
        return true;
    }

private:
    static constexpr size_t ReadyBatches = 4;

    void Run(TCatalogLineReader &reader)
    {
        for (;;) {
            TBatch batch;
            bool more = false;
            try {
                batch.FirstByte = reader.m_bytesRead - (reader.m_end - reader.m_pos);
                more = reader.DecodeLines(batch.Text, batch.Ends) > 0;
            } catch (...) {
                // Out of memory: the text ends here, as after a read error.
                reader.m_failed.store(true, std::memory_order_release);
            }
            std::unique_lock lock(m_mutex);
            if (!more) {
                m_done = true;
                lock.unlock();
                m_changed.notify_all();
                return;
            }
            m_changed.wait(lock, [this] { return m_ready.size() < ReadyBatches || m_stop; });
            if (m_stop)
                return;
            m_ready.push_back(std::move(batch));
            lock.unlock();
            m_changed.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<TBatch> m_ready;
    bool m_done = false;
    bool m_stop = false;
    // Last, so that it starts when the rest is ready.
    std::thread m_thread;
};

TCatalogLineReader::~TCatalogLineReader()
{
    StopDecoder();
}

void TCatalogLineReader::StopDecoder()
{
    m_decoder.reset();
    m_batch = {};
    m_batchPos = 0;
    m_batchLine = 0;
}

bool TCatalogLineReader::Failed() const
{
    // Set by the decoder after its last use of the file, so that a caller who sees it may
    // ask the file for its error.
    return m_failed.load(std::memory_order_acquire);
}

bool TCatalogLineReader::Open()
{
    if (!m_file->open(QIODevice::ReadOnly))
        return false;
    m_fileSize = m_file->size();
    return Rewind();
}

bool TCatalogLineReader::Rewind()
{
    StopDecoder();
    m_pos = 0;
    m_end = 0;
    m_nextLf = -1;
    m_eof = false;
    m_failed = false;
    m_bytesRead = 0;
    if (!m_file->seek(0))
        return false;
    Fill();
    if (m_end >= 3 && std::memcmp(m_chunk.data(), "\xEF\xBB\xBF", 3) == 0)
        m_pos = 3;
    return !m_failed;
}

// Appends the next chunk after what is still unread; false at the end of the file.
bool TCatalogLineReader::Fill()
{
    if (m_eof)
        return false;
    const qsizetype kept = m_end - m_pos;
    if (kept > 0)
        std::memmove(m_chunk.data(), m_chunk.data() + m_pos, size_t(kept));
    m_pos = 0;
    m_end = kept;
    m_nextLf = -1;
    // Grows only while one line is longer than a chunk.
    if (qsizetype(m_chunk.size()) < kept + ChunkSize)
        m_chunk.resize(size_t(kept + ChunkSize));
    const qint64 got = m_file->read(m_chunk.data() + kept, qint64(m_chunk.size()) - kept);
    if (got < 0) {
        m_eof = true;
        m_failed.store(true, std::memory_order_release);
        return false;
    }
    m_bytesRead += got;
    m_end = kept + got;
    if (got == 0)
        m_eof = true;
    return got > 0;
}

// The first CR or LF at or after `from`, or the end of the unread bytes.
const char *TCatalogLineReader::FindLineBreak(const char *from)
{
    const char *base = m_chunk.data();
    if (from >= base + m_end)
        return base + m_end;
    if (m_nextLf < from - base) {
        const void *lf = std::memchr(from, '\n', size_t(base + m_end - from));
        m_nextLf = lf ? static_cast<const char *>(lf) - base : m_end;
    }
    const char *limit = base + m_nextLf;
    const void *cr = std::memchr(from, '\r', size_t(limit - from));
    return cr ? static_cast<const char *>(cr) : limit;
}

bool TCatalogLineReader::NextLineBytes(QByteArrayView &bytes)
{
    qsizetype scanned = 0;
    for (;;) {
        const char *begin = m_chunk.data() + m_pos;
        const char *end = m_chunk.data() + m_end;
        const char *stop = FindLineBreak(begin + scanned);
        if (stop != end) {
            // A CR at the very end of the chunk may be the first half of CR LF.
            if (*stop == '\r' && stop + 1 == end && !m_eof) {
                scanned = stop - begin;
                Fill();
                continue;
            }
            bytes = QByteArrayView(begin, stop - begin);
            qsizetype next = stop - m_chunk.data() + 1;
            if (*stop == '\r' && stop + 1 != end && stop[1] == '\n')
                ++next;
            m_pos = next;
            return true;
        }
        scanned = end - begin;
        if (!Fill()) {
            if (m_pos >= m_end && scanned == 0)
                return false;
            // The last line has no line break.
            bytes = QByteArrayView(m_chunk.data() + m_pos, m_end - m_pos);
            m_pos = m_end;
            return true;
        }
    }
}

bool TCatalogLineReader::NextLine(QString &line)
{
    if (m_decoder) {
        QStringView taken;
        if (!TakeLine(taken))
            return false;
        line = taken.toString();
        return true;
    }
    QByteArrayView bytes;
    if (!NextLineBytes(bytes))
        return false;
    DecodeUtf8Lenient(bytes, line);
    return true;
}

bool TCatalogLineReader::AppendNextLine(QString &text)
{
    // Lines decoded ahead come through NextLine, as for any source.
    if (m_decoder)
        return ITagLineSource::AppendNextLine(text);
    QByteArrayView bytes;
    if (!NextLineBytes(bytes))
        return false;
    AppendUtf8Lenient(bytes, text, u"\r\n");
    return true;
}

bool TCatalogLineReader::NextBatch()
{
    while (m_batchLine == m_batch.Ends.size()) {
        m_batchPos = 0;
        m_batchLine = 0;
        if (!m_decoder->Take(m_batch)) {
            m_batch = {};
            return false;
        }
    }
    return true;
}

bool TCatalogLineReader::TakeLine(QStringView &line)
{
    if (!NextBatch())
        return false;
    const qsizetype end = m_batch.Ends[m_batchLine++];
    line = QStringView(m_batch.Text).sliced(m_batchPos + 2, end - m_batchPos - 2);
    m_batchPos = end;
    return true;
}

qsizetype TCatalogLineReader::AppendLines(QString &text, std::vector<qsizetype> &lineEnds)
{
    if (!m_decoder && !m_decodeHere) {
        try {
            m_decoder = std::make_unique<TDecoder>(*this);
        } catch (const std::system_error &) {
            // No thread to be had: the lines are decoded here, as they are read.
            m_decodeHere = true;
        }
    }
    if (!m_decoder)
        return DecodeLines(text, lineEnds);
    if (!NextBatch())
        return 0;
    // The rest of the batch, as it is: its lines are already joined as the caller joins them.
    const qsizetype shift = text.size() - m_batchPos;
    text.append(QStringView(m_batch.Text).sliced(m_batchPos));
    const auto first = m_batch.Ends.begin() + qsizetype(m_batchLine);
    for (auto end = first; end != m_batch.Ends.end(); ++end)
        lineEnds.push_back(*end + shift);
    const qsizetype count = m_batch.Ends.end() - first;
    m_batchLine = m_batch.Ends.size();
    m_batchPos = m_batch.Text.size();
    return count;
}

qsizetype TCatalogLineReader::DecodeLines(QString &text, std::vector<qsizetype> &lineEnds)
{
    // The lines up to the last LF are complete: a CR before it cannot be the first half of
    // a CR LF still to be read. A call per batch instead of per line saves the per-line
    // decode calls and copies, which cost about a tenth of a load; a batch is small enough
    // that the reader finds its text still in the cache.
    const char *const begin = m_chunk.data() + m_pos;
    const qsizetype window = std::min(m_end - m_pos, BatchBytes);
    const void *const lf = ::memrchr(begin, '\n', size_t(window));
    if (!lf) {
        QByteArrayView bytes;
        if (!NextLineBytes(bytes))
            return 0;
        AppendUtf8Lenient(bytes, text, u"\r\n");
        lineEnds.push_back(text.size());
        return 1;
    }
    const char *stop = static_cast<const char *>(lf);
    m_pos = stop + 1 - m_chunk.data();
    m_nextLf = -1;
    // The CR of the last CR LF is part of that line break, not a line break of its own.
    if (stop != begin && stop[-1] == '\r')
        --stop;
    const size_t before = lineEnds.size();
    AppendDecoded<true>(QByteArrayView(begin, stop), text, u"\r\n", &lineEnds);
    return qsizetype(lineEnds.size() - before);
}

qint64 TCatalogLineReader::RemainingBound() const
{
    // What the decoder has read is not known here: the bound counts from where the bytes
    // of the current batch start.
    if (m_decoder)
        return 2 * std::max<qint64>(m_fileSize - m_batch.FirstByte, 0) + 2;
    const qint64 unread = (m_end - m_pos) + (m_eof ? 0 : m_fileSize - m_file->pos());
    // A lone line break byte reads back as two characters; every other byte as at most one.
    return 2 * std::max<qint64>(unread, 0) + 2;
}
