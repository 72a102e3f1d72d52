#include "presentation/ooxmlreader.h"

#include "presentation/packagexml.h"
#include "presentation/zipcontainer.h"

#include <QXmlStreamReader>
#include <algorithm>
#include <map>

namespace {

using Failure = CPptReader::Failure;

bool ToNumber(const std::string& text, int64_t& value)
{
    if (text.empty() || text.size() > 18)
        return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

bool IsFalse(const std::string& value)
{
    return value == "0" || value == "false";
}

// A part's bytes, the reason why not mapped onto the reader's failures.
Failure ReadPart(CZipContainer& zip, const std::string& name, QByteArray& out)
{
    switch (zip.Read(name, out)) {
    case CZipContainer::Ok:
        return CPptReader::NoFailure;
    case CZipContainer::Missing:
    case CZipContainer::NotZip:
    case CZipContainer::Damaged:
        break;
    }
    return CPptReader::Damaged;
}

Failure ReadRelationships(CZipContainer& zip, const std::string& source,
                          std::map<std::string, CPackageXml::Relationship>& out)
{
    QByteArray rels;
    const std::string part =
        source.empty() ? "_rels/.rels" : CPackageXml::RelationshipsPart(source);
    if (const Failure f = ReadPart(zip, part, rels); f != CPptReader::NoFailure)
        return f;
    return CPackageXml::ReadRelationships(rels, source, out) ? CPptReader::NoFailure
                                                             : CPptReader::Damaged;
}

// Master units (576 per inch) from EMU (914400 per inch).
int MasterUnits(int64_t emu, int fallback)
{
    if (emu <= 0 || emu > 51206400LL * 10)
        return fallback;
    return int(emu * 576 / 914400);
}

} // namespace

bool COoxmlReader::ParsePresentation(const QByteArray& data, Presentation& out)
{
    QXmlStreamReader xml(data);
    Presentation::Show* show = nullptr;
    bool inShows = false;
    while (CPackageXml::NextStart(xml)) {
        const QStringView name = xml.name();
        const QXmlStreamAttributes attributes = xml.attributes();
        if (name == QLatin1String("presentation")) {
            int64_t first = 0;
            if (ToNumber(CPackageXml::Plain(attributes, "firstSlideNum"), first) && first <= 9999)
                out.firstSlideNumber = int(first);
        } else if (name == QLatin1String("sldId")) {
            int64_t id = 0;
            if (!ToNumber(CPackageXml::Plain(attributes, "id"), id) || id > UINT32_MAX)
                return false;
            out.slides.push_back({uint32_t(id), CPackageXml::RelationshipId(attributes)});
        } else if (name == QLatin1String("sldSz")) {
            ToNumber(CPackageXml::Plain(attributes, "cx"), out.width);
            ToNumber(CPackageXml::Plain(attributes, "cy"), out.height);
        } else if (name == QLatin1String("custShowLst")) {
            inShows = true;
        } else if (inShows && name == QLatin1String("custShow")) {
            int64_t id = 0;
            ToNumber(CPackageXml::Plain(attributes, "id"), id);
            out.shows.push_back({CPackageXml::Plain(attributes, "name"), uint32_t(id), {}});
            show = &out.shows.back();
        } else if (show && name == QLatin1String("sld")) {
            show->relationships.push_back(CPackageXml::RelationshipId(attributes));
        } else if (name == QLatin1String("extLst") || name == QLatin1String("notesSz")) {
            show = nullptr;
            inShows = false;
        }
    }
    return !xml.hasError();
}

bool COoxmlReader::ParseSlideHidden(const QByteArray& data, bool& hidden)
{
    QXmlStreamReader xml(data);
    if (!CPackageXml::NextStart(xml) || xml.name() != QLatin1String("sld"))
        return false;
    hidden = IsFalse(CPackageXml::Plain(xml.attributes(), "show"));
    // The rest of the slide must be whole XML too.
    while (CPackageXml::NextStart(xml)) {
    }
    return !xml.hasError();
}

bool COoxmlReader::ParseShowSettings(const QByteArray& data, ShowSettings& out)
{
    QXmlStreamReader xml(data);
    bool inShow = false;
    while (CPackageXml::NextStart(xml)) {
        const QStringView name = xml.name();
        if (name == QLatin1String("showPr")) {
            inShow = true;
        } else if (inShow && name == QLatin1String("sldRg")) {
            int64_t start = 0;
            int64_t end = 0;
            if (ToNumber(CPackageXml::Plain(xml.attributes(), "st"), start) &&
                ToNumber(CPackageXml::Plain(xml.attributes(), "end"), end) && start <= 99999 &&
                end <= 99999) {
                out.rangeType = CPptStructure::RangeSlides;
                out.start = int(start);
                out.end = int(end);
            }
        } else if (inShow && name == QLatin1String("custShow")) {
            int64_t id = 0;
            if (ToNumber(CPackageXml::Plain(xml.attributes(), "id"), id) && id <= UINT32_MAX) {
                out.rangeType = CPptStructure::RangeNamedShow;
                out.showId = uint32_t(id);
            }
        } else if (name == QLatin1String("clrMru") || name == QLatin1String("extLst")) {
            inShow = false;
        }
    }
    return !xml.hasError();
}

CPptReader::Failure COoxmlReader::Read(CZipContainer& zip, CPptStructure& out)
{
    out = CPptStructure();
    std::map<std::string, CPackageXml::Relationship> root;
    if (!zip.Has("[Content_Types].xml") ||
        ReadRelationships(zip, "", root) != CPptReader::NoFailure)
        return CPptReader::NotPresentation;
    std::string main;
    for (const auto& [id, relationship] : root)
        if (relationship.type == "officeDocument")
            main = relationship.target;
    if (main.empty() || !zip.Has(main))
        return CPptReader::NotPresentation;

    QByteArray bytes;
    Presentation presentation;
    if (const Failure f = ReadPart(zip, main, bytes); f != CPptReader::NoFailure)
        return f;
    if (!ParsePresentation(bytes, presentation))
        return CPptReader::Damaged;
    std::map<std::string, CPackageXml::Relationship> rels;
    if (const Failure f = ReadRelationships(zip, main, rels); f != CPptReader::NoFailure)
        return f;
    if (presentation.slides.size() > size_t(CPptReader::MaxSlides))
        return CPptReader::TooManySlides;

    // Every listed slide must be there: a list pointing at parts that are
    // missing is damage, not fewer slides.
    std::map<std::string, uint32_t> idByPart;
    for (const Presentation::Slide& slide : presentation.slides) {
        const auto found = rels.find(slide.relationship);
        if (found == rels.end() || found->second.type != "slide")
            return CPptReader::Damaged;
        bool hidden = false;
        if (ReadPart(zip, found->second.target, bytes) != CPptReader::NoFailure ||
            !ParseSlideHidden(bytes, hidden))
            return CPptReader::Damaged;
        out.slideIds.push_back(slide.id);
        out.slideHidden.push_back(hidden ? 1 : 0);
        idByPart[found->second.target] = slide.id;
    }
    for (const Presentation::Show& show : presentation.shows) {
        CPptStructure::NamedShow named{show.name, {}};
        for (const std::string& relationship : show.relationships) {
            const auto found = rels.find(relationship);
            const auto slide =
                found == rels.end() ? idByPart.end() : idByPart.find(found->second.target);
            // A show's slide that is gone is left out, as in the older format.
            if (slide != idByPart.end())
                named.slideIds.push_back(slide->second);
        }
        out.namedShows.push_back(std::move(named));
    }

    out.firstSlideNumber = presentation.firstSlideNumber;
    out.slideWidth = MasterUnits(presentation.width, out.slideWidth);
    out.slideHeight = MasterUnits(presentation.height, out.slideHeight);
    for (const auto& [id, relationship] : rels) {
        if (relationship.type != "presProps")
            continue;
        ShowSettings settings;
        if (ReadPart(zip, relationship.target, bytes) != CPptReader::NoFailure ||
            !ParseShowSettings(bytes, settings))
            return CPptReader::Damaged;
        out.rangeType = settings.rangeType;
        out.startSlide = settings.start;
        out.endSlide = settings.end;
        if (settings.rangeType == CPptStructure::RangeNamedShow) {
            const auto show =
                std::find_if(presentation.shows.begin(), presentation.shows.end(),
                             [&](const Presentation::Show& s) { return s.id == settings.showId; });
            if (show != presentation.shows.end())
                out.showName = show->name;
            else
                out.rangeType = CPptStructure::RangeAll;
        }
    }
    return CPptReader::NoFailure;
}
