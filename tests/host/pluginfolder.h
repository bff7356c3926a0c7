// Test helpers for the plug-in registry: a temporary Plugins folder filled with test
// plug-ins, settings in memory and a message sink that records.
#pragma once

#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>
#include <QTemporaryDir>

#include "host/messagesink.h"
#include "host/pluginregistry.h"

// A test plug-in built by tests/plugins ("types/testtype_infoen.so").
inline QString TestPluginPath(const QString &relative)
{
    return QStringLiteral(RK_TEST_PLUGINS_DIR "/") + relative;
}

// Discovery goes by file name, so the copies' names fix the order of the list.
class TPluginFolder
{
public:
    TPluginFolder() { QDir(m_dir.path()).mkdir(QStringLiteral("Plugins")); }
    QString Path() const { return m_dir.filePath(QStringLiteral("Plugins")); }
    QString FilePath(const QString &name) const { return QDir(Path()).filePath(name); }
    bool Add(const QString &source, const QString &name) const
    {
        return QFile::copy(source, FilePath(name));
    }
    // A test type plug-in by its variant ("infoen") under `name`.
    bool AddType(const char *variant, const QString &name) const
    {
        return Add(TestPluginPath(QStringLiteral("types/testtype_") + QLatin1StringView(variant)
                                  + QStringLiteral(".so")),
                   name);
    }

private:
    QTemporaryDir m_dir;
};

class TMemoryPluginSettings : public IPluginSettings
{
public:
    QString Value(const QString &key) const override { return values.value(key); }
    void SetValue(const QString &key, const QString &value) override { values[key] = value; }
    QHash<QString, QString> values;
};

struct TShownMessage
{
    TMessageKind kind;
    QString caption;
    QString text;
};

class TRecordingSink : public IMessageSink
{
public:
    void ShowMessage(TMessageKind kind, const QString &caption, const QString &text) override
    {
        messages.append({kind, caption, text});
    }
    QList<TShownMessage> messages;
};
