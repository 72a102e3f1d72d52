#pragma once

#include <string>

struct heif_decoder_plugin;

// The quicker HEVC decoder of HEIC photos: FFmpeg's, in a module of the
// program's own (libzelm-hevc.so) that joins libheif as a decoder of higher
// priority than its built-in libde265. It is loaded at the first HEIC that
// is decoded; without the module or FFmpeg's library, libde265 decodes as
// before, only slower.
class CHevcDecoderModule
{
public:
    // Registers the module's decoder with libheif once (any thread); false
    // when libheif, the module or FFmpeg's HEVC decoder is missing.
    static bool Install();
    // The name libheif knows the decoder by (heif_decoding_options'
    // decoder_id).
    static constexpr const char* kDecoderId = "zelm-ffmpeg-hevc";
};

// What the module exports (a C name, found by the loader): the decoder, or
// nullptr when FFmpeg's library has no HEVC decoder.
extern "C" {
using ZelmHevcDecoderFunction = const heif_decoder_plugin* (*)();
}
