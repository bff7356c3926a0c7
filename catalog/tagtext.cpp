#include "catalog/tagtext.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include <sys/mman.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

using namespace Qt::Literals::StringLiterals;

namespace {

struct TEntity
{
    char16_t Character;
    QLatin1StringView Text;
};

// Order matters: the first three are the ones every reader decodes.
constexpr std::array<TEntity, 5> Entities{{
    {u'&', "&amp;"_L1},
    {u'<', "&lt;"_L1},
    {u'>', "&gt;"_L1},
    {u'"', "&quot;"_L1},
    {u'\'', "&apos;"_L1},
}};

constexpr QLatin1StringView XmlDeclaration{"<?xml version=\"1.0\" encoding=\"UTF-8\"?>"};

bool IsEscaped(QChar c)
{
    return c == u'&' || c == u'<' || c == u'>';
}

void AppendEscaped(QString &out, QStringView text)
{
    const QChar *begin = text.data();
    const QChar *end = begin + text.size();
    const QChar *run = begin;
    for (const QChar *p = begin; p != end; ++p) {
        if (!IsEscaped(*p))
            continue;
        out.append(QStringView(run, p - run));
        out.append(*p == u'&'   ? Entities[0].Text
                   : *p == u'<' ? Entities[1].Text
                                : Entities[2].Text);
        run = p + 1;
    }
    out.append(QStringView(run, end - run));
}

bool HasLoneLineBreak(QStringView text)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        if (text[i] == u'\r') {
            if (i + 1 == size || text[i + 1] != u'\n')
                return true;
            ++i;
        } else if (text[i] == u'\n') {
            return true;
        }
    }
    return false;
}

// Lone CR and LF become CR LF: that is what the value reads back as, since the catalog
// loader splits lines at any of them and the reader joins lines with CR LF.
QString WithCrLf(QStringView text)
{
    QString out;
    out.reserve(text.size() + 16);
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            out.append(u"\r\n");
            if (c == u'\r' && i + 1 < size && text[i + 1] == u'\n')
                ++i;
        } else {
            out.append(c);
        }
    }
    return out;
}

QString Unescape(QStringView text, int entityCount)
{
    qsizetype amp = text.indexOf(u'&');
    if (amp < 0)
        return text.toString();
    const int count = std::clamp(entityCount, 0, int(Entities.size()));
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    while (amp >= 0) {
        out.append(text.mid(from, amp - from));
        const QStringView rest = text.mid(amp);
        from = amp + 1;
        QChar decoded = u'&';
        // No entity is a prefix of another, so the first match is the only one.
        for (int i = 0; i < count; ++i) {
            if (rest.startsWith(Entities[i].Text)) {
                decoded = Entities[i].Character;
                from = amp + Entities[i].Text.size();
                break;
            }
        }
        out.append(decoded);
        amp = text.indexOf(u'&', from);
    }
    out.append(text.mid(from));
    return out;
}

// Hands out the values of one read as slices of large shared blocks instead of one
// allocation each: a catalog holds hundreds of thousands of short values, and a heap
// allocation per value cost more than the rest of the load. Each slice is a normal QString
// that holds a reference on its block, so it may outlive the read and the catalog; a slice
// that is changed gets its own copy (copy on write), and a block is freed with the last
// slice that uses it. Long values get their own allocation, so that one edit does not keep
// a large block alive for a short value.
class TValueArena
{
public:
    // The value `text` with its entities replaced (when `entityCount` > 0; see Unescape).
    QString Value(QStringView text, int entityCount)
    {
        if (text.isEmpty() || text.size() > MaxSliceChars)
            return entityCount > 0 ? Unescape(text, entityCount) : text.toString();
        // Decoding entities never lengthens the text; the slice ends with the '\0' every
        // QString has after its characters.
        if (m_block.size - m_used < text.size() + 1)
            NewBlock();
        char16_t *const begin = m_block.ptr + m_used;
        char16_t *const end = entityCount > 0
                                  ? UnescapeInto(text, entityCount, begin)
                                  : std::copy(text.utf16(), text.utf16() + text.size(), begin);
        *end = u'\0';
        m_used += end - begin + 1;
        QString::DataPointer slice(m_block);
        slice.ptr = begin;
        slice.size = end - begin;
        return QString(std::move(slice));
    }

private:
    // Blocks start small (a short file costs little) and double up to the largest size.
    static constexpr qsizetype FirstBlockChars = 32 * 1024;
    static constexpr qsizetype MaxBlockChars = 2 * 1024 * 1024;
    static constexpr qsizetype MaxSliceChars = 8 * 1024;
    // Blocks from this size on have their pages taken ahead (see PrepareMemory).
    static constexpr qsizetype PreparedBlockBytes = qsizetype(1) << 20;

