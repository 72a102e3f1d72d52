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
    static const std::vector<std::string> extensions = {".ppt",  ".pptx", ".pptm", ".ppsx", ".ppsm",
                                                        ".potx", ".potm", ".odp",  ".otp",  ".pdf"};
    return extensions;
}

const std::vector<std::string>& CSlideSourceTypes::PresentationMimeTypes()
{
    static const std::vector<std::string> types = {
        "application/vnd.ms-powerpoint",
        "application/vnd.openxmlformats-officedocument.presentationml.presentation",
        "application/vnd.ms-powerpoint.presentation.macroEnabled.12",
        "application/vnd.openxmlformats-officedocument.presentationml.slideshow",
        "application/vnd.ms-powerpoint.slideshow.macroEnabled.12",
        "application/vnd.openxmlformats-officedocument.presentationml.template",
        "application/vnd.ms-powerpoint.template.macroEnabled.12",
        "application/vnd.oasis.opendocument.presentation",
        "application/vnd.oasis.opendocument.presentation-template"};
    return types;
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
    // Slide shows and templates, with or without macros, hold their slides
    // as presentations do; macros are never run.
    for (const char* open : {".pptx", ".pptm", ".ppsx", ".ppsm", ".potx", ".potm"})
        if (CAsciiCase::Equal(extension, open))
            return OfficeOpen;
    if (CAsciiCase::Equal(extension, ".odp") || CAsciiCase::Equal(extension, ".otp"))
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
