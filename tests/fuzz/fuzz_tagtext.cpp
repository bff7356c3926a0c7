// Fuzz entry point for the catalog tag text reader: arbitrary bytes, decoded and split
// into lines the way a catalog file is, must never crash, hang or leak.
#include <cstddef>
#include <cstdint>

#include <QRegularExpression>
#include <QString>

#include "catalog/tagtext.h"

namespace {

struct TSink
{
    qsizetype total = 0;
};

void OnStart(void *, TXMLTag &child)
{
    // Route some children to no end handler, as the catalog does for unknown elements.
    if (child.Name.size() % 3 == 0)
        child.OnTagEnd = nullptr;
}

void OnEnd(void *context, const QString &name, const QString &value)
{
    static_cast<TSink *>(context)->total += name.size() + value.size();
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
    (void)UnescapeText(text, 5);
    return 0;
}