    void NewBlock()
    {
        m_blockChars =
            m_block.size == 0 ? FirstBlockChars : std::min(2 * m_blockChars, MaxBlockChars);
        if (m_next.size == m_blockChars) {
            m_block = std::exchange(m_next, {});
        } else {
            QString block(m_blockChars, Qt::Uninitialized);
            m_block = block.data_ptr();
            if (m_block.size * qsizetype(sizeof(char16_t)) >= PreparedBlockBytes)
                PrepareMemory(m_block.ptr, m_block.size * qsizetype(sizeof(char16_t)));
        }
        m_used = 0;
        // The next block is made now and its pages are taken on another core while this
        // one fills: getting a large block's pages from the system costs about as much as
        // filling them.
        const qsizetype nextChars = std::min(2 * m_blockChars, MaxBlockChars);
        if (nextChars * qsizetype(sizeof(char16_t)) >= PreparedBlockBytes) {
            QString next(nextChars, Qt::Uninitialized);
            m_next = next.data_ptr();
            m_preparer.Prepare(m_next.ptr, m_next.size * qsizetype(sizeof(char16_t)));
        }
    }

    // A large catalog fills many megabytes of blocks, and taking their pages one fault at a
    // time was a large part of a load: the pages of a large block are asked for in one call,
    // as huge pages where the system grants them on request. Both are hints; without them
    // the pages still come one fault at a time.
    static void PrepareMemory(void *start, qsizetype bytes)
    {
#if defined(MADV_HUGEPAGE) || defined(MADV_POPULATE_WRITE)
        constexpr quintptr PageSize = 4096;
        const quintptr from = (quintptr(start) + PageSize - 1) & ~(PageSize - 1);
        const quintptr to = (quintptr(start) + quintptr(bytes)) & ~(PageSize - 1);
        if (to <= from)
            return;
#ifdef MADV_HUGEPAGE
        ::madvise(reinterpret_cast<void *>(from), to - from, MADV_HUGEPAGE);
#endif
#ifdef MADV_POPULATE_WRITE
        ::madvise(reinterpret_cast<void *>(from), to - from, MADV_POPULATE_WRITE);
#endif
#else
        Q_UNUSED(start);
        Q_UNUSED(bytes);
#endif
    }

    // Prepares blocks on a thread of its own, started with the first block that needs it
    // (only a large text has such blocks) and joined when the arena ends. Preparing changes
    // no content, so the parser may fill a block whose pages are still being taken.
    class TPreparer
    {
    public:
        TPreparer() = default;
        TPreparer(const TPreparer &) = delete;
        TPreparer &operator=(const TPreparer &) = delete;
        ~TPreparer()
        {
            if (!m_thread.joinable())
                return;
            {
                const std::lock_guard lock(m_mutex);
                m_stop = true;
            }
            m_wake.notify_one();
            m_thread.join();
        }

        void Prepare(void *start, qsizetype bytes)
        {
            {
                const std::lock_guard lock(m_mutex);
                m_jobs.push_back({start, bytes});
            }
            if (!m_thread.joinable())
                m_thread = std::thread([this] { Run(); });
            else
                m_wake.notify_one();
        }

