#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

// A shell script standing in for a desktop program (kdialog, zenity) found first on PATH
// while this object lives.
class TFakeProgram
{
public:
    TFakeProgram(const QString &folder, const QString &name, const QByteArray &script)
        : m_path(qgetenv("PATH"))
    {
        QFile file(folder + u'/' + name);
        m_ok = QDir().mkpath(folder) && file.open(QIODevice::WriteOnly)
               && file.write("#!/bin/sh\n" + script) > 0;
        file.close();
        m_ok = m_ok && file.setPermissions(file.permissions() | QFile::ExeOwner);
        qputenv("PATH", folder.toUtf8() + ":/usr/bin:/bin");
    }
    ~TFakeProgram() { qputenv("PATH", m_path); }
    TFakeProgram(const TFakeProgram &) = delete;
    TFakeProgram &operator=(const TFakeProgram &) = delete;

    bool Ok() const { return m_ok; }

    // A script that writes its arguments, one a line, to "args" beside itself and prints
    // `answer`.
    static QByteArray Answering(const QByteArray &answer)
    {
        return "printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args\"\necho " + answer + "\n";
    }

private:
    QByteArray m_path;
    bool m_ok = false;
};
