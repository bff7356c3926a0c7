#include "media/videoplayer.h"

#include <algorithm>
#include <cmath>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include <QFile>
#include <QTimer>

#include "media/avhandles.h"

using namespace Qt::StringLiterals;

namespace {

struct FormatCloser
{
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
struct ScalerFreer
{
    void operator()(SwsContext *context) const { sws_freeContext(context); }
};

constexpr AVRational Milliseconds{1, 1000};
// Pictures beyond this side are refused rather than converted.
constexpr int MaxSide = 16384;
// While playing, at most this many late frames are skipped before one is shown anyway.
constexpr int MaxDrops = 25;
// Reading and decoding steps after which a frame that never comes counts as the end.
constexpr int MaxDecodeSteps = 200000;

QString AvError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

void QuietLibraries()
{
    // FFmpeg prints every damaged packet to stderr; the player reports what matters itself.
    static const bool done = [] {
        av_log_set_level(AV_LOG_FATAL);
        return true;
    }();
    Q_UNUSED(done);
}

} // namespace

struct TVideoPlayer::TDecoder
{
    // An error text, empty on success.
    QString Open(const QString &file);
    // The next frame in presentation order into `out`; false at the end of the stream.
    bool DecodeNext(AVFrame *out);
    qint64 PositionOf(const AVFrame *frame);
    qint64 Duration() const;
    // Puts the frame on screen at `ms` into `shown` (and the one after it, when decoded,
    // into `next`); its position, or -1 when no frame could be decoded.
    qint64 SeekTo(qint64 ms);
    QImage ToImage(AVFrame *frame);
    // Makes the decoded-ahead frame the one on show.
    void Advance()
    {
        av_frame_unref(shown.get());
        av_frame_move_ref(shown.get(), next.get());
        hasNext = false;
    }

