#include "base/slidesourcetypes.h"

#include "base/asciicase.h"

namespace {

std::string_view ExtensionOf(std::string_view path)
{
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    // A name that is only an extension (".png") names no picture.
    const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    if (dot == std::string_view::npos || dot <= nameStart)
        return {};
    return path.substr(dot);
}

} // namespace

const std::vector<std::string>& CSlideSourceTypes::PictureExtensions()
{
    static const std::vector<std::string> extensions = {
        ".bmp", ".dib", ".jpg", ".jpeg", ".png", ".heic", ".heif", ".webp", ".tif", ".tiff"};
    return extensions;
}

const std::vector<std::string>& CSlideSourceTypes::PresentationExtensions()
{
    static const std::vector<std::string> extensions = {".ppt", ".pptx", ".ppsx", ".odp", ".pdf"};
    return extensions;
}

CSlideSourceTypes::Kind CSlideSourceTypes::KindOf(std::string_view path)
{
    const std::string_view extension = ExtensionOf(path);
    if (extension.empty())
        return NotASource;
    for (const std::string& picture : PictureExtensions())
        if (CAsciiCase::Equal(extension, picture))
            return Picture;
    if (CAsciiCase::Equal(extension, ".ppt"))
        return Ppt;
    if (CAsciiCase::Equal(extension, ".pptx") || CAsciiCase::Equal(extension, ".ppsx"))
        return OfficeOpen;
    if (CAsciiCase::Equal(extension, ".odp"))
        return OpenDocument;
    if (CAsciiCase::Equal(extension, ".pdf"))
        return Pdf;
    return NotASource;
}

bool CSlideSourceTypes::IsPresentation(std::string_view path)
{
    const Kind kind = KindOf(path);
    return kind != NotASource && kind != Picture;
}

std::string CSlideSourceTypes::Patterns()
{
    std::string patterns;
    for (const auto* list : {&PictureExtensions(), &PresentationExtensions()})
        for (const std::string& extension : *list)
            patterns += (patterns.empty() ? "*" : " *") + extension;
    return patterns;
}

std::string CSlideSourceTypes::Listed(const std::vector<std::string>& extensions)
{
    std::string listed;
    for (const std::string& extension : extensions)
        listed += (listed.empty() ? "" : " ") + extension;
    return listed;
}
