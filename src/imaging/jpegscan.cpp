#include "imaging/jpegscan.h"

#include "imaging/jpegerror.h"

namespace {

bool isFrameMarker(unsigned char m)
{
    // SOF0..SOF15 without DHT (C4), JPG (C8) and DAC (CC).
    return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

bool isProgressive(unsigned char m)
{
    return m == 0xC2 || m == 0xC6 || m == 0xCA || m == 0xCE;
}

int64_t ceilDiv(int64_t a, int64_t b)
{
    return (a + b - 1) / b;
}

// A warning means corrupt or missing data: the trial ends there, at once.
void onMessage(j_common_ptr info, int level)
{
    if (level < 0)
        std::longjmp(reinterpret_cast<CJpegErrorManager*>(info->err)->jump, 1);
}

} // namespace

bool CJpegScan::ReadFrame(const unsigned char* p, size_t n, Frame& frame)
{
    frame = Frame();
    if (n < 4 || p[0] != 0xFF || p[1] != 0xD8)
        return false;
    size_t i = 2;
    while (i + 4 <= n) {
        if (p[i] != 0xFF)
            return false;
        while (i < n && p[i] == 0xFF)
            ++i;
        if (i >= n)
            return false;
        const unsigned char marker = p[i++];
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue;
        if (marker == 0xD9 || marker == 0xDA || n - i < 2)
            return false; // no frame before the image data
        const size_t length = size_t(p[i]) << 8 | p[i + 1];
        if (length < 2 || length > n - i)
            return false;
        if (isFrameMarker(marker)) {
            if (length < 8)
                return false;
            const unsigned char* f = p + i + 2;
            frame.height = f[1] << 8 | f[2];
            frame.width = f[3] << 8 | f[4];
            frame.components = f[5];
            frame.progressive = isProgressive(marker);
            if (frame.width == 0 || frame.height == 0 || frame.components == 0 ||
                length < size_t(8 + 3 * frame.components))
                return false;
            int hMax = 1;
            int vMax = 1;
            for (int c = 0; c < frame.components; ++c) {
                const int h = f[7 + 3 * c] >> 4;
                const int v = f[7 + 3 * c] & 0x0F;
                if (h < 1 || h > 4 || v < 1 || v > 4)
                    return false;
                hMax = h > hMax ? h : hMax;
                vMax = v > vMax ? v : vMax;
            }
            // Blocks are padded to whole MCUs: count them per MCU row and column.
            const int64_t mcuColumns = ceilDiv(frame.width, 8 * hMax);
            const int64_t mcuRows = ceilDiv(frame.height, 8 * vMax);
            for (int c = 0; c < frame.components; ++c) {
                const int h = f[7 + 3 * c] >> 4;
                const int v = f[7 + 3 * c] & 0x0F;
                frame.coefficientBytes += mcuColumns * h * mcuRows * v * 64 * 2;
            }
            return true;
        }
        i += length;
    }
    return false;
}

bool CJpegScan::DecodesCleanly(const unsigned char* data, size_t size, long maxMemory)
{
    jpeg_decompress_struct info;
    CJpegErrorManager errors;
    errors.InstallOn(info, onMessage);
    // volatile: read again after a jump back.
    volatile bool created = false;
    if (setjmp(errors.jump)) {
        if (created)
            jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    created = true;
    info.mem->max_memory_to_use = maxMemory;
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    info.scale_num = 1;
    info.scale_denom = 8;
    info.dct_method = JDCT_IFAST;
    info.do_fancy_upsampling = FALSE;
    jpeg_start_decompress(&info);
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                               info.output_width * info.output_components, 1);
    while (info.output_scanline < info.output_height)
        jpeg_read_scanlines(&info, row, 1);
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}
