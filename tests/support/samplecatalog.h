#pragma once

// Small pieces several window and controller tests build their catalogs from.

#include <tuple>

#include <QFile>
#include <QList>
#include <QString>
#include <QTemporaryDir>

// Six movies (title, genre, year), in catalog order neither by title nor by year.
inline const QList<std::tuple<QString, QString, int>> Nineties = {
    {QStringLiteral("Alien"), QStringLiteral("Horror"), 1979},
    {QStringLiteral("Brazil"), QStringLiteral("Comedy"), 1985},
    {QStringLiteral("Clerks"), QStringLiteral("Comedy"), 1994},
    {QStringLiteral("Dogma"), QStringLiteral("Comedy"), 1999},
    {QStringLiteral("Election"), QStringLiteral("Comedy"), 1990},
    {QStringLiteral("Fargo"), QStringLiteral("Crime"), 1996},
};

// A file of a few bytes in `folder`, standing in for a video or other file.
inline QString SmallFileIn(const QTemporaryDir &folder, const QString &name)
{
    const QString path = folder.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("not a video");
    return path;
}
