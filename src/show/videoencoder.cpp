#include "show/videoencoder.h"

#include "base/lazylibrary.h"

namespace {

CLazyLibrary& Module()
{
    static CLazyLibrary module(CLazyLibrary::ModulePath(ZELM_VIDEO_MODULE, ZELM_MODULE_DIR));
    return module;
}

} // namespace

bool CVideoEncoder::Available(std::string& error)
{
    if (Module().Symbol("ZelmVideoOpen"))
        return true;
    error = Module().Error();
    if (error.empty())
        error = Module().Name();
    return false;
}

std::string CVideoEncoder::Packages()
{
    return ZELM_VIDEO_PACKAGES;
}

std::unique_ptr<CVideoEncoder> CVideoEncoder::Open(const Settings& settings, std::string& error)
{
    if (!Available(error))
        return nullptr;
    const auto open = reinterpret_cast<ZelmVideoOpenFunction>(Module().Symbol("ZelmVideoOpen"));
    char reason[512] = {};
    CVideoEncoder* encoder = open(&settings, reason, int(sizeof reason));
    if (!encoder)
        error = reason;
    return std::unique_ptr<CVideoEncoder>(encoder);
}
