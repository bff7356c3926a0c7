// The media files the window reads into movies, shared by its browse button and drops.
#pragma once

#include <QString>

// Extensions with their dots, separated by ";" (the file picker's form).
inline const QString MediaExtensions =
    QStringLiteral(".avi;.divx;.mpg;.mpeg;.ifo;.vob;.mov;.vid;.mp4;.mkv;.dat;.ts");
