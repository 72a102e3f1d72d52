#include "imaging/codeclibraries.h"

#include <cstdarg>
#include <libheif/heif.h>
#include <tiffio.h>
#include <webp/decode.h>
#include <webp/demux.h>

// The names are the libraries' files as the build found them (SONAME).
CLazyLibrary& CCodecLibraries::Heif()
{
    static CLazyLibrary library(ZELM_SONAME_HEIF);
    return library;
}

CLazyLibrary& CCodecLibraries::WebP()
{
    static CLazyLibrary library(ZELM_SONAME_WEBP);
    return library;
}

CLazyLibrary& CCodecLibraries::WebPDemux()
{
    static CLazyLibrary library(ZELM_SONAME_WEBPDEMUX);
    return library;
}

CLazyLibrary& CCodecLibraries::Tiff()
{
    static CLazyLibrary library(ZELM_SONAME_TIFF);
    return library;
}

// clang-format off
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), struct heif_context*, heif_context_alloc, ())
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), void, heif_context_free, (struct heif_context* a0), a0)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), struct heif_error, heif_context_get_primary_image_handle, (struct heif_context* a0, struct heif_image_handle** a1), a0, a1)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), struct heif_error, heif_context_read_from_memory_without_copy, (struct heif_context* a0, const void* a1, size_t a2, const struct heif_reading_options* a3), a0, a1, a2, a3)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), void, heif_context_set_max_decoding_threads, (struct heif_context* a0, int a1), a0, a1)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), void, heif_context_set_maximum_image_size_limit, (struct heif_context* a0, int a1), a0, a1)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), struct heif_error, heif_decode_image, (const struct heif_image_handle* a0, struct heif_image** a1, enum heif_colorspace a2, enum heif_chroma a3, const struct heif_decoding_options* a4), a0, a1, a2, a3, a4)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), int, heif_image_get_bits_per_pixel, (const struct heif_image* a0, enum heif_channel a1), a0, a1)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), int, heif_image_get_height, (const struct heif_image* a0, enum heif_channel a1), a0, a1)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), const uint8_t*, heif_image_get_plane_readonly, (const struct heif_image* a0, enum heif_channel a1, int* a2), a0, a1, a2)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), int, heif_image_get_width, (const struct heif_image* a0, enum heif_channel a1), a0, a1)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), enum heif_color_profile_type, heif_image_handle_get_color_profile_type, (const struct heif_image_handle* a0), a0)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), int, heif_image_handle_get_chroma_bits_per_pixel, (const struct heif_image_handle* a0), a0)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), int, heif_image_handle_get_height, (const struct heif_image_handle* a0), a0)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), int, heif_image_handle_get_luma_bits_per_pixel, (const struct heif_image_handle* a0), a0)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), int, heif_image_handle_get_list_of_thumbnail_IDs, (const struct heif_image_handle* a0, heif_item_id* a1, int a2), a0, a1, a2)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), int, heif_image_handle_get_number_of_thumbnails, (const struct heif_image_handle* a0), a0)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), struct heif_error, heif_image_handle_get_raw_color_profile, (const struct heif_image_handle* a0, void* a1), a0, a1)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), size_t, heif_image_handle_get_raw_color_profile_size, (const struct heif_image_handle* a0), a0)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), struct heif_error, heif_image_handle_get_thumbnail, (const struct heif_image_handle* a0, heif_item_id a1, struct heif_image_handle** a2), a0, a1, a2)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), int, heif_image_handle_get_width, (const struct heif_image_handle* a0), a0)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), int, heif_image_handle_has_alpha_channel, (const struct heif_image_handle* a0), a0)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), void, heif_image_handle_release, (const struct heif_image_handle* a0), a0)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), void, heif_image_release, (const struct heif_image* a0), a0)
ZELM_LAZY_FUNCTION(CCodecLibraries::Heif(), struct heif_error, heif_register_decoder_plugin, (const struct heif_decoder_plugin* a0), a0)

ZELM_LAZY_FUNCTION(CCodecLibraries::WebP(), VP8StatusCode, WebPDecode, (const uint8_t* a0, size_t a1, WebPDecoderConfig* a2), a0, a1, a2)
ZELM_LAZY_FUNCTION(CCodecLibraries::WebP(), void, WebPFreeDecBuffer, (WebPDecBuffer* a0), a0)
ZELM_LAZY_FUNCTION(CCodecLibraries::WebP(), VP8StatusCode, WebPGetFeaturesInternal, (const uint8_t* a0, size_t a1, WebPBitstreamFeatures* a2, int a3), a0, a1, a2, a3)
ZELM_LAZY_FUNCTION(CCodecLibraries::WebP(), int, WebPInitDecoderConfigInternal, (WebPDecoderConfig* a0, int a1), a0, a1)

