#include "languagewide.h"

#include <limits>

#include <QFile>
#include <QObject>
#include <QStringDecoder>

#include "host/messagesink.h"

const QString TWideLanguage::MsgNotFound = QStringLiteral("Source Dll not Found!");
const QString TWideLanguage::MsgReadError = QStringLiteral("Error reading from language DLL.");
const QString TWideLanguage::MsgTableError = QStringLiteral("Error reading languages.");

namespace {

const QString HintMark = QStringLiteral("{HINT}");

// Cuts to the text limit without splitting a surrogate pair.
QString Limited(QString text)
{
    if (text.size() <= TWideLanguage::TextLimit)
        return text;
    qsizetype size = TWideLanguage::TextLimit;
    if (text.at(size - 1).isHighSurrogate())
        --size;
    text.truncate(size);
    return text;
}

// The text between two positions, empty when they are out of order.
QString Between(const QString &text, qsizetype from, qsizetype to)
{
    return to > from ? text.mid(from, to - from) : QString();
}

} // namespace

TWideLanguage::TWideLanguage(IMessageSink *sink)
    : m_sink(sink)
    , m_appName(QStringLiteral("Reelkeep"))
{}

void TWideLanguage::Clear()
{
    m_loaded = false;
    m_strings.clear();
    m_tableText.clear();
    m_names.clear();
    m_bases.clear();
    m_ids.clear();
    m_current = -1;
}

bool TWideLanguage::Load(const QString &path)
{
    Clear();
    m_path = path;
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Report(MsgNotFound);
        return false;
    }
    if (!ReadFile(file)) {
        Clear();
        Report(MsgReadError);
        return false;
    }
    m_loaded = true;
    ParseTable();
    return true;
}

bool TWideLanguage::ReadFile(QFile &file)
{
    if (file.size() > FileLimit)
        return false;
    const QByteArray bytes = file.read(FileLimit + 1);
    if (bytes.size() > FileLimit)
        return false;
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString content = decoder.decode(bytes);
    if (decoder.hasError())
        return false;
    if (content.startsWith(QChar(0xFEFF)))
        content.remove(0, 1);

    // A broken line spoils the file: report it once, but keep every good line so the
    // program still gets what texts there are.
    bool sound = true;
    const QStringList lines = content.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        bool ok = false;
        const qint64 number = tab > 0 ? QStringView(line).left(tab).toLongLong(&ok) : -1;
        if (!ok || number < 0 || number > std::numeric_limits<int>::max()
            || m_strings.contains(number)) {
            sound = false;
            continue;
        }
        m_strings.insert(number, Limited(line.mid(tab + 1)));
    }
    if (!sound)
        Report(MsgReadError);
    return true;
}

void TWideLanguage::ParseTable()
{
    QString rest = RawString(0);
    m_tableText = rest;
    const auto hasAll = [](const QString &text) {
        return text.contains(QLatin1Char('|')) && text.contains(QLatin1Char(';'))
               && text.contains(QLatin1Char(':'));
    };
    while (hasAll(rest)) {
        const qsizetype bar = rest.indexOf(QLatin1Char('|'));
        const qsizetype colon = rest.indexOf(QLatin1Char(':'));
        const qsizetype semicolon = rest.indexOf(QLatin1Char(';'));
        bool idOk = false;
        int id = Between(rest, colon + 1, semicolon).trimmed().toInt(&idOk);
        if (!idOk)
            id = 0;
        bool baseOk = false;
        // 32-bit like the original string numbers, so base + n never overflows.
        const int base = Between(rest, bar + 1, colon).trimmed().toInt(&baseOk);
        QString name;
        if (baseOk) {
            name = RawString(qint64(base) + 1);
            if (name.isEmpty())
                name = rest.left(bar);
        } else {
            Report(MsgTableError);
        }
        m_names.append(name);
        m_bases.append(baseOk ? base : 0);
        m_ids.append(id);
        rest.remove(0, semicolon + 1);
    }
    // A table text without a single entry is broken: no language can be current then
    // (making the first one current would index an empty list).
    if (m_names.isEmpty()) {
        m_current = -1;
        Report(MsgReadError);
    } else {
        m_current = 0;
    }
}

QString TWideLanguage::LanguageName(int index) const
{
    return index >= 0 && index < LanguageCount() ? m_names.at(index) : QString();
}

void TWideLanguage::SetLanguage(int index)
{
    if (index >= 0 && index < LanguageCount())
        m_current = index;
}

int TWideLanguage::LanguageId() const
{
    return m_current >= 0 ? m_ids.at(m_current) : 9;
}

qint64 TWideLanguage::LanguageBase(int index) const
{
    return index >= 0 && index < LanguageCount() ? m_bases.at(index) : 0;
}

int TWideLanguage::IndexOfLanguage(int id) const
{
    return static_cast<int>(m_ids.indexOf(id));
}

QString TWideLanguage::RawString(qint64 number) const
{
    return m_strings.value(number);
}

QString TWideLanguage::RawText(int n) const
{
    if (!m_loaded || m_current < 0)
        return QString();
    return RawString(m_bases.at(m_current) + n);
}

QString TWideLanguage::Expand(const QString &text) const
{
    QString result = text;
    // Qt breaks lines at "\n" only; a lone carriage return would show as nothing.
    result.replace(QStringLiteral("#13"), QStringLiteral("\n"));
    result.replace(QStringLiteral("%appname%"), m_appName);
    return result;
}

QString TWideLanguage::Text(int n) const
{
    return Expand(RawText(n));
}

QString TWideLanguage::Caption(int n, const QString &defaultText) const
{
    QString raw = RawText(n);
    const qsizetype mark = raw.indexOf(HintMark);
    if (mark >= 0)
        raw.truncate(mark);
    const QString caption = Expand(raw);
    return caption.isEmpty() ? defaultText : caption;
}

QString TWideLanguage::Hint(int n) const
{
    const QString raw = RawText(n);
    const qsizetype mark = raw.indexOf(HintMark);
    return mark >= 0 ? Expand(raw.mid(mark + HintMark.size())) : QString();
}

void TWideLanguage::Exclude(QObject *component)
{
    if (component && !IsExcluded(component))
        m_excluded.append(QPointer<QObject>(component));
}

bool TWideLanguage::IsExcluded(const QObject *component) const
{
    if (!component)
        return false;
    for (const QPointer<QObject> &excluded : m_excluded) {
        if (excluded.data() == component)
            return true;
    }
    return false;
}

void TWideLanguage::ReportReadError() const
{
    Report(MsgReadError);
}

void TWideLanguage::Report(const QString &text) const
{
    if (m_sink)
        m_sink->ShowMessage(TMessageKind::Error, QStringLiteral("Error"), text);
}
