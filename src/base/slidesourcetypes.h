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
        OfficeOpen,   // .pptx, .ppsx
        OpenDocument, // .odp
        Pdf,
    };

    static Kind KindOf(std::string_view path);
    static bool IsPicture(std::string_view path) { return KindOf(path) == Picture; }
    // Presentations and PDF documents: one cell per slide of their show.
    static bool IsPresentation(std::string_view path);
    static bool IsSlideSource(std::string_view path) { return KindOf(path) != NotASource; }

    // The extensions with their dot, lower case, in the order the help
    // names them.
    static const std::vector<std::string>& PictureExtensions();
    static const std::vector<std::string>& PresentationExtensions();
    // "*.bmp *.dib ..." patterns of every slide source, for a file filter.
    static std::string Patterns();
    // ".bmp .dib ..." for texts.
    static std::string Listed(const std::vector<std::string>& extensions);
};
