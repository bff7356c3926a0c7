#include "tests/support/mediagen.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <iterator>
#include <memory>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include <QFile>

#include "media/avhandles.h"

namespace {

struct OutputCloser
{
    void operator()(AVFormatContext *context) const
    {
        if (context->pb)
            avio_closep(&context->pb);
        avformat_free_context(context);
    }
};

struct TEncoder
{
    TAvCodecPtr codec;
    AVStream *stream = nullptr;
    TAvFramePtr frame{av_frame_alloc()};
    int64_t next = 0; // pts of the next frame, in the codec's time base
};

const QColor Colors[] = {Qt::red, Qt::green, Qt::blue, Qt::white, Qt::yellow, Qt::magenta};

QString Error(const char *what, int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(what) + QStringLiteral(": ") + QString::fromUtf8(text);
}

// Sends `frame` (null: flush) and writes every packet that comes out.
int Encode(AVFormatContext *output, TEncoder &encoder, AVFrame *frame, AVPacket *packet)
{
    int result = avcodec_send_frame(encoder.codec.get(), frame);
    if (result < 0)
        return result;
    while ((result = avcodec_receive_packet(encoder.codec.get(), packet)) == 0) {
        av_packet_rescale_ts(packet, encoder.codec->time_base, encoder.stream->time_base);
        packet->stream_index = encoder.stream->index;
        result = av_interleaved_write_frame(output, packet);
        if (result < 0)
            return result;
    }
    return result == AVERROR(EAGAIN) || result == AVERROR_EOF ? 0 : result;
}

int OpenEncoder(AVFormatContext *output,
                TEncoder &encoder,
                const AVCodec *codec,
                const std::function<void(AVCodecContext &)> &setUp)
{
    if (!codec)
        return AVERROR_ENCODER_NOT_FOUND;
    encoder.codec.reset(avcodec_alloc_context3(codec));
    encoder.stream = avformat_new_stream(output, nullptr);
    if (!encoder.codec || !encoder.stream || !encoder.frame)
        return AVERROR(ENOMEM);
    setUp(*encoder.codec);
    if (output->oformat->flags & AVFMT_GLOBALHEADER)
        encoder.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int result = avcodec_open2(encoder.codec.get(), codec, nullptr);
    if (result < 0)
        return result;
    encoder.stream->time_base = encoder.codec->time_base;
    return avcodec_parameters_from_context(encoder.stream->codecpar, encoder.codec.get());
}

void FillPicture(AVFrame *frame, const QColor &color)
{
    // BT.601 limited range, what decoders assume for MPEG-4 video.
    const double r = color.red(), g = color.green(), b = color.blue();
    const int y = int(std::lround(16 + (65.481 * r + 128.553 * g + 24.966 * b) / 255));
    const int u = int(std::lround(128 + (-37.797 * r - 74.203 * g + 112.0 * b) / 255));
    const int v = int(std::lround(128 + (112.0 * r - 93.786 * g - 18.214 * b) / 255));
    for (int row = 0; row < frame->height; ++row)
        std::memset(frame->data[0] + row * frame->linesize[0], y, size_t(frame->width));
    for (int row = 0; row < (frame->height + 1) / 2; ++row) {
        std::memset(frame->data[1] + row * frame->linesize[1], u, size_t(frame->width + 1) / 2);
        std::memset(frame->data[2] + row * frame->linesize[2], v, size_t(frame->width + 1) / 2);
    }
}

// A quiet 440 Hz tone in 16-bit interleaved or float planar samples.
void FillSound(AVFrame *frame, int64_t firstSample)
{
    const int channels = frame->ch_layout.nb_channels;
    for (int i = 0; i < frame->nb_samples; ++i) {
        const double value =
            0.2 * std::sin(2 * M_PI * 440 * double(firstSample + i) / frame->sample_rate);
        for (int c = 0; c < channels; ++c) {
            if (frame->format == AV_SAMPLE_FMT_S16)
                reinterpret_cast<int16_t *>(frame->data[0])[i * channels + c] =
                    int16_t(value * 32767);
            else
                reinterpret_cast<float *>(frame->data[c])[i] = float(value);
        }
    }
}

} // namespace

QColor TestVideoColor(int second)
{
    return Colors[std::abs(second) % std::size(Colors)];
}

