#include "logic/settingsfile.h"

#include <cmath>
#include <cstdio>

#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include "catalog/ansi.h"

namespace {

QString Fold(const QString &name)
{
    return name.toCaseFolded();
}

QByteArrayView Trimmed(QByteArrayView bytes)
{
    return bytes.trimmed();
}

} // namespace

bool TSettingsFile::Load(const QString &path)
{
    m_sections.clear();
    m_sectionIndex.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    if (file.size() > FileLimit)
        return false;
    const QByteArray bytes = file.read(FileLimit + 1);
    if (bytes.size() > FileLimit)
        return false;
    Parse(bytes);
    return true;
}

void TSettingsFile::Parse(QByteArrayView bytes)
{
    m_sections.clear();
    m_sectionIndex.clear();
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QString current;
    bool inSection = false;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        QByteArrayView line = bytes.sliced(start, end - start);
        start = end + 1;
        if (line.endsWith('\r'))
            line.chop(1);
        const QByteArrayView trimmed = Trimmed(line);
        if (trimmed.isEmpty() || trimmed.front() == ';' || trimmed.front() == '#')
            continue;
        if (trimmed.front() == '[') {
            const qsizetype close = trimmed.indexOf(']');
            // A broken header ends the previous section; its keys belong to no section.
            inSection = close > 0;
            if (inSection) {
                current = FromAnsi(Trimmed(trimmed.sliced(1, close - 1)));
                SectionFor(current);
            }
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!inSection || equals <= 0)
            continue;
        const QString key = FromAnsi(Trimmed(line.first(equals)));
        if (key.isEmpty())
            continue;
        TSection &section = SectionFor(current);
        const QString folded = Fold(key);
        if (section.Index.contains(folded))
            continue;
        section.Index.insert(folded, section.Entries.size());
        section.Entries.append({key, line.sliced(equals + 1).toByteArray()});
    }
}

QByteArray TSettingsFile::ToBytes() const
{
    QByteArray bytes;
    for (const TSection &section : m_sections) {
        if (!bytes.isEmpty())
            bytes.append("\r\n");
        bytes.append('[').append(ToAnsi(section.Name)).append("]\r\n");
        for (const auto &[key, value] : section.Entries)
            bytes.append(ToAnsi(key)).append('=').append(value).append("\r\n");
    }
    return bytes;
}