    private:
        void Run()
        {
            for (;;) {
                std::pair<void *, qsizetype> job;
                {
                    std::unique_lock lock(m_mutex);
                    m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
                    if (m_stop)
                        return;
                    job = m_jobs.front();
                    m_jobs.pop_front();
                }
                PrepareMemory(job.first, job.second);
            }
        }

        std::mutex m_mutex;
        std::condition_variable m_wake;
        std::deque<std::pair<void *, qsizetype>> m_jobs;
        bool m_stop = false;
        std::thread m_thread;
    };

    static char16_t *UnescapeInto(QStringView text, int entityCount, char16_t *out);

    // The block being filled (its size is its capacity) and how much of it is handed out.
    QString::DataPointer m_block;
    qsizetype m_used = 0;
    qsizetype m_blockChars = 0;
    // The block to fill next, being prepared; empty while the blocks are small.
    QString::DataPointer m_next;
    // Last, so that its thread is done before the blocks it works on are released.
    TPreparer m_preparer;
};

char16_t *TValueArena::UnescapeInto(QStringView text, int entityCount, char16_t *out)
{
    const int count = std::clamp(entityCount, 0, int(Entities.size()));
    const char16_t *p = text.utf16();
    const char16_t *const end = p + text.size();
    while (p != end) {
        const char16_t *amp = std::find(p, end, u'&');
        out = std::copy(p, amp, out);
        if (amp == end)
            break;
        const QStringView rest(amp, end - amp);
        p = amp + 1;
        char16_t decoded = u'&';
        // No entity is a prefix of another, so the first match is the only one.
        for (int i = 0; i < count; ++i) {
            if (rest.startsWith(Entities[i].Text)) {
                decoded = Entities[i].Character;
                p = amp + Entities[i].Text.size();
                break;
            }
        }
        *out++ = decoded;
    }
    return out;
}

// Strict decimal with an optional sign; anything outside int is no number.
std::optional<qint64> ParseLength(QStringView text)
{
    qsizetype i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > qint64(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<int>::max())
        return std::nullopt;
    return value;
}

// Hands out the lines of a list, knowing exactly what is left.
class TListLineSource : public ITagLineSource
{
public:
    explicit TListLineSource(const QStringList &lines)
        : m_lines(lines)
    {
        for (const QString &line : lines)
            m_remaining += line.size() + 2;
    }
    bool NextLine(QString &line) override
    {
        if (m_next >= m_lines.size())
            return false;
        line = m_lines[m_next++];
        m_remaining -= line.size() + 2;
        return true;
    }
    qint64 RemainingBound() const override { return m_remaining; }

private:
    const QStringList &m_lines;
    qsizetype m_next = 0;
    qint64 m_remaining = 0;
};

// The first of `p` to `end` that is `a`, `b` or `c`, or `end`.
const char16_t *FindAny(const char16_t *p, const char16_t *end, char16_t a, char16_t b, char16_t c)
{
#ifdef __SSE2__
    const __m128i wantA = _mm_set1_epi16(short(a));
    const __m128i wantB = _mm_set1_epi16(short(b));
    const __m128i wantC = _mm_set1_epi16(short(c));
    for (; end - p >= 8; p += 8) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i hit =
            _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi16(chunk, wantA), _mm_cmpeq_epi16(chunk, wantB)),
                         _mm_cmpeq_epi16(chunk, wantC));
        if (const int mask = _mm_movemask_epi8(hit))
            return p + std::countr_zero(unsigned(mask)) / 2;
    }
#endif
    while (p != end && *p != a && *p != b && *p != c)
        ++p;
    return p;
}

