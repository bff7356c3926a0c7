#include "catalog/jpegcodec.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>

#include <jerror.h>
#include <jpeglib.h>

// libjpeg reports errors through a callback that must not return. It jumps back to a
// setjmp() in the small functions below, each of which holds only trivially destructible
// locals; everything with a destructor lives in the callers, above the jump.

namespace {

// Real encoders write about ten scans; thousands of tiny scans only make decoding slow.
constexpr int MaxScans = 100;

struct TErrorManager
{
    jpeg_error_mgr Base; // first: libjpeg hands this pointer back
    std::jmp_buf Jump;
    // Arithmetic-coded data has no "needed more bits" warning, so the end of the file
    // is the only sign of truncation there.
    bool EofIsFatal = false;
};

[[noreturn]] void OnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<TErrorManager *>(info->err)->Jump, 1);
}

// Warnings (level -1) are silent, except the two that mean pixels are missing: compressed
// data cut short, and for arithmetic coding the end of the file. A file that only lacks
// its final end marker still decodes.
void OnMessage(j_common_ptr info, int level)
{
    if (level >= 0)
        return;
    const auto *error = reinterpret_cast<TErrorManager *>(info->err);
    const int code = error->Base.msg_code;
    if (code == JWRN_HIT_MARKER || (code == JWRN_JPEG_EOF && error->EofIsFatal))
        OnError(info);
}

void OnOutput(j_common_ptr) {}

void OnProgress(j_common_ptr info)
{
    if (info->is_decompressor
        && reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > MaxScans) {
        OnError(info);
    }
}

void InstallErrorManager(TErrorManager &error)
{
    jpeg_std_error(&error.Base);
    error.Base.error_exit = OnError;
    error.Base.emit_message = OnMessage;
    error.Base.output_message = OnOutput;
}

struct TDecoder
{
    TDecoder() { InstallErrorManager(Error); }
    ~TDecoder() { jpeg_destroy_decompress(&Info); }
    TDecoder(const TDecoder &) = delete;
    TDecoder &operator=(const TDecoder &) = delete;

    jpeg_decompress_struct Info{};
    TErrorManager Error;
    jpeg_progress_mgr Progress{};
};

bool ReadHeader(TDecoder &decoder, const uchar *data, size_t size)
{
    jpeg_decompress_struct &info = decoder.Info;
    info.err = &decoder.Error.Base;
    if (setjmp(decoder.Error.Jump))
        return false;
    jpeg_create_decompress(&info);
    decoder.Progress.progress_monitor = OnProgress;
    info.progress = &decoder.Progress;
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    return jpeg_read_header(&info, TRUE) == JPEG_HEADER_OK;
}

uchar Multiply255(int a, int b)
{
    return uchar((a * b + 127) / 255);
}

// CMYK to RGB without a colour profile. Adobe's files (the only common writer) store the
// ink values inverted.
void CmykRow(const uchar *src, uchar *out, int width, bool inverted)
{
    for (int x = 0; x < width; ++x, src += 4, out += 3) {
        const int k = inverted ? src[3] : 255 - src[3];
        for (int c = 0; c < 3; ++c)
            out[c] = Multiply255(inverted ? src[c] : 255 - src[c], k);
    }
}

