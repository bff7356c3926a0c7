#pragma once

// Real media files for tests, written with FFmpeg's own encoders.

#include <QColor>
#include <QString>

struct TTestVideo
{
    int Seconds = 4;
    int Width = 160;
    int Height = 120;
    int Fps = 25;
    // Up to two: the first is MPEG audio layer 2 ("eng"), the second AC-3 ("ger").
    int AudioStreams = 2;
};

// Writes an MPEG-4 video, one key frame a second, whose frames are filled with
// TestVideoColor(second); the container follows the suffix (".mkv", ".avi", ...). Returns
// an error text, empty on success.
QString MakeTestVideo(const QString &path, const TTestVideo &video = {});

// The colour of the frames in second `second` of a test video.
QColor TestVideoColor(int second);
