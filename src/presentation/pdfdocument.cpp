#include "presentation/pdfdocument.h"

#include "base/lazylibrary.h"

namespace {

CLazyLibrary& Module()
{
    static CLazyLibrary module(CLazyLibrary::ModulePath(ZELM_PDF_MODULE, ZELM_MODULE_DIR));
    return module;
}

} // namespace

std::unique_ptr<CPdfDocument> CPdfDocument::Open(const std::string& path, Status* status)
{
    int result = Unreadable;
    CPdfDocument* document = nullptr;
    if (const auto open = reinterpret_cast<ZelmPdfOpenFunction>(Module().Symbol("ZelmPdfOpen")))
        document = open(path.c_str(), &result);
    if (status)
        *status = document ? Opened : result == Locked ? Locked : Unreadable;
    return std::unique_ptr<CPdfDocument>(document);
}

std::string CPdfDocument::LibraryVersion()
{
    const auto version =
        reinterpret_cast<ZelmPdfVersionFunction>(Module().Symbol("ZelmPdfVersion"));
    return version ? version() : std::string();
}
