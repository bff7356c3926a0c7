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

// Rows handed from the decoder to the encoder at a time; libjpeg gives at most its
// rec_outbuf_height (1 to 4) per call.
constexpr unsigned BandRows = 8;

} // namespace

struct TThumbnailMaker::TCodec
{
    TErrorManager Error;
    jpeg_decompress_struct Decoder{};
    jpeg_compress_struct Encoder{};
    bool DecoderMade = false;
    bool EncoderMade = false;
    std::vector<unsigned char> Band;
};

namespace {

using TCodec = TThumbnailMaker::TCodec;

bool Create(TCodec &codec)
{
    if (setjmp(codec.Error.Jump))
        return false;
    jpeg_create_decompress(&codec.Decoder);
    codec.DecoderMade = true;
    jpeg_create_compress(&codec.Encoder);
    codec.EncoderMade = true;
    return true;
}

// Decodes at the smallest M/8 scale that stays `minWidth` wide and encodes each band of rows
// as it comes, into a buffer libjpeg allocates in `*output`.
bool Transcode(TCodec &codec,
               const unsigned char *data,
               size_t size,
               int minWidth,
               unsigned char **output,
               unsigned long *outputSize)
{
    jpeg_decompress_struct &in = codec.Decoder;
    jpeg_compress_struct &out = codec.Encoder;
    if (setjmp(codec.Error.Jump))
        return false;
    jpeg_mem_src(&in, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&in, TRUE) != JPEG_HEADER_OK)
        return false;
    if (in.jpeg_color_space != JCS_YCbCr && in.jpeg_color_space != JCS_GRAYSCALE
        && in.jpeg_color_space != JCS_RGB)
        return false;
    unsigned scale = 1;
    while (scale < 8 && (uint64_t(in.image_width) * scale + 7) / 8 < unsigned(minWidth))
        ++scale;
    // Less than halving saves too little to pay for a second lossy encoding.
    if (scale > 4)
        return false;
    in.scale_num = scale;
    in.scale_denom = 8;
    in.out_color_space = in.jpeg_color_space == JCS_GRAYSCALE ? JCS_GRAYSCALE : JCS_RGB;
    // Speed over the last bit of quality: the thumbnail is re-encoded anyway.
    in.dct_method = JDCT_IFAST;
    in.do_fancy_upsampling = FALSE;
    in.do_block_smoothing = FALSE;
    // The header's size is not trusted: a thumbnail has no business being this large.
    jpeg_calc_output_dimensions(&in);
    if (uint64_t(in.output_width) * in.output_height > (uint64_t(1) << 24))
        return false;
    jpeg_start_decompress(&in);

    jpeg_mem_dest(&out, output, outputSize);
    out.image_width = in.output_width;
    out.image_height = in.output_height;
    out.input_components = in.output_components;
    out.in_color_space = in.out_color_space;
    jpeg_set_defaults(&out);
    jpeg_set_quality(&out, 80, TRUE);
    out.dct_method = JDCT_IFAST;
    out.optimize_coding = FALSE;
    jpeg_start_compress(&out, TRUE);

    const size_t stride = size_t(in.output_width) * size_t(in.output_components);
    codec.Band.resize(stride * BandRows);
    JSAMPROW rows[BandRows];
    for (unsigned i = 0; i < BandRows; ++i)
        rows[i] = codec.Band.data() + stride * i;
    while (in.output_scanline < in.output_height) {
        const JDIMENSION read = jpeg_read_scanlines(&in, rows, BandRows);
        if (read == 0)
            return false;
        jpeg_write_scanlines(&out, rows, read);
    }
    jpeg_finish_decompress(&in);
    jpeg_finish_compress(&out);
    return true;
}

} // namespace

TThumbnailMaker::TThumbnailMaker()
    : m_codec(std::make_unique<TCodec>())
{
    TCodec &codec = *m_codec;
    jpeg_std_error(&codec.Error.Base);
    codec.Error.Base.error_exit = OnError;
    codec.Error.Base.emit_message = OnMessage;
    codec.Decoder.err = &codec.Error.Base;
    codec.Encoder.err = &codec.Error.Base;
    Create(codec);
}

TThumbnailMaker::~TThumbnailMaker()
{
    if (m_codec->DecoderMade)
        jpeg_destroy_decompress(&m_codec->Decoder);
    if (m_codec->EncoderMade)
        jpeg_destroy_compress(&m_codec->Encoder);
}

std::string TThumbnailMaker::Make(std::string_view jpeg, int minWidth)
{
    TCodec &codec = *m_codec;
    if (!codec.DecoderMade || !codec.EncoderMade || jpeg.size() < 4)
        return {};
    unsigned char *output = nullptr;
    unsigned long outputSize = 0;
    const bool made = Transcode(codec,
                                reinterpret_cast<const unsigned char *>(jpeg.data()),
                                jpeg.size(),
                                minWidth,
                                &output,
                                &outputSize);
    // Ready for the next picture, whether this one worked or not.
    jpeg_abort_decompress(&codec.Decoder);
    jpeg_abort_compress(&codec.Encoder);
    std::string thumbnail;
    try {
        if (made)
            thumbnail.assign(reinterpret_cast<const char *>(output), outputSize);
    } catch (...) {
        std::free(output);
        throw;
    }
    std::free(output);
    return thumbnail;
}

std::string JpegThumbnail(std::string_view jpeg, int minWidth)
{
    TThumbnailMaker maker;
    return maker.Make(jpeg, minWidth);
}