ZELM_LAZY_FUNCTION(CCodecLibraries::WebPDemux(), void, WebPAnimDecoderDelete, (WebPAnimDecoder* a0), a0)
ZELM_LAZY_FUNCTION(CCodecLibraries::WebPDemux(), int, WebPAnimDecoderGetInfo, (const WebPAnimDecoder* a0, WebPAnimInfo* a1), a0, a1)
ZELM_LAZY_FUNCTION(CCodecLibraries::WebPDemux(), int, WebPAnimDecoderGetNext, (WebPAnimDecoder* a0, uint8_t** a1, int* a2), a0, a1, a2)
ZELM_LAZY_FUNCTION(CCodecLibraries::WebPDemux(), WebPAnimDecoder*, WebPAnimDecoderNewInternal, (const WebPData* a0, const WebPAnimDecoderOptions* a1, int a2), a0, a1, a2)
ZELM_LAZY_FUNCTION(CCodecLibraries::WebPDemux(), int, WebPAnimDecoderOptionsInitInternal, (WebPAnimDecoderOptions* a0, int a1), a0, a1)
ZELM_LAZY_FUNCTION(CCodecLibraries::WebPDemux(), void, WebPDemuxDelete, (WebPDemuxer* a0), a0)
ZELM_LAZY_FUNCTION(CCodecLibraries::WebPDemux(), int, WebPDemuxGetChunk, (const WebPDemuxer* a0, const char a1[4], int a2, WebPChunkIterator* a3), a0, a1, a2, a3)
ZELM_LAZY_FUNCTION(CCodecLibraries::WebPDemux(), uint32_t, WebPDemuxGetI, (const WebPDemuxer* a0, WebPFormatFeature a1), a0, a1)
ZELM_LAZY_FUNCTION(CCodecLibraries::WebPDemux(), WebPDemuxer*, WebPDemuxInternal, (const WebPData* a0, int a1, WebPDemuxState* a2, int a3), a0, a1, a2, a3)
ZELM_LAZY_FUNCTION(CCodecLibraries::WebPDemux(), void, WebPDemuxReleaseChunkIterator, (WebPChunkIterator* a0), a0)

ZELM_LAZY_FUNCTION(CCodecLibraries::Tiff(), TIFF *, TIFFClientOpenExt, (const char * a0, const char * a1, thandle_t a2, TIFFReadWriteProc a3, TIFFReadWriteProc a4, TIFFSeekProc a5, TIFFCloseProc a6, TIFFSizeProc a7, TIFFMapFileProc a8, TIFFUnmapFileProc a9, TIFFOpenOptions * a10), a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10)
ZELM_LAZY_FUNCTION(CCodecLibraries::Tiff(), void, TIFFClose, (TIFF * a0), a0)
ZELM_LAZY_FUNCTION(CCodecLibraries::Tiff(), TIFFOpenOptions *, TIFFOpenOptionsAlloc, ())
ZELM_LAZY_FUNCTION(CCodecLibraries::Tiff(), void, TIFFOpenOptionsFree, (TIFFOpenOptions * a0), a0)
ZELM_LAZY_FUNCTION(CCodecLibraries::Tiff(), void, TIFFOpenOptionsSetErrorHandlerExtR, (TIFFOpenOptions * a0, TIFFErrorHandlerExtR a1, void * a2), a0, a1, a2)
ZELM_LAZY_FUNCTION(CCodecLibraries::Tiff(), void, TIFFOpenOptionsSetMaxSingleMemAlloc, (TIFFOpenOptions * a0, tmsize_t a1), a0, a1)
ZELM_LAZY_FUNCTION(CCodecLibraries::Tiff(), void, TIFFOpenOptionsSetWarningHandlerExtR, (TIFFOpenOptions * a0, TIFFErrorHandlerExtR a1, void * a2), a0, a1, a2)
ZELM_LAZY_FUNCTION(CCodecLibraries::Tiff(), int, TIFFRGBAImageBegin, (TIFFRGBAImage * a0, TIFF * a1, int a2, char a3[1024]), a0, a1, a2, a3)
ZELM_LAZY_FUNCTION(CCodecLibraries::Tiff(), void, TIFFRGBAImageEnd, (TIFFRGBAImage * a0), a0)
ZELM_LAZY_FUNCTION(CCodecLibraries::Tiff(), int, TIFFRGBAImageGet, (TIFFRGBAImage * a0, uint32_t * a1, uint32_t a2, uint32_t a3), a0, a1, a2, a3)
ZELM_LAZY_FUNCTION(CCodecLibraries::Tiff(), int, TIFFRGBAImageOK, (TIFF * a0, char a1[1024]), a0, a1)
ZELM_LAZY_FUNCTION(CCodecLibraries::Tiff(), int, TIFFVGetField, (TIFF * a0, uint32_t a1, va_list a2), a0, a1, a2)
ZELM_LAZY_FUNCTION(CCodecLibraries::Tiff(), int, TIFFVGetFieldDefaulted, (TIFF * a0, uint32_t a1, va_list a2), a0, a1, a2)
// clang-format on

// The variadic ones go through their va_list forms.
extern "C" int TIFFGetField(TIFF* tiff, uint32_t tag, ...)
{
    va_list arguments;
    va_start(arguments, tag);
    const int result = TIFFVGetField(tiff, tag, arguments);
    va_end(arguments);
    return result;
}

extern "C" int TIFFGetFieldDefaulted(TIFF* tiff, uint32_t tag, ...)
{
    va_list arguments;
    va_start(arguments, tag);
    const int result = TIFFVGetFieldDefaulted(tiff, tag, arguments);
    va_end(arguments);
    return result;
}
