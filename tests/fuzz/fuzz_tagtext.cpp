// Fuzz entry point for the catalog tag text reader: arbitrary bytes, decoded and split
// into lines the way a catalog file is, must never crash, hang or leak, and the file
// reader, which hands out many lines at once, must read what the same lines one at a time
// read.
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include <QRegularExpression>
#include <QString>

#include "catalog/cataloglinereader.h"
#include "catalog/tagtext.h"

namespace {

struct TSink
{
    std::vector<std::pair<QString, QString>> ends;
};

void OnStart(void *, TXMLTag &child)
{
    // Route some children to no end handler, as the catalog does for unknown elements.
    if (child.Name.size() % 3 == 0)
        child.OnTagEnd = nullptr;
}

void OnEnd(void *context, const QString &name, const QString &value)
{
    static_cast<TSink *>(context)->ends.emplace_back(name, value);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text =
        QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    const QStringList lines = text.split(lineBreak);
    TSink sink;
    ReadTagText(lines, OnEnd, &sink, OnStart, nullptr);

    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    TCatalogLineReader single(bytes);
    QStringList fileLines;
    QString line;
    if (single.Open()) {
        while (single.NextLine(line))
            fileLines.append(line);
    }
    TSink byLine;
    const bool byLineWithin = ReadTagText(fileLines, OnEnd, &byLine, OnStart, nullptr);
    TCatalogLineReader many(bytes);
    TSink byBlock;
    const bool byBlockWithin = many.Open() && ReadTagText(many, OnEnd, &byBlock, OnStart, nullptr);
    if (byLine.ends != byBlock.ends || byLineWithin != byBlockWithin)
        __builtin_trap();
    (void)UnescapeText(text, 5);
    return 0;
}
