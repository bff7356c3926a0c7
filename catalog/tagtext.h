#pragma once

#include <array>
#include <cstring>
#include <functional>
#include <string_view>
#include <vector>

#include <QByteArray>
#include <QString>
#include <QStringList>

// The catalog's own tag text: XML-like elements without attributes, one per line, a
// length-prefixed form ("<s>N</s>" + raw text) for the long-text elements and three (or
// five) character entities. The writer builds one element at a time; the reader walks a
// whole text and reports every element that closes.

struct TXMLTag;

// Called when a child element of the element holding the handler opens. The child comes
// with copies of its parent's handlers; the handler may replace them (and their contexts)
// to route the child's content elsewhere. `child` is only valid during the call.
using TTagStartHandler = void (*)(void *context, TXMLTag &child);
// Called when the element holding the handler closes, with its name and value.
using TTagEndHandler = void (*)(void *context, const QString &name, const QString &value);

// One open element while reading.
struct TXMLTag
{
    QString Name;
    QString Value;
    TTagStartHandler OnTagStart = nullptr;
    void *StartContext = nullptr;
    TTagEndHandler OnTagEnd = nullptr;
    void *EndContext = nullptr;
};

// Text in, text out: what a protected catalog writes every value through instead of
// escaping it (its encryption).
using TValueHook = std::function<QString(const QString &)>;

// Whether `name` is one of the elements written in the length-prefixed form.
bool IsLongTextTag(QStringView name);

// Builds one element: `indent` spaces; when `hasValue`, the opening tag and the value
// (through `hook` when one is given; else, when `mode` is on, length-prefixed for the
// long-text names and escaped for the others; else unchanged); when `close`, the
// closing tag and CR LF. A length-prefixed value has its lone CR and LF written as
// CR LF, because the reader joins lines with CR LF and the prefix must count what it
// reads back.
QString FormatTag(const QString &name,
                  const QString &value,
                  bool hasValue,
                  int indent,
                  bool mode,
                  bool close,
                  const TValueHook *hook = nullptr);

// Elements being written, in UTF-8 as the catalog file holds them, and, while a protected
// catalog is written, the value hook every element's value goes through. Each element is
// encoded straight from its name and value into Bytes, which a writer empties and reuses:
// a catalog's hundreds of thousands of elements need no text of their own.
struct TTagWriter
{
    QByteArray Bytes;
    const TValueHook *Hook = nullptr;

    // Appends what FormatTag(name, value, hasValue, 0, mode, close, Hook) builds, as UTF-8 (a
    // surrogate without its partner as "?", like QString::toUtf8).
    void Append(const QString &name, const QString &value, bool hasValue, bool mode, bool close);
    // A whole element whose value is ASCII written unchanged (numbers, flags).
    void AppendAscii(const QString &name, std::string_view value);
};

// A cheap hash of an element name. Names are short and few, and a load looks one up for
// every element: a seeded string hash cost more than the lookups themselves. The first and
// the last four characters are read as two words, which tells apart the names of a catalog
// (which differ in their ends or their length).
inline size_t ElementNameHash(QStringView name)
{
    size_t hash = size_t(name.size());
    if (name.size() < 4) {
        for (const QChar c : name)
            hash = hash * 31 + c.unicode();
        return hash ^ (hash >> 7);
    }
    quint64 head = 0;
    quint64 tail = 0;
    std::memcpy(&head, name.utf16(), sizeof head);
    std::memcpy(&tail, name.utf16() + name.size() - 4, sizeof tail);
    hash ^= head * 0x9E3779B97F4A7C15ULL;
    hash ^= (tail + hash) * 0xC2B2AE3D27D4EB4FULL;
    return hash ^ (hash >> 29);
}

// Remembers lookups by element name for the names seen last, by the address of their
// characters: a load looks up the same few names, each shared by every element that has it
// (the reader hands out one copy per name), hundreds of thousands of times, and comparing
// addresses saves hashing and comparing the characters. A remembered name is held, so an
// address it knows still holds the same characters; only short names with an allocation of
// their own are remembered, so that nothing large is kept alive. One per thread.
template <typename T> class TNameCache
{
public:
    template <typename Lookup> T Find(const QString &name, Lookup lookup)
    {
        const QString::DataPointer &data = name.data_ptr();
        if (!data.isMutable() || data.constAllocatedCapacity() > MaxChars)
            return lookup(name);
        TEntry &entry = m_entries[(quintptr(data.data()) / 16) % m_entries.size()];
        if (entry.Name.constData() == name.constData() && entry.Name.size() == name.size())
            return entry.Value;
        T value = lookup(name);
        entry = {name, value};
        return value;
    }

private:
    static constexpr qsizetype MaxChars = 64;
    struct TEntry
    {
        QString Name;
        T Value{};
    };
    std::array<TEntry, 64> m_entries;
};

// Replaces "&", "<" and ">" by "&amp;", "&lt;" and "&gt;"; everything else stays.
QString EscapeText(const QString &text);

// Replaces the first `entityCount` entities of "&amp;", "&lt;", "&gt;", "&quot;",
// "&apos;" (3 or 5; counts are clamped to 0..5) by their characters. An "&"
// that starts none of them is kept with the text after it.
QString UnescapeText(const QString &text, int entityCount);

// The lines of a text, handed out one at a time so that a large file need not be held
// as a list of lines while it is read.
class ITagLineSource
{
public:
    virtual ~ITagLineSource() = default;
    // The next line without its line break; false when none is left.
    virtual bool NextLine(QString &line) = 0;
    // Appends CR LF and the next line to `text`; false (and `text` unchanged) when none is
    // left. A source that decodes may write straight into `text` and save a copy per line.
    virtual bool AppendNextLine(QString &text);
    // Appends CR LF and the next line, or several lines each after CR LF, to `text`, and the
    // end of each (its index in `text`) to `lineEnds`; returns how many (0 when none is
    // left). The reader takes them one at a time. The default appends one line.
    virtual qsizetype AppendLines(QString &text, std::vector<qsizetype> &lineEnds);
    // No less than the number of characters the remaining lines add, counting 2 for the line
    // break joined before each. Lets the reader give up on a length that cannot be met.
    virtual qint64 RemainingBound() const = 0;
};

// Reads a whole catalog text given as lines (already decoded). Line 0 is never parsed;
// it only selects five entities instead of three when it holds the UTF-8 XML
// declaration. Every element that closes is reported to its end handler; a closing tag
// closes the innermost open element whatever its name, text outside elements is
// dropped. Elements still open when the lines run out, or when a length prefix
// announces more text than is left (the read ends there), are dropped without their end
// handlers. A handler may throw: the read stops and the exception propagates.
// Elements nested deeper than TagTextMaxDepth end the read (false): no file this program
// writes comes near it, and each open element costs memory, so hostile nesting must not.
constexpr int TagTextMaxDepth = 64;
bool ReadTagText(const QStringList &lines,
                 TTagEndHandler onTagEnd,
                 void *endContext,
                 TTagStartHandler onTagStart = nullptr,
                 void *startContext = nullptr);
bool ReadTagText(ITagLineSource &source,
                 TTagEndHandler onTagEnd,
                 void *endContext,
                 TTagStartHandler onTagStart = nullptr,
                 void *startContext = nullptr);
