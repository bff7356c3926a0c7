#pragma once

// The generated Ant Movie Catalog 3.5 files the import benchmarks read.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include <QFile>
#include <QTemporaryDir>

#include "catalog/image.h"
#include "tests/support/amcwriter.h"

inline std::string Poster(int seed)
{
    TImage image(300, 450);
    uchar *bits = image.Bits();
    for (int y = 0; y < 450; ++y) {
        for (int x = 0; x < 300; ++x) {
            uchar *p = bits + y * image.BytesPerLine() + x * 3;
            p[0] = uchar(x + seed);
            p[1] = uchar(y * 2);
            p[2] = uchar((x ^ y) + seed * 7);
        }
    }
    const QByteArray jpeg = image.ToJpeg(85);
    return std::string(jpeg.constData(), size_t(jpeg.size()));
}

// `count` movies with every text field filled; with posters, one in ten carries a
// 300 x 450 poster. Written once per count and run.
inline QString AmcFile(int count = 10000, bool posters = true)
{
    static QTemporaryDir dir;
    static std::map<std::pair<int, bool>, QString> files;
    QString &path = files[{count, posters}];
    if (path.isEmpty()) {
        std::vector<TAmcMovie> movies;
        const std::string pictures[3] = {Poster(1), Poster(2), Poster(3)};
        for (int i = 0; i < count; ++i) {
            TAmcMovie m;
            m.number = int((i * 7919LL) % count) + 1;
            m.date = 40000 + i % 3000;
            m.rating = i % 101;
            m.year = 1950 + i % 70;
            m.length = 80 + i % 100;
            m.videoBitrate = 1500;
            m.audioBitrate = 192;
            m.disks = 1 + i % 2;
            m.mediaLabel = "DVD " + std::to_string(i);
            m.mediaType = "DVD";
            m.source = "/media/movies/movie" + std::to_string(i) + ".mkv";
            m.originalTitle = "Original title number " + std::to_string(i);
            m.translatedTitle = i % 5 ? "Translated title " + std::to_string(i) : "";
            m.director = "Director " + std::to_string(i % 500);
            m.producer = "Producer " + std::to_string(i % 700);
            m.country = "USA";
            m.category = "Drama, Comedy";
            m.actors = "Actor A" + std::to_string(i % 900) + ", Actor B" + std::to_string(i % 800);
            m.url = "http://www.example.com/movie/" + std::to_string(i);
            m.description = std::string(400, 'd') + " caf\xE9 & <more>";
            m.comments = "A comment";
            m.videoFormat = "XviD";
            m.audioFormat = "MP3";
            m.resolution = "640x352";
            m.framerate = "25";
            m.languages = "English";
            m.subtitles = "German";
            m.size = "700 MB";
            if (posters && i % 10 == 0) {
                m.pictureName = ".jpg";
                m.picture = pictures[i % 3];
            }
            movies.push_back(std::move(m));
        }
        const std::string bytes = WriteAmcFile(35, movies);
        path = dir.filePath(QStringLiteral("bench%1%2.amc").arg(count).arg(posters ? u"p" : u""));
        QFile out(path);
        if (out.open(QIODevice::WriteOnly))
            out.write(bytes.data(), qint64(bytes.size()));
    }
    return path;
}
