#include "presentation/odpreader.h"

#include "presentation/packageelements.h"
#include "presentation/packagexml.h"
#include "presentation/zipcontainer.h"

#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

namespace {

// A presentation and a presentation template: both read alike.
constexpr const char* kMimeTypes[] = {"application/vnd.oasis.opendocument.presentation",
                                      "application/vnd.oasis.opendocument.presentation-template"};

constexpr char kOffice[] = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr char kDraw[] = "urn:oasis:names:tc:opendocument:xmlns:drawing:1.0";
constexpr char kPresentation[] = "urn:oasis:names:tc:opendocument:xmlns:presentation:1.0";
constexpr char kStyle[] = "urn:oasis:names:tc:opendocument:xmlns:style:1.0";
constexpr char kFo[] = "urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0";
constexpr char kManifest[] = "urn:oasis:names:tc:opendocument:xmlns:manifest:1.0";

bool Is(const QXmlStreamReader& xml, const char* uri, const char* name)
{
    return CPackageElements::Is(xml, uri, name);
}

std::string Attribute(const QXmlStreamReader& xml, const char* uri, const char* name)
{
    return CPackageXml::Attribute(xml.attributes(), uri, name);
}

// A length such as "28cm" or "10in" in master units (576 per inch), 0 when
// it cannot be read.
int Length(const std::string& text)
{
    static const std::pair<const char*, double> units[] = {
        {"cm", 576 / 2.54}, {"mm", 576 / 25.4}, {"in", 576.0}, {"pt", 8.0}, {"pc", 96.0}};
    for (const auto& [unit, factor] : units) {
        const size_t n = std::strlen(unit);
        if (text.size() <= n || text.compare(text.size() - n, n, unit) != 0)
            continue;
        bool ok = false;
        const double value = QString::fromStdString(text.substr(0, text.size() - n)).toDouble(&ok);
        if (!ok || !(value > 0) || value * factor > 1e7)
            return 0;
        return int(std::lround(value * factor));
    }
    return 0;
}

// "Slide 1,Slide 3": page names separated by commas.
std::vector<std::string> Names(const std::string& list)
{
    std::vector<std::string> names;
    size_t start = 0;
    while (start <= list.size()) {
        const size_t end = std::min(list.find(',', start), list.size());
        if (end > start)
            names.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

} // namespace

bool COdpReader::IsMimeType(const QByteArray& mimetype)
{
    const QByteArray type = mimetype.trimmed();
    return std::any_of(std::begin(kMimeTypes), std::end(kMimeTypes),
                       [&](const char* known) { return type == known; });
}

bool COdpReader::ParseContent(const QByteArray& data, Content& out)
{
    QXmlStreamReader xml(data);
    if (!CPackageXml::NextStart(xml))
        return false;
    if (!Is(xml, kOffice, "document-content") && !Is(xml, kOffice, "document"))
        return CPackageXml::Finished(xml);
    // Only the elements of the document's own vocabulary, where it puts
    // them, count: the pages are the presentation body's own children.
    for (CPackageElements parts(xml); parts.Next();) {
        if (Is(xml, kOffice, "automatic-styles") || Is(xml, kOffice, "styles")) {
            for (CPackageElements styles(xml); styles.Next();) {
                if (!Is(xml, kStyle, "style") || Attribute(xml, kStyle, "family") != "drawing-page")
                    continue;
                const std::string style = Attribute(xml, kStyle, "name");
                for (CPackageElements properties(xml); properties.Next();)
                    if (Is(xml, kStyle, "drawing-page-properties") && !style.empty() &&
                        Attribute(xml, kPresentation, "visibility") == "hidden")
                        out.hiddenStyles.push_back(style);
            }
        } else if (Is(xml, kOffice, "body")) {
            for (CPackageElements bodies(xml); bodies.Next();) {
                if (!Is(xml, kOffice, "presentation"))
                    continue;
                for (CPackageElements children(xml); children.Next();) {
                    if (Is(xml, kDraw, "page")) {
                        out.pages.push_back(
                            {Attribute(xml, kDraw, "name"), Attribute(xml, kDraw, "style-name")});
                    } else if (Is(xml, kPresentation, "settings")) {
                        out.startPage = Attribute(xml, kPresentation, "start-page");
                        out.show = Attribute(xml, kPresentation, "show");
                        for (CPackageElements shows(xml); shows.Next();)
                            if (Is(xml, kPresentation, "show"))
                                out.shows.emplace_back(Attribute(xml, kPresentation, "name"),
                                                       Attribute(xml, kPresentation, "pages"));
                    }
                }
            }
        }
    }
    return CPackageXml::Finished(xml);
}

bool COdpReader::ParsePageSize(const QByteArray& data, int& width, int& height)
{
    QXmlStreamReader xml(data);
    while (CPackageXml::NextStart(xml)) {
        if (!Is(xml, kStyle, "page-layout-properties"))
            continue;
        const int w = Length(Attribute(xml, kFo, "page-width"));
        const int h = Length(Attribute(xml, kFo, "page-height"));
        if (w > 0 && h > 0) {
            width = w;
            height = h;
            return true;
        }
    }
    return false;
}

bool COdpReader::ManifestEncrypted(const QByteArray& data)
{
    QXmlStreamReader xml(data);
    while (CPackageXml::NextStart(xml))
        if (Is(xml, kManifest, "encryption-data"))
            return true;
    return false;
}

CPptReader::Failure COdpReader::Read(CZipContainer& zip, CPptStructure& out)
{
    out = CPptStructure();
    QByteArray bytes;
    if (zip.Read("mimetype", bytes) != CZipContainer::Ok || !IsMimeType(bytes))
        return CPptReader::NotPresentation;
    if (zip.Read("META-INF/manifest.xml", bytes) == CZipContainer::Ok && ManifestEncrypted(bytes))
        return CPptReader::Encrypted;
    Content content;
    switch (zip.Read("content.xml", bytes)) {
    case CZipContainer::Ok:
        break;
    case CZipContainer::Missing:
        out.missingPart = "content.xml";
        [[fallthrough]];
    default:
        return CPptReader::Damaged;
    }
    if (!ParseContent(bytes, content) || content.pages.empty())
        return CPptReader::Damaged;
    out.listedSlides = int64_t(content.pages.size());
    if (content.pages.size() > size_t(CPptReader::MaxSlides))
        return CPptReader::TooManySlides;

    std::map<std::string, uint32_t> idByName;
    for (size_t i = 0; i < content.pages.size(); ++i) {
        const Content::Page& page = content.pages[i];
        const uint32_t id = uint32_t(i + 1);
        out.slideIds.push_back(id);
        const bool hidden = std::find(content.hiddenStyles.begin(), content.hiddenStyles.end(),
                                      page.style) != content.hiddenStyles.end();
        out.slideHidden.push_back(hidden ? 1 : 0);
        idByName.emplace(page.name, id);
    }
    for (const auto& [name, pages] : content.shows) {
        CPptStructure::NamedShow show{name, {}};
        for (const std::string& page : Names(pages))
            if (const auto found = idByName.find(page); found != idByName.end())
                show.slideIds.push_back(found->second);
        out.namedShows.push_back(std::move(show));
    }
    // A named show to run wins over a start page; a start page runs the
    // show from there to the end.
    if (!content.show.empty() &&
        std::any_of(out.namedShows.begin(), out.namedShows.end(),
                    [&](const CPptStructure::NamedShow& s) { return s.name == content.show; })) {
        out.rangeType = CPptStructure::RangeNamedShow;
        out.showName = content.show;
    } else if (const auto start = idByName.find(content.startPage);
               !content.startPage.empty() && start != idByName.end()) {
        out.rangeType = CPptStructure::RangeSlides;
        out.startSlide = int(start->second);
        out.endSlide = int(content.pages.size());
    }
    // 28 cm x 15.75 cm unless the styles say otherwise.
    out.slideWidth = 6350;
    out.slideHeight = 3572;
    if (zip.Read("styles.xml", bytes) == CZipContainer::Ok)
        ParsePageSize(bytes, out.slideWidth, out.slideHeight);
    return CPptReader::NoFailure;
}
