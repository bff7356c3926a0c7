#pragma once

#include <QByteArray>
#include <QChar>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include "catalog/result.h"

// The settings file `config.ini`: INI text in the ANSI code page (section and key names are
// Windows-1252), every string value UTF-8 encoded. Section and key names compare without
// regard to case; the first of duplicate keys wins and duplicate sections merge, as the
// Windows profile functions do. Sections and keys are written in the order they were
// first set. Reading never fails: a missing, unreadable or oversized file is empty, and a
// missing key or an unparsable number gives the caller's default.
class TSettingsFile
{
public:
    // Larger files are treated as broken (empty) rather than read into memory.
    static constexpr qint64 FileLimit = 4 * 1024 * 1024;

    // Replaces the contents with the file's; false (and empty) when it cannot be read.
    bool Load(const QString &path);
    void Parse(QByteArrayView bytes);
    QByteArray ToBytes() const;
    // Writes atomically (temporary file in the same folder, then rename) with mode 0600,
    // because the file holds the proxy password. The old file stays intact on failure.
    Status Save(const QString &path) const;

    bool IsEmpty() const { return m_sections.isEmpty(); }
    bool Contains(const QString &section, const QString &key) const;
    // Key names of a section in file order.
    QStringList Keys(const QString &section) const;

    QString
    ReadString(const QString &section, const QString &key, const QString &defaultValue) const;
    // Decimal integer, surrounding blanks allowed; anything else gives the default.
    int ReadInteger(const QString &section, const QString &key, int defaultValue) const;
    // An integer; any non-zero value is true.
    bool ReadBool(const QString &section, const QString &key, bool defaultValue) const;
    // Accepts "." or "," as decimal separator; not-a-number and infinities give the default.
    double ReadFloat(const QString &section, const QString &key, double defaultValue) const;
    QStringList ReadList(const QString &section,
                         const QString &key,
                         QChar delimiter,
                         const QStringList &defaultValue) const;

    // Line breaks in a value would start new keys, so they are written as blanks.
    void WriteString(const QString &section, const QString &key, const QString &value);
    void WriteInteger(const QString &section, const QString &key, int value);
    void WriteBool(const QString &section, const QString &key, bool value);
    void WriteFloat(const QString &section, const QString &key, double value);
    void WriteList(const QString &section,
                   const QString &key,
                   const QStringList &value,
                   QChar delimiter);

private:
    struct TSection
    {
        QString Name;
        QList<std::pair<QString, QByteArray>> Entries;
        QHash<QString, qsizetype> Index; // folded key → entry
    };

    const QByteArray *Find(const QString &section, const QString &key) const;
    void Set(const QString &section, const QString &key, QByteArray value);
    TSection &SectionFor(const QString &name);

    QList<TSection> m_sections;
    QHash<QString, qsizetype> m_sectionIndex; // folded name → section
};

// One line of delimited text: only the delimiter splits; an item that holds the delimiter
// or a double quote is written in double quotes with inner quotes doubled; a list of one
// empty item is written as "" so that it does not read back as no item.
QString JoinQuotedList(const QStringList &items, QChar delimiter);
// The reverse. An item that starts with a quote ends at the closing quote (text after it
// up to the delimiter is kept); an unclosed quote runs to the end. Empty text is no item;
// a trailing delimiter ends with an empty item.
QStringList SplitQuotedList(QStringView text, QChar delimiter);