QString MakeTestVideo(const QString &path, const TTestVideo &video)
{
    const QByteArray name = QFile::encodeName(path);
    AVFormatContext *raw = nullptr;
    int result = avformat_alloc_output_context2(&raw, nullptr, nullptr, name.constData());
    if (result < 0)
        return Error("container", result);
    std::unique_ptr<AVFormatContext, OutputCloser> output(raw);

    TEncoder picture;
    result = OpenEncoder(
        output.get(), picture, avcodec_find_encoder(AV_CODEC_ID_MPEG4), [&](AVCodecContext &codec) {
            codec.width = video.Width;
            codec.height = video.Height;
            codec.pix_fmt = AV_PIX_FMT_YUV420P;
            codec.time_base = {1, video.Fps};
            codec.framerate = {video.Fps, 1};
            codec.gop_size = video.Fps;
            codec.max_b_frames = 0;
            codec.bit_rate = 400'000;
        });
    if (result < 0)
        return Error("video encoder", result);

    std::vector<TEncoder> sounds(size_t(std::clamp(video.AudioStreams, 0, 2)));
    const AVCodecID soundCodecs[] = {AV_CODEC_ID_MP2, AV_CODEC_ID_AC3};
    const int rates[] = {44100, 48000};
    const char *languages[] = {"eng", "ger"};
    for (size_t i = 0; i < sounds.size(); ++i) {
        const AVCodec *codec = avcodec_find_encoder(soundCodecs[i]);
        result = OpenEncoder(output.get(), sounds[i], codec, [&](AVCodecContext &context) {
            context.sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_S16;
            context.sample_rate = rates[i];
            av_channel_layout_default(&context.ch_layout, 2);
            context.time_base = {1, rates[i]};
            context.bit_rate = 128'000;
        });
        if (result < 0)
            return Error("audio encoder", result);
        av_dict_set(&sounds[i].stream->metadata, "language", languages[i], 0);
        AVFrame *frame = sounds[i].frame.get();
        frame->format = sounds[i].codec->sample_fmt;
        frame->sample_rate = rates[i];
        frame->nb_samples = sounds[i].codec->frame_size > 0 ? sounds[i].codec->frame_size : 1024;
        av_channel_layout_copy(&frame->ch_layout, &sounds[i].codec->ch_layout);
        if (frame->format != AV_SAMPLE_FMT_S16 && frame->format != AV_SAMPLE_FMT_FLTP)
            return QStringLiteral("audio encoder: unexpected sample format");
        result = av_frame_get_buffer(frame, 0);
        if (result < 0)
            return Error("audio frame", result);
    }

    AVFrame *frame = picture.frame.get();
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = video.Width;
    frame->height = video.Height;
    result = av_frame_get_buffer(frame, 0);
    if (result < 0)
        return Error("video frame", result);

    result = avio_open(&output->pb, name.constData(), AVIO_FLAG_WRITE);
    if (result < 0)
        return Error("open", result);
    result = avformat_write_header(output.get(), nullptr);
    if (result < 0)
        return Error("header", result);

    TAvPacketPtr packet(av_packet_alloc());
    const int frames = video.Seconds * video.Fps;
    // Sound up to time `seconds`, then the next picture, so the muxer interleaves little.
    auto soundUntil = [&](double seconds) {
        for (TEncoder &sound : sounds) {
            AVFrame *block = sound.frame.get();
            while (double(sound.next) / block->sample_rate < seconds) {
                int made = av_frame_make_writable(block);
                if (made < 0)
                    return made;
                FillSound(block, sound.next);
                block->pts = sound.next;
                sound.next += block->nb_samples;
                made = Encode(output.get(), sound, block, packet.get());
                if (made < 0)
                    return made;
            }
        }
        return 0;
    };
    for (int i = 0; i < frames; ++i) {
        result = soundUntil(double(i) / video.Fps);
        if (result < 0)
            return Error("audio", result);
        result = av_frame_make_writable(frame);
        if (result < 0)
            return Error("video frame", result);
        FillPicture(frame, TestVideoColor(i / video.Fps));
        frame->pts = i;
        result = Encode(output.get(), picture, frame, packet.get());
        if (result < 0)
            return Error("video", result);
    }
    result = soundUntil(video.Seconds);
    if (result < 0)
        return Error("audio", result);
    result = Encode(output.get(), picture, nullptr, packet.get());
    for (TEncoder &sound : sounds) {
        if (result >= 0)
            result = Encode(output.get(), sound, nullptr, packet.get());
    }
    if (result < 0)
        return Error("flush", result);
    result = av_write_trailer(output.get());
    return result < 0 ? Error("trailer", result) : QString();
}
