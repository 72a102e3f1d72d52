#pragma once

#include <string>
#include <string_view>
#include <vector>

// The kinds of file a slide is made from, told by extension (ASCII case
// ignored): pictures give one cell, presentations and PDF documents one
// cell per slide or page of their show. The one list that the browser, the
// drop checks, the command line and the help share.
class CSlideSourceTypes
{
public:
    enum Kind
    {
        NotASource,
        Picture,      // read by the program's own decoders
        Ppt,          // the binary presentation format of 1997 or later
        OfficeOpen,   // .pptx, .pptm, .ppsx, .ppsm, .potx, .potm
        OpenDocument, // .odp, .otp
        Pdf,
    };

    // More slides than a slide-show range can address is refused, in every
    // format.
    static constexpr int MaxSlides = 32767;

    static Kind KindOf(std::string_view path);
    static bool IsPicture(std::string_view path) { return KindOf(path) == Picture; }
    // Presentations and PDF documents: one cell per slide of their show.
    static bool IsPresentation(std::string_view path);
    static bool IsSlideSource(std::string_view path) { return KindOf(path) != NotASource; }

    // The extensions with their dot, lower case, in the order the help
    // names them.
    static const std::vector<std::string>& PictureExtensions();
    static const std::vector<std::string>& PresentationExtensions();
    // The desktop's names of the presentation types (of .ppt and the two
    // office families), which a desktop entry offers to open. PDF documents
    // are left to the desktop's own viewer.
    static const std::vector<std::string>& PresentationMimeTypes();
    // "*.bmp *.dib ..." patterns of every slide source, for a file filter.
    static std::string Patterns();
    // ".bmp .dib ..." for texts.
    static std::string Listed(const std::vector<std::string>& extensions);
};
