#pragma once

#include <memory>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

// Owning handles of FFmpeg objects, so no early return leaks one.

struct TAvCodecFreer
{
    void operator()(AVCodecContext *context) const { avcodec_free_context(&context); }
};
struct TAvFrameFreer
{
    void operator()(AVFrame *frame) const { av_frame_free(&frame); }
};
struct TAvPacketFreer
{
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};

using TAvCodecPtr = std::unique_ptr<AVCodecContext, TAvCodecFreer>;
using TAvFramePtr = std::unique_ptr<AVFrame, TAvFrameFreer>;
using TAvPacketPtr = std::unique_ptr<AVPacket, TAvPacketFreer>;
