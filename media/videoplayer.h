#pragma once

#include <memory>

#include <QElapsedTimer>
#include <QImage>
#include <QObject>
#include <QString>

class QTimer;

// Plays the video stream of a media file without sound, for picking a frame: decodes on
// the user-interface thread, paced by a timer after the frames' timestamps, and keeps the
// frame on show as a QImage (sample aspect ratio applied). Positions and the duration are
// in milliseconds from the start of the stream.
//
// A file without a decodable video stream leaves the player closed: no frame, duration 0,
// ErrorText() says why.
class TVideoPlayer : public QObject
{
    Q_OBJECT

public:
    explicit TVideoPlayer(QObject *parent = nullptr);
    ~TVideoPlayer() override;

    // Closes what was open, opens `file` and shows its first frame, paused.
    bool Open(const QString &file);
    void Close();
    bool IsOpen() const;
    QString FileName() const { return m_fileName; }
    QString ErrorText() const { return m_error; }

    // At the end of the stream Play() starts again from the beginning.
    void Play();
    void Pause();
    bool IsPlaying() const { return m_playing; }

    // Shows the frame on screen at `ms` (clamped to the stream), paused or playing on from
    // there; Position() becomes `ms`. False when nothing is open or no frame could be
    // decoded.
    bool Seek(qint64 ms);

    qint64 Duration() const { return m_duration; }
    qint64 Position() const { return m_position; }
    // Null while nothing is open or no frame was decoded.
    QImage CurrentFrame() const { return m_frame; }

signals:
    void FrameShown(const QImage &frame, qint64 position);
    void DurationChanged(qint64 duration);
    // Also sent when playback stops at the end of the stream.
    void PlayingChanged(bool playing);

private:
    struct TDecoder;

    void ScheduleNext();
    void ShowDue();
    void Show(qint64 position);
    void SetDuration(qint64 ms);
    void StopAtEnd();

    std::unique_ptr<TDecoder> m_decoder;
    QTimer *m_timer = nullptr;
    QString m_fileName;
    QString m_error;
    QImage m_frame;
    qint64 m_position = 0;
    qint64 m_duration = 0;
    bool m_playing = false;
    bool m_atEnd = false;
    // Playback clock: frame time m_clockBase was due when m_clock started.
    QElapsedTimer m_clock;
    qint64 m_clockBase = 0;
};
