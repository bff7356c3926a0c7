#include <vector>

#include <gtest/gtest.h>

#include <QByteArray>
#include <QStringList>

#include "catalog/cataloglinereader.h"

using namespace Qt::StringLiterals;

namespace {

// The file is read in chunks of this many bytes.
constexpr qsizetype Chunk = 1 << 20;
// Many lines are decoded at once from at most this many bytes.
constexpr qsizetype Batch = 64 * 1024;

// The lines of `bytes` as the reader should hand them out: CR LF, CR or LF ends a line,
// and a last line without a break still counts.
QStringList Split(QByteArray bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QStringList lines;
    qsizetype from = 0;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n')
            continue;
        lines.append(DecodeUtf8Lenient(QByteArrayView(bytes).sliced(from, i - from)));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')
            ++i;
        from = i + 1;
    }
    if (from < bytes.size())
        lines.append(DecodeUtf8Lenient(QByteArrayView(bytes).sliced(from)));
    return lines;
}

QStringList ReadLines(const QByteArray &bytes)
{
    TCatalogLineReader reader(bytes);
    QStringList lines;
    if (!reader.Open())
        return {u"(not opened)"_s};
    QString line;
    while (reader.NextLine(line))
        lines.append(line);
    return lines;
}

// The lines after the first as AppendLines hands them out: the text between the ends it
// reports, each after CR LF.
QStringList AppendAllLines(const QByteArray &bytes)
{
    TCatalogLineReader reader(bytes);
    QString text;
    std::vector<qsizetype> ends;
    if (!reader.Open() || !reader.NextLine(text))
        return {};
    text.clear();
    qsizetype count = 0;
    while (const qsizetype lines = reader.AppendLines(text, ends))
        count += lines;
    QStringList lines;
    qsizetype start = 0;
    for (const qsizetype end : ends) {
        if (text.mid(start, 2) != u"\r\n")
            return {u"(no line break before a line)"_s};
        lines.append(text.mid(start + 2, end - start - 2));
        start = end;
    }
    if (start != text.size() || count != lines.size())
        return {u"(ends do not match the text)"_s};
    return lines;
}

QByteArray MixedBreaks()
{
    // Breaks and a non-ASCII character at every offset of the sixteen-byte fast path.
    QByteArray bytes;
    for (int length = 0; length < 40; ++length)
        bytes += QByteArray(length, 'x') + (length % 4 == 3 ? "Ã©" : "")
                 + QByteArrayList{"\r\n", "\n", "\r", "\r\r\n"}[length % 4];
    return bytes;
}

TEST(CatalogLineReaderTest, LinesAcrossChunks)
{
    const QByteArray beforeEnd(Chunk - 1, 'a');
    const struct
    {
        const char *name;
        QByteArray bytes;
    } cases[] = {
        {"CR LF split by the chunk end", beforeEnd + "\r\nb\r\n"},
        {"lone CR at the chunk end", beforeEnd + "\rb"},
        {"UTF-8 split by the chunk end", beforeEnd + "\xC3\xA9\n\xE2\x82\xAC"},
        {"a line longer than two chunks", QByteArray(2 * Chunk + 5, 'c') + "\nd\r"},
        {"lone CRs over more than a chunk", QByteArray("x\r").repeated(Chunk)},
        {"LF only, empty lines, no last break", "a\nb\n\n\nc"},
        {"byte-order mark", "\xEF\xBB\xBFx\r\ny"},
        {"empty", ""},
        {"mixed breaks", MixedBreaks()},
        {"mixed breaks across the chunk end", QByteArray(Chunk - 300, 'a') + MixedBreaks()},
        {"mixed breaks across a batch end", "a\n" + QByteArray(Batch - 300, 'a') + MixedBreaks()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QStringList expected = Split(c.bytes);
        const QStringList lines = ReadLines(c.bytes);
        ASSERT_EQ(lines.size(), expected.size());
        EXPECT_TRUE(lines == expected);
        // Many lines at once read the same as one at a time.
        EXPECT_TRUE(AppendAllLines(c.bytes) == expected.mid(1));
    }
}

// Lines decoded ahead on another thread: one-line and many-line calls mix in order, a
// rewind starts again, and a reader left mid-way stops its thread.
TEST(CatalogLineReaderTest, DecodingAheadKeepsTheOrder)
{
    QByteArray bytes;
    for (int i = 0; i < 40000; ++i)
        bytes += "line " + QByteArray::number(i) + (i % 2 ? "\r\n" : "\n");
    const QStringList expected = Split(bytes);
    TCatalogLineReader reader(bytes);
    ASSERT_TRUE(reader.Open());
    for (int pass = 0; pass < 2; ++pass) {
        QStringList lines;
        QString line;
        ASSERT_TRUE(reader.NextLine(line));
        lines.append(line);
        QString text;
        std::vector<qsizetype> ends;
        for (bool many = true;; many = !many) {
            if (many) {
                text.clear();
                ends.clear();
                if (reader.AppendLines(text, ends) == 0)
                    break;
                qsizetype start = 0;
                for (const qsizetype end : ends) {
                    lines.append(text.mid(start + 2, end - start - 2));
                    start = end;
                }
            } else if (reader.NextLine(line)) {
                lines.append(line);
            }
        }
        EXPECT_TRUE(lines == expected) << pass;
        ASSERT_TRUE(reader.Rewind());
    }
    TCatalogLineReader left(bytes);
    QString text;
    std::vector<qsizetype> ends;
    ASSERT_TRUE(left.Open());
    EXPECT_GT(left.AppendLines(text, ends), 0);
}

// The fast ASCII path must hand over to the full decoder wherever the first other byte
// falls, and stop at the end whatever is left.
TEST(CatalogLineReaderTest, DecodesEveryByteWhereverItFalls)
{
    const struct
    {
        const char *name;
        QByteArray bytes;
        QString text;
    } inserts[] = {
        {"two-byte UTF-8", "\xC3\xA9", u"\u00E9"_s},
        {"three-byte UTF-8", "\xE2\x82\xAC", u"\u20AC"_s},
        {"four-byte UTF-8", "\xF0\x9F\x98\x80", u"\U0001F600"_s},
        {"Windows-1252 byte", "\xE9", u"\u00E9"_s},
        {"cut UTF-8 sequence", "\xE2\x82", u"\u00E2\u201A"_s},
    };
    for (const auto &insert : inserts) {
        SCOPED_TRACE(insert.name);
        for (int length : {0, 15, 16, 17, 40}) {
            for (int at = 0; at <= length; ++at) {
                const QByteArray ascii(length, 'x');
                const QByteArray bytes = ascii.left(at) + insert.bytes + ascii.mid(at);
                const QString expected = QString::fromLatin1(ascii.left(at)) + insert.text
                                         + QString::fromLatin1(ascii.mid(at));
                ASSERT_EQ(DecodeUtf8Lenient(bytes), expected) << length << " " << at;
                QString appended = u"ab"_s;
                AppendUtf8Lenient(bytes, appended, u"\r\n");
                ASSERT_EQ(appended, u"ab\r\n"_s + expected);
            }
        }
    }
}

} // namespace