// The first `c` from `p` to `end`, or `end`. The reader searches every character of a
// catalog for the next '<' or '>', so sixteen characters a step.
const char16_t *FindChar(const char16_t *p, const char16_t *end, char16_t c)
{
#ifdef __SSE2__
    const __m128i want = _mm_set1_epi16(short(c));
    for (; end - p >= 16; p += 16) {
        const __m128i low =
            _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p)), want);
        const __m128i high =
            _mm_cmpeq_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p + 8)), want);
        if (const int mask = _mm_movemask_epi8(_mm_packs_epi16(low, high)))
            return p + std::countr_zero(unsigned(mask));
    }
#endif
    while (p != end && *p != c)
        ++p;
    return p;
}

// Walks a whole text. The recursion of the element grammar is kept on an explicit stack
// so that deeply nested (malformed) input cannot exhaust the call stack. Positions
// (ScanFrom, Lt, Gt) are 1-based and relative to the unconsumed rest, 0 meaning none.
class TTagTextReader
{
public:
    TTagTextReader(ITagLineSource &source, const QString &firstLine)
        : m_source(source)
    {
        if (firstLine.contains(XmlDeclaration))
            m_entityCount = 5;
    }

    // False when the nesting went deeper than TagTextMaxDepth.
    bool Run(TXMLTag root);

private:
    // An element name with what the reader needs to know of it, worked out once per name.
    struct TName
    {
        explicit TName(QStringView name = {})
            : Text(name.toString())
            , LongText(IsLongTextTag(name))
            , Cover(name == "cover"_L1)
        {}

        QString Text;
        bool LongText;
        bool Cover;
    };

    struct TFrame
    {
        TFrame(TXMLTag &&tag, const TName &name)
            : Tag(std::move(tag))
            , LongText(name.LongText)
            , Cover(name.Cover)
        {}

        TXMLTag Tag;
        qint64 ScanFrom = 1;
        qint64 Lt = 0;
        qint64 Gt = 0;
        bool Unescape = true;
        bool LongText;
        bool Cover;
    };

    QStringView Rest() const { return QStringView(m_buffer).sliced(m_start, m_end - m_start); }
    qint64 Pos(char16_t c, qint64 from) const
    {
        // Every tag asks twice; Qt's search for one character costs a chain of calls each
        // time, more than the few characters to the next '<' or '>' take.
        const QStringView rest = Rest();
        const qsizetype start = std::max<qint64>(from - 1, 0);
        if (start >= rest.size())
            return 0;
        const char16_t *const begin = rest.utf16();
        const char16_t *const end = begin + rest.size();
        const char16_t *const hit = FindChar(begin + start, end, c);
        return hit == end ? 0 : hit - begin + 1;
    }
    void Consume(qint64 count) { m_start += std::clamp<qint64>(count, 0, Rest().size()); }

    void FindTag(TFrame &frame, qint64 from);
    qint64 FindLengthEnd();
    bool ReadLengthPrefix(TFrame &frame);
    bool AppendNextLine();
    // Element names repeat in every record: a shared copy saves an allocation per element.
    // The table only fills (open addressing, a few probes): a file of endless distinct
    // names gets copies once it is full.
    // The result is valid until the next call.
    const TName &TagName(QStringView name)
    {
        const size_t mask = m_names.size() - 1;
        size_t slot = ElementNameHash(name) & mask;
        for (int probe = 0; probe < 8; ++probe, slot = (slot + 1) & mask) {
            if (!m_nameUsed[slot]) {
                m_nameUsed[slot] = true;
                m_names[slot] = TName(name);
                return m_names[slot];
            }
            if (m_names[slot].Text == name)
                return m_names[slot];
        }
        m_unlisted = TName(name);
        return m_unlisted;
    }

    ITagLineSource &m_source;
    bool m_exhausted = false;
    int m_entityCount = 3;
    // The unconsumed rest is m_buffer from m_start to m_end. Lines the source handed out
    // together and not yet taken follow it, each after CR LF; m_lineEnds from m_nextLine on
    // are where they end.
    QString m_buffer;
    qsizetype m_start = 0;
    qsizetype m_end = 0;
    std::vector<qsizetype> m_lineEnds;
    size_t m_nextLine = 0;
    // Search memos, as absolute indexes into m_buffer: the last rest a search from its
    // start found no complete tag in, and where "</s>" may start at the earliest.
    qsizetype m_missStart = -1;
    qsizetype m_missEnd = -1;
    qsizetype m_lengthEndAbsentBefore = 0;
    std::array<TName, 256> m_names;
    std::array<bool, 256> m_nameUsed{};
    TName m_unlisted;
    TValueArena m_values;
};

