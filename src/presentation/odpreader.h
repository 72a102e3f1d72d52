#pragma once

#include "presentation/pptreader.h"
#include "presentation/pptstructure.h"

#include <QByteArray>
#include <string>
#include <vector>

class CZipContainer;

// Reads the structure of an OpenDocument presentation (.odp, or a template,
// .otp): the pages of
// its content, hidden by their page style, the named shows (lists of page
// names), and the show settings (a named show to run, or the page to start
// at). The pages get the identifiers 1, 2, 3... in their order.
class COdpReader
{
public:
    struct Content
    {
        struct Page
        {
            std::string name;
            std::string style;
        };
        std::vector<Page> pages;
        std::vector<std::string> hiddenStyles;
        std::vector<std::pair<std::string, std::string>> shows; // name, page names
        std::string startPage;
        std::string show;
    };

    static CPptReader::Failure Read(CZipContainer& zip, CPptStructure& out);
    // Whether a package's "mimetype" entry is that of a presentation or a
    // presentation template.
    static bool IsMimeType(const QByteArray& mimetype);

    // The content part's reader; false on malformed XML.
    static bool ParseContent(const QByteArray& xml, Content& out);
    // The page size (master units) from the styles part; false when it has none.
    static bool ParsePageSize(const QByteArray& xml, int& width, int& height);
    // Whether the manifest says the content is encrypted.
    static bool ManifestEncrypted(const QByteArray& xml);
};