// Fills an image of the header's size.
bool ReadPixels(TDecoder &decoder, TImage &image)
{
    jpeg_decompress_struct &info = decoder.Info;
    uchar *bits = image.Bits();
    const qsizetype bytesPerLine = image.BytesPerLine();
    if (setjmp(decoder.Error.Jump))
        return false;
    jpeg_start_decompress(&info);
    const bool cmyk = info.out_color_space == JCS_CMYK;
    if (info.output_components != (cmyk ? 4 : 3) || int(info.output_width) != image.Width()
        || int(info.output_height) != image.Height()) {
        return false;
    }
    JSAMPARRAY cmykRow =
        cmyk ? (*info.mem->alloc_sarray)(
            reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE, info.output_width * 4, 1)
             : nullptr;
    while (info.output_scanline < info.output_height) {
        uchar *out = bits + bytesPerLine * info.output_scanline;
        JSAMPROW row = cmyk ? cmykRow[0] : out;
        if (jpeg_read_scanlines(&info, &row, 1) != 1)
            return false;
        if (cmyk)
            CmykRow(row, out, int(info.output_width), info.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&info);
    return true;
}

// Growing output buffer owned by the encoder, so it is freed on every path (libjpeg's own
// memory destination loses its buffer when an error jumps out midway).
struct TDestination
{
    jpeg_destination_mgr Base; // first: libjpeg hands this pointer back
    JOCTET *Buffer = nullptr;
    size_t Capacity = 0;
};

void InitDestination(j_compress_ptr info)
{
    auto *destination = reinterpret_cast<TDestination *>(info->dest);
    destination->Base.next_output_byte = destination->Buffer;
    destination->Base.free_in_buffer = destination->Capacity;
}

boolean GrowDestination(j_compress_ptr info)
{
    auto *destination = reinterpret_cast<TDestination *>(info->dest);
    const size_t capacity = destination->Capacity * 2;
    auto *buffer = static_cast<JOCTET *>(std::realloc(destination->Buffer, capacity));
    if (buffer == nullptr)
        ERREXIT(info, JERR_OUT_OF_MEMORY);
    // libjpeg calls this only when the buffer is full.
    destination->Base.next_output_byte = buffer + destination->Capacity;
    destination->Base.free_in_buffer = capacity - destination->Capacity;
    destination->Buffer = buffer;
    destination->Capacity = capacity;
    return TRUE;
}

void TermDestination(j_compress_ptr) {}

struct TEncoder
{
    TEncoder() { InstallErrorManager(Error); }
    ~TEncoder()
    {
        jpeg_destroy_compress(&Info);
        std::free(Destination.Buffer);
    }
    TEncoder(const TEncoder &) = delete;
    TEncoder &operator=(const TEncoder &) = delete;

    jpeg_compress_struct Info{};
    TErrorManager Error;
    TDestination Destination{};
};

bool Compress(TEncoder &encoder, const TImage &image, int quality)
{
    jpeg_compress_struct &info = encoder.Info;
    info.err = &encoder.Error.Base;
    if (setjmp(encoder.Error.Jump))
        return false;
    jpeg_create_compress(&info);
    encoder.Destination.Base.init_destination = InitDestination;
    encoder.Destination.Base.empty_output_buffer = GrowDestination;
    encoder.Destination.Base.term_destination = TermDestination;
    info.dest = &encoder.Destination.Base;
    info.image_width = JDIMENSION(image.Width());
    info.image_height = JDIMENSION(image.Height());
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        // libjpeg only reads the rows; its row type is not const.
        JSAMPROW row = const_cast<uchar *>(image.Bits())
                       + image.BytesPerLine() * qsizetype(info.next_scanline);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    return true;
}

// libjpeg picks the output size from scale_num/scale_denom, which may fail like any call.
bool ComputeOutputSize(TDecoder &decoder)
{
    if (setjmp(decoder.Error.Jump))
        return false;
    jpeg_calc_output_dimensions(&decoder.Info);
    return true;
}

// The whole picture, or with minWidth/minHeight above 0 the smallest of libjpeg's eighths
// (1/8 to 8/8) that reaches that box in width or height, i.e. is no smaller than the picture
// fitted into the box: the scaling happens inside the inverse DCT, so a thumbnail costs a
// fraction of a full decode.
TImage DecodeJpeg(QByteArrayView bytes, int minWidth, int minHeight)
{
    if (bytes.isEmpty())
        return {};
    TDecoder decoder;
    if (!ReadHeader(decoder, reinterpret_cast<const uchar *>(bytes.data()), size_t(bytes.size())))
        return {};
    jpeg_decompress_struct &info = decoder.Info;
    const qint64 width = info.image_width;
    const qint64 height = info.image_height;
    if (width < 1 || height < 1 || width > TImage::MaxSide || height > TImage::MaxSide
        || width * height > TImage::MaxPixels) {
        return {};
    }
    // Huffman coding spends at least one bit on every 8x8 block of every component, so a
    // header promising more blocks than the file has bits is lying; refusing it here keeps
    // a few bytes from making libjpeg and us allocate for a huge picture. Arithmetic-coded
    // files can beat the bound only with very flat pictures, and are held to it too.
    quint64 blocks = 0;
    for (int i = 0; i < info.num_components; ++i) {
        const jpeg_component_info &component = info.comp_info[i];
        blocks += quint64(component.width_in_blocks) * component.height_in_blocks;
    }
    if (blocks > quint64(bytes.size()) * 8)
        return {};
    decoder.Error.EofIsFatal = info.arith_code;

    switch (info.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
        info.out_color_space = JCS_RGB;
        break;
    case JCS_CMYK:
    case JCS_YCCK:
        info.out_color_space = JCS_CMYK;
        break;
    default:
        return {};
    }
    if (minWidth > 0 && minHeight > 0) {
        int eighths = 1;
        while (eighths < 8 && (width * eighths + 7) / 8 < minWidth
               && (height * eighths + 7) / 8 < minHeight)
            ++eighths;
        info.scale_num = unsigned(eighths);
        info.scale_denom = 8;
    }
    if (!ComputeOutputSize(decoder))
        return {};
    TImage image(static_cast<int>(info.output_width), static_cast<int>(info.output_height));
    if (image.IsNull() || !ReadPixels(decoder, image))
        return {};
    return image;
}

} // namespace

TImage ReadJpeg(QByteArrayView bytes)
{
    return DecodeJpeg(bytes, 0, 0);
}

TImage ReadJpegScaled(QByteArrayView bytes, int minWidth, int minHeight)
{
    return DecodeJpeg(bytes, std::max(1, minWidth), std::max(1, minHeight));
}

QByteArray WriteJpeg(const TImage &image, int quality)
{
    if (image.IsNull())
        return {};
    TEncoder encoder;
    // Room for a typical file up front; the buffer doubles when it fills.
    encoder.Destination.Capacity = size_t(image.Width()) * size_t(image.Height()) / 4 + 4096;
    encoder.Destination.Buffer = static_cast<JOCTET *>(std::malloc(encoder.Destination.Capacity));
    if (encoder.Destination.Buffer == nullptr
        || !Compress(encoder, image, std::clamp(quality, 1, 100))) {
        return {};
    }
    const size_t size = encoder.Destination.Capacity - encoder.Destination.Base.free_in_buffer;
    return QByteArray(reinterpret_cast<const char *>(encoder.Destination.Buffer), qsizetype(size));
}
