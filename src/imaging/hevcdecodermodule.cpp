#include "imaging/hevcdecodermodule.h"

#include "base/lazylibrary.h"
#include "imaging/codeclibraries.h"

#include <libheif/heif.h>
#include <mutex>

bool CHevcDecoderModule::Install()
{
    static std::once_flag once;
    static bool installed = false;
    std::call_once(once, [] {
        // libheif first, as the program loads it: the module, linked to it,
        // then joins that one instead of bringing its own.
        if (!CCodecLibraries::Heif().Load())
            return;
        // Optional: its absence is no error, libde265 decodes then.
        static CLazyLibrary module(CLazyLibrary::ModulePath(ZELM_HEVC_MODULE, ZELM_MODULE_DIR),
                                   CLazyLibrary::Optional);
        const auto decoder =
            reinterpret_cast<ZelmHevcDecoderFunction>(module.Symbol("ZelmHevcDecoder"));
        const heif_decoder_plugin* plugin = decoder ? decoder() : nullptr;
        installed = plugin && heif_register_decoder_plugin(plugin).code == heif_error_Ok;
    });
    return installed;
}
