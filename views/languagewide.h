#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>

class IMessageSink;
class QFile;
class QObject;

// The process-wide translation loader over "lang.txt", a UTF-8 table of numbered texts.
//
// File format: one text per line, "number<TAB>text"; the text is everything after the
// first tab. Lines whose first character is "#" and blank lines are ignored (a "#13" inside
// a text never starts a line, so it is safe). Number 0 holds the language table:
// "Name|base:identifier;" per language. Text n of a language is number base + n; number
// base + 1, when not empty, is the language's display name. Inside texts "#13" is a line
// break, "%appname%" the application name, and "{HINT}" separates a caption from its hint.
//
// Qt Core only: widgets are handled by Translate() in translate.h.
class TWideLanguage
{
public:
    // Texts are cut to this many UTF-16 units, as a 1,025-unit buffer with its terminator.
    static constexpr int TextLimit = 1024;
    // Larger files are refused as broken rather than read into memory.
    static constexpr qint64 FileLimit = 16 * 1024 * 1024;

    static const QString MsgNotFound;   // "Source Dll not Found!"
    static const QString MsgReadError;  // "Error reading from language DLL."
    static const QString MsgTableError; // "Error reading languages."

    explicit TWideLanguage(IMessageSink *sink = nullptr);

    // Errors are reported here (not translated); none are shown without a sink.
    void SetMessageSink(IMessageSink *sink) { m_sink = sink; }

    // Frees the loaded table, remembers the path and, when it is not empty, reads the file
    // and its language table. Returns whether a table is loaded afterwards.
    bool Load(const QString &path);
    QString LibraryPath() const { return m_path; }
    bool IsLoaded() const { return m_loaded; }
    // String 0 as read.
    QString TableText() const { return m_tableText; }

    int LanguageCount() const { return static_cast<int>(m_names.size()); }
    QString LanguageName(int index) const;
    // Ignored for an index outside the table.
    void SetLanguage(int index);
    // -1 when no language is current.
    int LanguageIndex() const { return m_current; }
    // Windows primary language identifier of the current language; 9 (English) when none.
    int LanguageId() const;
    qint64 LanguageBase(int index) const;
    // The first language with that identifier, -1 when none.
    int IndexOfLanguage(int id) const;

    // Text n of the current language, "#13" and "%appname%" replaced; empty without a
    // current language or when the text is missing.
    QString Text(int n) const;
    // Text n cut before "{HINT}"; defaultText when that is empty.
    QString Caption(int n, const QString &defaultText) const;
    // The part of text n after "{HINT}", empty when there is none.
    QString Hint(int n) const;
    // Text n of the current language exactly as stored (no replacements).
    QString RawText(int n) const;
    // String by its absolute number in the file, empty when missing.
    QString RawString(qint64 number) const;

    void Exclude(QObject *component);
    bool IsExcluded(const QObject *component) const;

    // Replaces "%appname%"; "Reelkeep" unless changed.
    void SetAppName(const QString &name) { m_appName = name; }
    QString AppName() const { return m_appName; }

    // Shows "Error reading from language DLL.", for the window walk.
    void ReportReadError() const;

private:
    void Clear();
    bool ReadFile(QFile &file);
    void ParseTable();
    QString Expand(const QString &text) const;
    void Report(const QString &text) const;

    IMessageSink *m_sink = nullptr;
    QString m_path;
    bool m_loaded = false;
    QHash<qint64, QString> m_strings;
    QString m_tableText;
    QStringList m_names;
    QList<qint64> m_bases;
    QList<int> m_ids;
    int m_current = -1;
    // QPointer so a destroyed component's address, reused by a new object, is not excluded.
    QList<QPointer<QObject>> m_excluded;
    QString m_appName;
};