void TTagTextReader::FindTag(TFrame &frame, qint64 from)
{
    // When the lines are exhausted, every open element in turn searches the same rest
    // from its start; one miss answers them all.
    const bool fromStart = from == 1;
    if (fromStart && m_start == m_missStart && m_end == m_missEnd) {
        frame.Lt = 0;
        return;
    }
    frame.Lt = Pos(u'<', from);
    if (frame.Lt > 0)
        frame.Gt = Pos(u'>', frame.Lt + 1);
    if (fromStart && (frame.Lt == 0 || frame.Gt == 0)) {
        m_missStart = m_start;
        m_missEnd = m_end;
    }
}

qint64 TTagTextReader::FindLengthEnd()
{
    constexpr QStringView mark = u"</s>";
    // A search for each '<' in turn: the mark is almost always the first one, and a
    // string search over a long rest sets up tables first.
    const QStringView buffer = QStringView(m_buffer).first(m_end);
    for (qsizetype index = buffer.indexOf(u'<', std::max(m_start, m_lengthEndAbsentBefore));
         index >= 0;
         index = buffer.indexOf(u'<', index + 1)) {
        if (buffer.sliced(index).startsWith(mark))
            return index - m_start + 1;
    }
    // The rest only grows at its end, so a later search need only look at the new part.
    m_lengthEndAbsentBefore = std::max(m_start, m_end - mark.size() + 1);
    return 0;
}

bool TTagTextReader::AppendNextLine()
{
    if (m_nextLine == m_lineEnds.size()) {
        if (m_exhausted)
            return false;
        // Drop the consumed front once it outweighs the rest: each character moves at most
        // about once, which keeps the read linear. The rest is moved by hand because
        // QString::remove would leave the room at the front unused, and the next lines would
        // need a new allocation.
        if (m_start > 0 && m_start >= m_buffer.size() - m_start) {
            char16_t *const data = reinterpret_cast<char16_t *>(m_buffer.data());
            std::copy(data + m_start, data + m_end, data);
            m_buffer.truncate(m_end - m_start);
            m_lengthEndAbsentBefore = std::max<qsizetype>(m_lengthEndAbsentBefore - m_start, 0);
            m_missStart = -1;
            m_end -= m_start;
            m_start = 0;
        }
        m_lineEnds.clear();
        m_nextLine = 0;
        if (m_source.AppendLines(m_buffer, m_lineEnds) == 0) {
            m_exhausted = true;
            return false;
        }
    }
    m_end = m_lineEnds[m_nextLine++];
    return true;
}

// The value of a long-text element: "<s>" + N + "</s>" + N raw characters + closing tag.
// Returns false when fewer characters are left than announced.
bool TTagTextReader::ReadLengthPrefix(TFrame &frame)
{
    frame.Lt = 0;
    Consume(3);
    const qint64 end = FindLengthEnd();
    if (end <= 0)
        return true;
    const std::optional<qint64> length = ParseLength(Rest().left(end - 1));
    if (!length)
        return true;
    // The closing tag's "<" sits right after the value and its ">" after "/" + name.
    frame.Lt = *length + 1;
    frame.Gt = *length + 1 + frame.Tag.Name.size() + 2;
    frame.Unescape = false;
    Consume(end + 3);
    const qint64 pending = m_buffer.size() - m_end;
    if (Rest().size() < frame.Gt && Rest().size() + pending + m_source.RemainingBound() < frame.Gt)
        return false;
    while (Rest().size() < frame.Gt && AppendNextLine()) {
    }
    // The bound above may be loose (a source that decodes can only guess): whether the read
    // ends must not depend on it.
    return Rest().size() >= frame.Gt;
}