Status TSettingsFile::Save(const QString &path) const
{
    const QFileInfo target(path);
    QTemporaryFile temporary(target.absolutePath() + QStringLiteral("/.config.ini.XXXXXX"));
    if (!temporary.open())
        return Status::Failure(temporary.errorString());
    // QTemporaryFile creates owner-only files already; say so explicitly all the same.
    if (!temporary.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return Status::Failure(temporary.errorString());
    const QByteArray bytes = ToBytes();
    if (temporary.write(bytes) != bytes.size() || !temporary.flush())
        return Status::Failure(temporary.errorString());
    if (::fsync(temporary.handle()) != 0)
        return Status::Failure(QStringLiteral("Cannot flush %1").arg(temporary.fileName()));
    const QByteArray from = QFile::encodeName(temporary.fileName());
    const QByteArray to = QFile::encodeName(target.absoluteFilePath());
    if (std::rename(from.constData(), to.constData()) != 0)
        return Status::Failure(QStringLiteral("Cannot write %1").arg(path));
    temporary.setAutoRemove(false);
    return {};
}

bool TSettingsFile::Contains(const QString &section, const QString &key) const
{
    return Find(section, key) != nullptr;
}

QStringList TSettingsFile::Keys(const QString &section) const
{
    QStringList keys;
    const auto found = m_sectionIndex.constFind(Fold(section));
    if (found == m_sectionIndex.cend())
        return keys;
    for (const auto &entry : m_sections[*found].Entries)
        keys.append(entry.first);
    return keys;
}

QString TSettingsFile::ReadString(const QString &section,
                                  const QString &key,
                                  const QString &defaultValue) const
{
    const QByteArray *value = Find(section, key);
    return value ? QString::fromUtf8(*value) : defaultValue;
}

int TSettingsFile::ReadInteger(const QString &section, const QString &key, int defaultValue) const
{
    const QByteArray *value = Find(section, key);
    if (!value)
        return defaultValue;
    bool ok = false;
    const int number = Trimmed(*value).toInt(&ok);
    return ok ? number : defaultValue;
}

bool TSettingsFile::ReadBool(const QString &section, const QString &key, bool defaultValue) const
{
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

double
TSettingsFile::ReadFloat(const QString &section, const QString &key, double defaultValue) const
{
    const QByteArray *value = Find(section, key);
    if (!value)
        return defaultValue;
    // Files written under a locale with a decimal comma hold "45123,5".
    QByteArray text = Trimmed(*value).toByteArray();
    text.replace(',', '.');
    bool ok = false;
    const double number = text.toDouble(&ok);
    return ok && std::isfinite(number) ? number : defaultValue;
}

QStringList TSettingsFile::ReadList(const QString &section,
                                    const QString &key,
                                    QChar delimiter,
                                    const QStringList &defaultValue) const
{
    const QByteArray *value = Find(section, key);
    return value ? SplitQuotedList(QString::fromUtf8(*value), delimiter) : defaultValue;
}

void TSettingsFile::WriteString(const QString &section, const QString &key, const QString &value)
{
    QByteArray bytes = value.toUtf8();
    bytes.replace('\r', ' ');
    bytes.replace('\n', ' ');
    Set(section, key, std::move(bytes));
}

void TSettingsFile::WriteInteger(const QString &section, const QString &key, int value)
{
    Set(section, key, QByteArray::number(value));
}

void TSettingsFile::WriteBool(const QString &section, const QString &key, bool value)
{
    Set(section, key, value ? QByteArrayLiteral("1") : QByteArrayLiteral("0"));
}

void TSettingsFile::WriteFloat(const QString &section, const QString &key, double value)
{
    Set(section, key, QByteArray::number(value, 'g', 17));
}

void TSettingsFile::WriteList(const QString &section,
                              const QString &key,
                              const QStringList &value,
                              QChar delimiter)
{
    WriteString(section, key, JoinQuotedList(value, delimiter));
}

const QByteArray *TSettingsFile::Find(const QString &section, const QString &key) const
{
    const auto found = m_sectionIndex.constFind(Fold(section));
    if (found == m_sectionIndex.cend())
        return nullptr;
    const TSection &entries = m_sections[*found];
    const auto entry = entries.Index.constFind(Fold(key));
    return entry == entries.Index.cend() ? nullptr : &entries.Entries[*entry].second;
}

void TSettingsFile::Set(const QString &section, const QString &key, QByteArray value)
{
    TSection &entries = SectionFor(section);
    const QString folded = Fold(key);
    const auto entry = entries.Index.constFind(folded);
    if (entry != entries.Index.cend()) {
        entries.Entries[*entry].second = std::move(value);
        return;
    }
    entries.Index.insert(folded, entries.Entries.size());
    entries.Entries.append({key, std::move(value)});
}

TSettingsFile::TSection &TSettingsFile::SectionFor(const QString &name)
{
    const QString folded = Fold(name);
    const auto found = m_sectionIndex.constFind(folded);
    if (found != m_sectionIndex.cend())
        return m_sections[*found];
    m_sectionIndex.insert(folded, m_sections.size());
    m_sections.append(TSection{name, {}, {}});
    return m_sections.last();
}

QString JoinQuotedList(const QStringList &items, QChar delimiter)
{
    if (items.size() == 1 && items.front().isEmpty())
        return QStringLiteral("\"\"");
    QString text;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0)
            text.append(delimiter);
        const QString &item = items[i];
        if (item.contains(delimiter) || item.contains(u'"')) {
            QString quoted = item;
            quoted.replace(u'"', QStringLiteral("\"\""));
            text.append(u'"').append(quoted).append(u'"');
        } else {
            text.append(item);
        }
    }
    return text;
}

QStringList SplitQuotedList(QStringView text, QChar delimiter)
{
    QStringList items;
    if (text.isEmpty())
        return items;
    qsizetype pos = 0;
    while (true) {
        QString item;
        if (pos < text.size() && text[pos] == u'"') {
            ++pos;
            while (pos < text.size()) {
                if (text[pos] == u'"') {
                    if (pos + 1 < text.size() && text[pos + 1] == u'"') {
                        item.append(u'"');
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                item.append(text[pos++]);
            }
        }
        qsizetype end = text.indexOf(delimiter, pos);
        if (end < 0)
            end = text.size();
        item.append(text.sliced(pos, end - pos));
        items.append(item);
        if (end >= text.size())
            break;
        pos = end + 1;
    }
    return items;
}
