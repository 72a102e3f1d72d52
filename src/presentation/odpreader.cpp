#include "presentation/odpreader.h"

#include "presentation/packagexml.h"
#include "presentation/zipcontainer.h"

#include <QXmlStreamReader>
#include <algorithm>
#include <cmath>
#include <map>

namespace {

constexpr char kMimeType[] = "application/vnd.oasis.opendocument.presentation";

std::string Attribute(const QXmlStreamAttributes& attributes, const char* name)
{
    for (const QXmlStreamAttribute& attribute : attributes)
        if (attribute.name() == QLatin1String(name))
            return attribute.value().toString().toStdString();
    return {};
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

bool COdpReader::ParseContent(const QByteArray& data, Content& out)
{
    QXmlStreamReader xml(data);
    std::string style;
    bool inPresentation = false;
    while (CPackageXml::NextStart(xml)) {
        const QStringView name = xml.name();
        const QXmlStreamAttributes attributes = xml.attributes();
        if (name == QLatin1String("style") && Attribute(attributes, "family") == "drawing-page") {
            style = Attribute(attributes, "name");
        } else if (name == QLatin1String("drawing-page-properties")) {
            if (!style.empty() && Attribute(attributes, "visibility") == "hidden")
                out.hiddenStyles.push_back(style);
        } else if (name == QLatin1String("presentation") &&
                   xml.namespaceUri().contains(QLatin1String("office"))) {
            inPresentation = true;
        } else if (inPresentation && name == QLatin1String("page") &&
                   xml.namespaceUri().contains(QLatin1String("drawing"))) {
            out.pages.push_back(
                {Attribute(attributes, "name"), Attribute(attributes, "style-name")});
        } else if (inPresentation && name == QLatin1String("settings")) {
            out.startPage = Attribute(attributes, "start-page");
            out.show = Attribute(attributes, "show");
        } else if (inPresentation && name == QLatin1String("show")) {
            out.shows.emplace_back(Attribute(attributes, "name"), Attribute(attributes, "pages"));
        }
    }
    return !xml.hasError();
}

bool COdpReader::ParsePageSize(const QByteArray& data, int& width, int& height)
{
    QXmlStreamReader xml(data);
    while (CPackageXml::NextStart(xml)) {
        if (xml.name() != QLatin1String("page-layout-properties"))
            continue;
        const int w = Length(Attribute(xml.attributes(), "page-width"));
        const int h = Length(Attribute(xml.attributes(), "page-height"));
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
        if (xml.name() == QLatin1String("encryption-data"))
            return true;
    return false;
}

CPptReader::Failure COdpReader::Read(CZipContainer& zip, CPptStructure& out)
{
    out = CPptStructure();
    QByteArray bytes;
    if (zip.Read("mimetype", bytes) != CZipContainer::Ok || bytes.trimmed() != kMimeType)
        return CPptReader::NotPresentation;
    if (zip.Read("META-INF/manifest.xml", bytes) == CZipContainer::Ok && ManifestEncrypted(bytes))
        return CPptReader::Encrypted;
    Content content;
    if (zip.Read("content.xml", bytes) != CZipContainer::Ok || !ParseContent(bytes, content))
        return CPptReader::Damaged;
    if (content.pages.empty())
        return CPptReader::Damaged;
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