bool TTagTextReader::Run(TXMLTag root)
{
    std::vector<TFrame> open;
    open.reserve(16);
    open.emplace_back(std::move(root), TName());
    bool childReturned = false;
    while (!open.empty()) {
        TFrame &frame = open.back();
        if (childReturned) {
            childReturned = false;
            FindTag(frame, 1);
        } else if (m_exhausted) {
            // Out of lines: the element ends unreported and its parent goes on with what
            // is left in the buffer.
            open.pop_back();
            childReturned = true;
            continue;
        } else if (frame.LongText && Rest().startsWith(u"<s>")) {
            if (!ReadLengthPrefix(frame))
                return true;
        } else {
            FindTag(frame, frame.ScanFrom);
        }

        if (frame.Lt > 0 && frame.Gt > 0 && frame.Lt < frame.Gt) {
            const QStringView inner = Rest().mid(frame.Lt, frame.Gt - frame.Lt - 1);
            if (inner.startsWith(u'/')) {
                TXMLTag &tag = frame.Tag;
                const QStringView raw = Rest().left(frame.Lt - 1);
                // A picture's hex text is converted and dropped: it stays out of the blocks.
                tag.Value = frame.Cover      ? raw.toString()
                            : frame.Unescape ? m_values.Value(raw, m_entityCount)
                                             : m_values.Value(raw, 0);
                Consume(frame.Gt);
                if (tag.OnTagEnd)
                    tag.OnTagEnd(tag.EndContext, tag.Name, tag.Value);
                open.pop_back();
                childReturned = true;
            } else {
                // The root frame is not an element of the text.
                if (qsizetype(open.size()) > TagTextMaxDepth)
                    return false;
                TXMLTag child;
                const TName &name = TagName(inner);
                child.Name = name.Text;
                child.OnTagStart = frame.Tag.OnTagStart;
                child.StartContext = frame.Tag.StartContext;
                child.OnTagEnd = frame.Tag.OnTagEnd;
                child.EndContext = frame.Tag.EndContext;
                Consume(frame.Gt);
                if (frame.Tag.OnTagStart)
                    frame.Tag.OnTagStart(frame.Tag.StartContext, child);
                open.emplace_back(std::move(child), name);
            }
            continue;
        }

        const qint64 size = Rest().size();
        if (AppendNextLine())
            frame.ScanFrom = size + 2;
    }
    return true;
}

} // namespace

bool IsLongTextTag(QStringView name)
{
    return name == "filmography"_L1 || name == "bio"_L1 || name == "description"_L1
           || name == "comment"_L1;
}

QString FormatTag(const QString &name,
                  const QString &value,
                  bool hasValue,
                  int indent,
                  bool mode,
                  bool close,
                  const TValueHook *hook)
{
    QString out;
    out.reserve(std::max(indent, 0) + 2 * name.size() + value.size() + 16);
    if (indent > 0)
        out.fill(u' ', indent);
    if (hasValue) {
        out.append(u'<');
        out.append(name);
        out.append(u'>');
        if (hook && *hook) {
            out.append((*hook)(value));
        } else if (mode && IsLongTextTag(name)) {
            const QString text = HasLoneLineBreak(value) ? WithCrLf(value) : value;
            out.append(u"<s>");
            out.append(QString::number(text.size()));
            out.append(u"</s>");
            out.append(text);
        } else if (mode) {
            AppendEscaped(out, value);
        } else {
            out.append(value);
        }
    }
    if (close) {
        out.append(u"</");
        out.append(name);
        out.append(u">\r\n");
    }
    return out;
}

