#include "thumbnail.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

// libjpeg reports errors through a callback that must not return: it jumps back to the
// setjmp() in the functions below, which hold only trivially destructible locals.

namespace {

struct TErrorManager
{
    jpeg_error_mgr Base; // first: libjpeg hands this pointer back
    std::jmp_buf Jump;
};

[[noreturn]] void OnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<TErrorManager *>(info->err)->Jump, 1);
}

void OnMessage(j_common_ptr, int) {}

struct TCodec
{
    TCodec()
    {
        jpeg_std_error(&Error.Base);
        Error.Base.error_exit = OnError;
        Error.Base.emit_message = OnMessage;
        Decoder.err = &Error.Base;
        Encoder.err = &Error.Base;
    }
    ~TCodec()
    {
        if (DecoderMade)
            jpeg_destroy_decompress(&Decoder);
        if (EncoderMade)
            jpeg_destroy_compress(&Encoder);
        std::free(Output);
    }
    TCodec(const TCodec &) = delete;
    TCodec &operator=(const TCodec &) = delete;

    TErrorManager Error;
    jpeg_decompress_struct Decoder{};
    jpeg_compress_struct Encoder{};
    bool DecoderMade = false;
    bool EncoderMade = false;
    unsigned char *Output = nullptr;
    unsigned long OutputSize = 0;
};

// Reads the header and picks the scale; false when no smaller copy is wanted or possible.
bool StartDecoding(TCodec &codec, const unsigned char *data, size_t size, int minWidth)
{
    jpeg_decompress_struct &info = codec.Decoder;
    if (setjmp(codec.Error.Jump))
        return false;
    jpeg_create_decompress(&info);
    codec.DecoderMade = true;
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK)
        return false;
    unsigned denominator = 8;
    while (denominator > 1 && info.image_width / denominator < unsigned(minWidth))
        denominator /= 2;
    if (denominator == 1
        || (info.jpeg_color_space != JCS_YCbCr && info.jpeg_color_space != JCS_GRAYSCALE
            && info.jpeg_color_space != JCS_RGB))
        return false;
    info.scale_num = 1;
    info.scale_denom = denominator;
    info.out_color_space = info.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
    // The header's size is not trusted: a thumbnail has no business being this large.
    jpeg_calc_output_dimensions(&info);
    if (uint64_t(info.output_width) * info.output_height > (uint64_t(1) << 24))
        return false;
    jpeg_start_decompress(&info);
    return true;
}

bool ReadRows(TCodec &codec, std::vector<unsigned char> &pixels)
{
    jpeg_decompress_struct &info = codec.Decoder;
    const size_t stride = size_t(info.output_width) * size_t(info.output_components);
    if (setjmp(codec.Error.Jump))
        return false;
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.data() + stride * info.output_scanline;
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            return false;
    }
    jpeg_finish_decompress(&info);
    return true;
}

bool Encode(TCodec &codec, const std::vector<unsigned char> &pixels)
{
    const jpeg_decompress_struct &source = codec.Decoder;
    jpeg_compress_struct &info = codec.Encoder;
    if (setjmp(codec.Error.Jump))
        return false;
    jpeg_create_compress(&info);
    codec.EncoderMade = true;
    jpeg_mem_dest(&info, &codec.Output, &codec.OutputSize);
    info.image_width = source.output_width;
    info.image_height = source.output_height;
    info.input_components = source.output_components;
    info.in_color_space = source.out_color_space;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 82, TRUE);
    jpeg_start_compress(&info, TRUE);
    const size_t stride = size_t(info.image_width) * size_t(info.input_components);
    while (info.next_scanline < info.image_height) {
        auto *row = const_cast<JSAMPROW>(pixels.data() + stride * info.next_scanline);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    return true;
}

} // namespace

std::string JpegThumbnail(std::string_view jpeg, int minWidth)
{
    TCodec codec;
    const auto *data = reinterpret_cast<const unsigned char *>(jpeg.data());
    if (jpeg.size() < 4 || !StartDecoding(codec, data, jpeg.size(), minWidth))
        return {};
    const jpeg_decompress_struct &info = codec.Decoder;
    std::vector<unsigned char> pixels(size_t(info.output_width) * info.output_height
                                      * size_t(info.output_components));
    if (!ReadRows(codec, pixels) || !Encode(codec, pixels))
        return {};
    return std::string(reinterpret_cast<const char *>(codec.Output), codec.OutputSize);
}