    std::unique_ptr<AVFormatContext, FormatCloser> format;
    TAvCodecPtr codec;
    TAvPacketPtr packet{av_packet_alloc()};
    TAvFramePtr shown{av_frame_alloc()};
    TAvFramePtr next{av_frame_alloc()};
    std::unique_ptr<SwsContext, ScalerFreer> scaler;
    int stream = -1;
    AVRational timeBase{1, 1000};
    int64_t startTime = 0;
    qint64 frameDuration = 40;
    qint64 lastPosition = -1;
    bool hasNext = false;
    qint64 nextPosition = 0;
    // The decoder was told that no more packets come.
    bool drained = false;
};

QString TVideoPlayer::TDecoder::Open(const QString &file)
{
    if (!packet || !shown || !next)
        return u"Out of memory"_s;
    const QByteArray name = QFile::encodeName(file);
    AVFormatContext *raw = nullptr;
    int result = avformat_open_input(&raw, name.constData(), nullptr, nullptr);
    if (result < 0)
        return AvError(result);
    format.reset(raw);
    result = avformat_find_stream_info(format.get(), nullptr);
    if (result < 0)
        return AvError(result);

    // Cover pictures stored as one-frame video streams are no video to play.
    const AVCodec *decoder = nullptr;
    stream = av_find_best_stream(format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (stream >= 0 && (format->streams[stream]->disposition & AV_DISPOSITION_ATTACHED_PIC))
        stream = -1;
    for (unsigned i = 0; stream < 0 && i < format->nb_streams; ++i) {
        const AVStream *candidate = format->streams[i];
        if (candidate->codecpar->codec_type == AVMEDIA_TYPE_VIDEO
            && !(candidate->disposition & AV_DISPOSITION_ATTACHED_PIC)) {
            decoder = avcodec_find_decoder(candidate->codecpar->codec_id);
            if (decoder)
                stream = int(i);
        }
    }
    if (stream < 0 || !decoder)
        return u"The file holds no video that can be decoded"_s;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        if (int(i) != stream)
            format->streams[i]->discard = AVDISCARD_ALL;
    }

    AVStream *video = format->streams[stream];
    codec.reset(avcodec_alloc_context3(decoder));
    if (!codec)
        return u"Out of memory"_s;
    result = avcodec_parameters_to_context(codec.get(), video->codecpar);
    if (result < 0)
        return AvError(result);
    codec->pkt_timebase = video->time_base;
    codec->thread_count = 0;
    result = avcodec_open2(codec.get(), decoder, nullptr);
    if (result < 0)
        return AvError(result);

    timeBase = video->time_base;
    if (timeBase.num <= 0 || timeBase.den <= 0)
        timeBase = {1, 1000};
    startTime = video->start_time != AV_NOPTS_VALUE ? video->start_time : 0;
    const AVRational rate = av_guess_frame_rate(format.get(), video, nullptr);
    if (rate.num > 0 && rate.den > 0)
        frameDuration = std::clamp<qint64>(av_rescale_q(1, av_inv_q(rate), Milliseconds), 1, 1000);
    return {};
}

bool TVideoPlayer::TDecoder::DecodeNext(AVFrame *out)
{
    for (int step = 0; step < MaxDecodeSteps; ++step) {
        const int received = avcodec_receive_frame(codec.get(), out);
        if (received == 0) {
            if (out->width > 0 && out->height > 0 && out->width <= MaxSide
                && out->height <= MaxSide)
                return true;
            av_frame_unref(out);
            continue;
        }
        if (received == AVERROR_EOF)
            return false;
        // Any other error is a damaged picture: carry on with the next packets.
        if (drained)
            continue;
        const int read = av_read_frame(format.get(), packet.get());
        if (read == AVERROR(EAGAIN))
            continue;
        if (read < 0) {
            avcodec_send_packet(codec.get(), nullptr);
            drained = true;
            continue;
        }
        if (packet->stream_index == stream)
            avcodec_send_packet(codec.get(), packet.get());
        av_packet_unref(packet.get());
    }
    return false;
}

qint64 TVideoPlayer::TDecoder::PositionOf(const AVFrame *frame)
{
    qint64 position;
    if (frame->best_effort_timestamp == AV_NOPTS_VALUE)
        position = lastPosition < 0 ? 0 : lastPosition + frameDuration;
    else
        position = av_rescale_q(frame->best_effort_timestamp - startTime, timeBase, Milliseconds);
    position = std::max<qint64>(position, 0);
    lastPosition = position;
    return position;
}

qint64 TVideoPlayer::TDecoder::Duration() const
{
    if (format->duration > 0)
        return av_rescale_q(format->duration, AV_TIME_BASE_Q, Milliseconds);
    const AVStream *video = format->streams[stream];
    if (video->duration > 0)
        return av_rescale_q(video->duration, timeBase, Milliseconds);
    return 0;
}

qint64 TVideoPlayer::TDecoder::SeekTo(qint64 ms)
{
    const int64_t target = startTime + av_rescale_q(ms, Milliseconds, timeBase);
    int result = av_seek_frame(format.get(), stream, target, AVSEEK_FLAG_BACKWARD);
    if (result < 0)
        result = avformat_seek_file(format.get(), stream, INT64_MIN, target, target, 0);
    if (result < 0) {
        // Streams without an index: read again from the first byte.
        result = av_seek_frame(format.get(), stream, 0, AVSEEK_FLAG_BYTE);
    }
    if (result < 0)
        return -1;
    avcodec_flush_buffers(codec.get());
    drained = false;
    hasNext = false;
    lastPosition = -1;

    // Decode from the key frame on; the frame on screen is the last one starting by `ms`.
    qint64 position = -1;
    while (DecodeNext(next.get())) {
        const qint64 at = PositionOf(next.get());
        if (position >= 0 && at > ms) {
            hasNext = true;
            nextPosition = at;
            break;
        }
        Advance();
        position = at;
    }
    return position;
}

QImage TVideoPlayer::TDecoder::ToImage(AVFrame *frame)
{
    const int width = frame->width;
    const int height = frame->height;
    if (width <= 0 || height <= 0)
        return {};
    // Anamorphic video is shown (and grabbed) at its display proportions.
    int shownWidth = width;
    const AVRational sar =
        av_guess_sample_aspect_ratio(format.get(), format->streams[stream], frame);
    if (sar.num > 0 && sar.den > 0)
        shownWidth =
            int(std::clamp<double>(std::lround(double(width) * sar.num / sar.den), 1, MaxSide));
    scaler.reset(sws_getCachedContext(scaler.release(),
                                      width,
                                      height,
                                      AVPixelFormat(frame->format),
                                      shownWidth,
                                      height,
                                      AV_PIX_FMT_RGB32,
                                      SWS_BICUBIC,
                                      nullptr,
                                      nullptr,
                                      nullptr));
    if (!scaler)
        return {};
    const int space = frame->colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_DEFAULT;
    sws_setColorspaceDetails(scaler.get(),
                             sws_getCoefficients(space),
                             frame->color_range == AVCOL_RANGE_JPEG ? 1 : 0,
                             sws_getCoefficients(SWS_CS_DEFAULT),
                             1,
                             0,
                             1 << 16,
                             1 << 16);
    // AV_PIX_FMT_RGB32 is the native-endian 0xAARRGGBB that QImage::Format_RGB32 holds.
    QImage image(shownWidth, height, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    uint8_t *target[4] = {image.bits(), nullptr, nullptr, nullptr};
    const int targetStride[4] = {int(image.bytesPerLine()), 0, 0, 0};
    sws_scale(scaler.get(), frame->data, frame->linesize, 0, height, target, targetStride);
    return image;
}

TVideoPlayer::TVideoPlayer(QObject *parent)
    : QObject(parent)
    , m_timer(new QTimer(this))
{
    QuietLibraries();
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &TVideoPlayer::ShowDue);
}

TVideoPlayer::~TVideoPlayer() = default;

bool TVideoPlayer::Open(const QString &file)
{
    Close();
    m_fileName = file;
    auto decoder = std::make_unique<TDecoder>();
    m_error = decoder->Open(file);
    if (m_error.isEmpty() && !decoder->DecodeNext(decoder->shown.get()))
        m_error = u"No picture could be decoded"_s;
    if (!m_error.isEmpty())
        return false;
    m_decoder = std::move(decoder);
    SetDuration(m_decoder->Duration());
    Show(m_decoder->PositionOf(m_decoder->shown.get()));
    return true;
}

void TVideoPlayer::Close()
{
    Pause();
    const bool wasOpen = IsOpen();
    m_decoder.reset();
    m_fileName.clear();
    m_error.clear();
    m_atEnd = false;
    m_position = 0;
    m_frame = QImage();
    SetDuration(0);
    if (wasOpen)
        emit FrameShown(m_frame, 0);
}

bool TVideoPlayer::IsOpen() const
{
    return m_decoder != nullptr;
}

void TVideoPlayer::Play()
{
    if (!m_decoder || m_playing)
        return;
    if (m_atEnd)
        Seek(0);
    m_playing = true;
    m_clockBase = m_position;
    m_clock.start();
    emit PlayingChanged(true);
    ScheduleNext();
}

void TVideoPlayer::Pause()
{
    if (!m_playing)
        return;
    m_timer->stop();
    m_playing = false;
    emit PlayingChanged(false);
}

bool TVideoPlayer::Seek(qint64 ms)
{
    if (!m_decoder)
        return false;
    ms = std::max<qint64>(ms, 0);
    if (m_duration > 0)
        ms = std::min(ms, m_duration);
    qint64 position = m_decoder->SeekTo(ms);
    m_atEnd = false;
    if (position < 0) {
        // Nothing decodes from here on: the old picture is gone from the decoder.
        m_frame = QImage();
        m_position = ms;
        emit FrameShown(m_frame, ms);
        StopAtEnd();
        return false;
    }
    // The position is the time asked for; the picture is the frame covering it.
    position = std::max(position, ms);
    Show(position);
    if (m_playing) {
        m_clockBase = position;
        m_clock.start();
        ScheduleNext();
    }
    return true;
}

void TVideoPlayer::ScheduleNext()
{
    TDecoder &decoder = *m_decoder;
    if (!decoder.hasNext) {
        if (!decoder.DecodeNext(decoder.next.get())) {
            StopAtEnd();
            return;
        }
        decoder.hasNext = true;
        decoder.nextPosition = decoder.PositionOf(decoder.next.get());
    }
    const qint64 due = decoder.nextPosition - m_clockBase - m_clock.elapsed();
    m_timer->start(int(std::clamp<qint64>(due, 0, 1000)));
}

void TVideoPlayer::ShowDue()
{
    if (!m_playing || !m_decoder || !m_decoder->hasNext)
        return;
    TDecoder &decoder = *m_decoder;
    const qint64 now = m_clockBase + m_clock.elapsed();
    if (decoder.nextPosition > now) {
        // A timer that fired early (or a frame more than a second ahead): wait on.
        ScheduleNext();
        return;
    }
    qint64 position = decoder.nextPosition;
    decoder.Advance();
    // Behind the clock (a slow decoder): skip to the frame that is due now.
    for (int dropped = 0; dropped < MaxDrops; ++dropped) {
        if (!decoder.DecodeNext(decoder.next.get()))
            break;
        decoder.hasNext = true;
        decoder.nextPosition = decoder.PositionOf(decoder.next.get());
        if (decoder.nextPosition > now)
            break;
        position = decoder.nextPosition;
        decoder.Advance();
    }
    Show(position);
    ScheduleNext();
}

void TVideoPlayer::Show(qint64 position)
{
    m_frame = m_decoder->ToImage(m_decoder->shown.get());
    m_position = position;
    if (position > m_duration)
        SetDuration(position);
    emit FrameShown(m_frame, position);
}

void TVideoPlayer::SetDuration(qint64 ms)
{
    if (ms == m_duration)
        return;
    m_duration = ms;
    emit DurationChanged(ms);
}

void TVideoPlayer::StopAtEnd()
{
    m_atEnd = true;
    Pause();
}