namespace {

// UTF-8 of `text` at `out`, which has room for 3 bytes per character. A surrogate without
// its partner becomes '?', as QString::toUtf8 writes it, so a file is the same either way.
char *PutUtf8(char *out, QStringView text)
{
    const char16_t *p = text.utf16();
    const char16_t *const end = p + text.size();
    while (p != end) {
#ifdef __SSE2__
        // ASCII, most of a catalog, eight characters at a time. A store may run past the
        // ASCII run, never past the room: eight characters left have room for 24 bytes.
        while (end - p >= 8) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            _mm_storel_epi64(reinterpret_cast<__m128i *>(out), _mm_packus_epi16(chunk, chunk));
            const __m128i ascii = _mm_cmpeq_epi16(
                _mm_and_si128(chunk, _mm_set1_epi16(short(0xFF80))), _mm_setzero_si128());
            const int mask = _mm_movemask_epi8(ascii);
            if (mask != 0xFFFF) {
                const int run = std::countr_one(unsigned(mask)) / 2;
                out += run;
                p += run;
                break;
            }
            out += 8;
            p += 8;
        }
#else
        // ASCII, most of a catalog, four characters at a time.
        while (end - p >= 4) {
            quint64 chunk;
            std::memcpy(&chunk, p, sizeof chunk);
            if (chunk & 0xFF80FF80FF80FF80ULL)
                break;
            for (int i = 0; i < 4; ++i)
                out[i] = char(p[i]);
            out += 4;
            p += 4;
        }
#endif
        if (p == end)
            break;
        const char16_t c = *p++;
        if (c < 0x80) {
            *out++ = char(c);
        } else if (c < 0x800) {
            *out++ = char(0xC0 | (c >> 6));
            *out++ = char(0x80 | (c & 0x3F));
        } else if (!QChar::isSurrogate(c)) {
            *out++ = char(0xE0 | (c >> 12));
            *out++ = char(0x80 | ((c >> 6) & 0x3F));
            *out++ = char(0x80 | (c & 0x3F));
        } else if (QChar::isHighSurrogate(c) && p != end && QChar::isLowSurrogate(*p)) {
            const char32_t u = QChar::surrogateToUcs4(c, *p++);
            *out++ = char(0xF0 | (u >> 18));
            *out++ = char(0x80 | ((u >> 12) & 0x3F));
            *out++ = char(0x80 | ((u >> 6) & 0x3F));
            *out++ = char(0x80 | (u & 0x3F));
        } else {
            *out++ = '?';
        }
    }
    return out;
}

char *PutAscii(char *out, std::string_view text)
{
    return std::copy(text.begin(), text.end(), out);
}

// Room: 5 bytes per character ("&amp;").
char *PutEscaped(char *out, QStringView text)
{
    const char16_t *p = text.utf16();
    const char16_t *const end = p + text.size();
    for (;;) {
        const char16_t *const run = p;
        p = FindAny(p, end, u'&', u'<', u'>');
        out = PutUtf8(out, QStringView(run, p - run));
        if (p == end)
            return out;
        const QLatin1StringView entity = *p == u'&'   ? Entities[0].Text
                                         : *p == u'<' ? Entities[1].Text
                                                      : Entities[2].Text;
        out = PutAscii(out, std::string_view(entity.data(), size_t(entity.size())));
        ++p;
    }
}

// The length-prefixed form, lone CR and LF written as CR LF (see WithCrLf). Room: 3 bytes
// per character and 20 more.
char *PutLongText(char *out, QStringView text)
{
    const char16_t *const begin = text.utf16();
    const char16_t *const end = begin + text.size();
    qsizetype lone = 0;
    for (const char16_t *p = FindAny(begin, end, u'\r', u'\n', u'\n'); p != end;
         p = FindAny(p, end, u'\r', u'\n', u'\n')) {
        const bool pair = *p == u'\r' && p + 1 != end && p[1] == u'\n';
        lone += pair ? 0 : 1;
        p += pair ? 2 : 1;
    }
    out = PutAscii(out, "<s>");
    out = std::to_chars(out, out + 20, qint64(text.size() + lone)).ptr;
    out = PutAscii(out, "</s>");
    if (lone == 0)
        return PutUtf8(out, text);
    const char16_t *p = begin;
    for (;;) {
        const char16_t *const run = p;
        p = FindAny(p, end, u'\r', u'\n', u'\n');
        out = PutUtf8(out, QStringView(run, p - run));
        if (p == end)
            return out;
        out = PutAscii(out, "\r\n");
        p += *p == u'\r' && p + 1 != end && p[1] == u'\n' ? 2 : 1;
    }
}

} // namespace

void TTagWriter::Append(
    const QString &name, const QString &value, bool hasValue, bool mode, bool close)
{
    QString hooked;
    const bool useHook = hasValue && Hook && *Hook;
    if (useHook)
        hooked = (*Hook)(value);
    const QStringView text = useHook ? QStringView(hooked) : QStringView(value);
    // Grown to what the element may take at most, cut back to what it took.
    const qsizetype start = Bytes.size();
    Bytes.resize(start + 6 * name.size() + 5 * text.size() + 32);
    char *const begin = Bytes.data();
    char *out = begin + start;
    if (hasValue) {
        *out++ = '<';
        out = PutUtf8(out, name);
        *out++ = '>';
        if (useHook || !mode)
            out = PutUtf8(out, text);
        else if (IsLongTextTag(name))
            out = PutLongText(out, text);
        else
            out = PutEscaped(out, text);
    }
    if (close) {
        out = PutAscii(out, "</");
        out = PutUtf8(out, name);
        out = PutAscii(out, ">\r\n");
    }
    Bytes.resize(out - begin);
}

void TTagWriter::AppendAscii(const QString &name, std::string_view value)
{
    if (Hook && *Hook) {
        Append(name, QString::fromLatin1(value.data(), qsizetype(value.size())), true, false, true);
        return;
    }
    const qsizetype start = Bytes.size();
    Bytes.resize(start + 6 * name.size() + qsizetype(value.size()) + 8);
    char *const begin = Bytes.data();
    char *out = begin + start;
    *out++ = '<';
    out = PutUtf8(out, name);
    *out++ = '>';
    out = PutAscii(out, value);
    out = PutAscii(out, "</");
    out = PutUtf8(out, name);
    out = PutAscii(out, ">\r\n");
    Bytes.resize(out - begin);
}

QString EscapeText(const QString &text)
{
    if (std::none_of(text.cbegin(), text.cend(), IsEscaped))
        return text;
    QString out;
    out.reserve(text.size() + 16);
    AppendEscaped(out, text);
    return out;
}

QString UnescapeText(const QString &text, int entityCount)
{
    if (!text.contains(u'&'))
        return text;
    return Unescape(text, entityCount);
}

qsizetype ITagLineSource::AppendLines(QString &text, std::vector<qsizetype> &lineEnds)
{
    if (!AppendNextLine(text))
        return 0;
    lineEnds.push_back(text.size());
    return 1;
}

bool ITagLineSource::AppendNextLine(QString &text)
{
    QString line;
    if (!NextLine(line))
        return false;
    text.append(u"\r\n");
    text.append(line);
    return true;
}

bool ReadTagText(ITagLineSource &source,
                 TTagEndHandler onTagEnd,
                 void *endContext,
                 TTagStartHandler onTagStart,
                 void *startContext)
{
    QString firstLine;
    if (!source.NextLine(firstLine))
        return true;
    TXMLTag root;
    root.OnTagStart = onTagStart;
    root.StartContext = startContext;
    root.OnTagEnd = onTagEnd;
    root.EndContext = endContext;
    return TTagTextReader(source, firstLine).Run(std::move(root));
}

bool ReadTagText(const QStringList &lines,
                 TTagEndHandler onTagEnd,
                 void *endContext,
                 TTagStartHandler onTagStart,
                 void *startContext)
{
    TListLineSource source(lines);
    return ReadTagText(source, onTagEnd, endContext, onTagStart, startContext);
}
