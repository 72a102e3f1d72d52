#include "presentation/ooxmlreader.h"

#include "presentation/packageelements.h"
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

// The presentation vocabulary, transitional and strict.
bool IsP(const QXmlStreamReader& xml, const char* name)
{
    return CPackageElements::Is(xml, "http://schemas.openxmlformats.org/presentationml/2006/main",
                                name) ||
           CPackageElements::Is(xml, "http://purl.oclc.org/ooxml/presentationml/main", name);
}

bool IsFalse(const std::string& value)
{
    return value == "0" || value == "false";
}

// The content types of the main part of a presentation, a slide show and a
// template, without and with macros: all read alike (macros never run).
constexpr const char* kMainTypes[] = {
    "application/vnd.openxmlformats-officedocument.presentationml.presentation.main+xml",
    "application/vnd.openxmlformats-officedocument.presentationml.slideshow.main+xml",
    "application/vnd.openxmlformats-officedocument.presentationml.template.main+xml",
    "application/vnd.ms-powerpoint.presentation.macroEnabled.main+xml",
    "application/vnd.ms-powerpoint.slideshow.macroEnabled.main+xml",
    "application/vnd.ms-powerpoint.template.macroEnabled.main+xml",
};

// A part's bytes, the reason why not mapped onto the reader's failures; a
// part that is not there is noted in `why`, to be named.
Failure ReadPart(CZipContainer& zip, const std::string& name, QByteArray& out, CPptStructure& why)
{
    switch (zip.Read(name, out)) {
    case CZipContainer::Ok:
        return CPptReader::NoFailure;
    case CZipContainer::Missing:
        why.missingPart = name;
        break;
    case CZipContainer::NotZip:
    case CZipContainer::Damaged:
        break;
    }
    return CPptReader::Damaged;
}

Failure ReadRelationships(CZipContainer& zip, const std::string& source,
                          std::map<std::string, CPackageXml::Relationship>& out, CPptStructure& why)
{
    QByteArray rels;
    const std::string part =
        source.empty() ? "_rels/.rels" : CPackageXml::RelationshipsPart(source);
    if (const Failure f = ReadPart(zip, part, rels, why); f != CPptReader::NoFailure)
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
    if (!CPackageXml::NextStart(xml) || !IsP(xml, "presentation"))
        return false;
    int64_t first = 0;
    if (ToNumber(CPackageXml::Plain(xml.attributes(), "firstSlideNum"), first) && first <= 9999)
        out.firstSlideNumber = int(first);
    // Only the main vocabulary's lists count: the sections of newer versions
    // list the slides again, inside the extension list, which is skipped.
    for (CPackageElements children(xml); children.Next();) {
        if (IsP(xml, "sldIdLst")) {
            for (CPackageElements ids(xml); ids.Next();) {
                if (!IsP(xml, "sldId"))
                    continue;
                const QXmlStreamAttributes attributes = xml.attributes();
                int64_t id = 0;
                if (!ToNumber(CPackageXml::Plain(attributes, "id"), id) || id > UINT32_MAX)
                    return false;
                out.slides.push_back({uint32_t(id), CPackageXml::RelationshipId(attributes)});
            }
        } else if (IsP(xml, "sldSz")) {
            ToNumber(CPackageXml::Plain(xml.attributes(), "cx"), out.width);
            ToNumber(CPackageXml::Plain(xml.attributes(), "cy"), out.height);
        } else if (IsP(xml, "custShowLst")) {
            for (CPackageElements shows(xml); shows.Next();) {
                if (!IsP(xml, "custShow"))
                    continue;
                int64_t id = 0;
                ToNumber(CPackageXml::Plain(xml.attributes(), "id"), id);
                Presentation::Show show{
                    CPackageXml::Plain(xml.attributes(), "name"), uint32_t(id), {}};
                for (CPackageElements lists(xml); lists.Next();) {
                    if (!IsP(xml, "sldLst"))
                        continue;
                    for (CPackageElements slides(xml); slides.Next();)
                        if (IsP(xml, "sld"))
                            show.relationships.push_back(
                                CPackageXml::RelationshipId(xml.attributes()));
                }
                out.shows.push_back(std::move(show));
            }
        }
    }
    return CPackageXml::Finished(xml);
}

bool COoxmlReader::ParseSlideHidden(const QByteArray& data, bool& hidden)
{
    QXmlStreamReader xml(data);
    if (!CPackageXml::NextStart(xml) || !IsP(xml, "sld"))
        return false;
    hidden = IsFalse(CPackageXml::Plain(xml.attributes(), "show"));
    // The rest of the slide must be whole XML too.
    return CPackageXml::Finished(xml);
}

bool COoxmlReader::ParseShowSettings(const QByteArray& data, ShowSettings& out)
{
    QXmlStreamReader xml(data);
    if (!CPackageXml::NextStart(xml))
        return false;
    if (!IsP(xml, "presentationPr"))
        return CPackageXml::Finished(xml);
    for (CPackageElements children(xml); children.Next();) {
        if (!IsP(xml, "showPr"))
            continue;
        for (CPackageElements range(xml); range.Next();) {
            const QXmlStreamAttributes attributes = xml.attributes();
            if (IsP(xml, "sldRg")) {
                int64_t start = 0;
                int64_t end = 0;
                if (ToNumber(CPackageXml::Plain(attributes, "st"), start) &&
                    ToNumber(CPackageXml::Plain(attributes, "end"), end) && start <= 99999 &&
                    end <= 99999) {
                    out.rangeType = CPptStructure::RangeSlides;
                    out.start = int(start);
                    out.end = int(end);
                }
            } else if (IsP(xml, "custShow")) {
                int64_t id = 0;
                if (ToNumber(CPackageXml::Plain(attributes, "id"), id) && id <= UINT32_MAX) {
                    out.rangeType = CPptStructure::RangeNamedShow;
                    out.showId = uint32_t(id);
                }
            }
        }
    }
    return CPackageXml::Finished(xml);
}

CPptReader::Failure COoxmlReader::Read(CZipContainer& zip, CPptStructure& out)
{
    out = CPptStructure();
    std::map<std::string, CPackageXml::Relationship> root;
    QByteArray bytes;
    if (zip.Read("[Content_Types].xml", bytes) != CZipContainer::Ok ||
        ReadRelationships(zip, "", root, out) != CPptReader::NoFailure)
        return CPptReader::NotPresentation;
    std::string main;
    for (const auto& [id, relationship] : root)
        if (relationship.type == "officeDocument")
            main = relationship.target;
    if (main.empty() || !zip.Has(main))
        return CPptReader::NotPresentation;
    // A text document or a workbook under a presentation's name is no
    // presentation; a package that types no main part is read by content.
    if (const std::string type = CPackageXml::ContentType(bytes, main);
        !type.empty() && std::none_of(std::begin(kMainTypes), std::end(kMainTypes),
                                      [&](const char* known) { return type == known; }))
        return CPptReader::NotPresentation;

    Presentation presentation;
    if (const Failure f = ReadPart(zip, main, bytes, out); f != CPptReader::NoFailure)
        return f;
    if (!ParsePresentation(bytes, presentation))
        return CPptReader::Damaged;
    std::map<std::string, CPackageXml::Relationship> rels;
    if (const Failure f = ReadRelationships(zip, main, rels, out); f != CPptReader::NoFailure)
        return f;
    out.listedSlides = int64_t(presentation.slides.size());
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
        if (ReadPart(zip, found->second.target, bytes, out) != CPptReader::NoFailure ||
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
            // A show that points at a part that is not there is damage that
            // LibreOffice would stumble over: it is named now.
            if (found != rels.end() && found->second.type == "slide" &&
                !zip.Has(found->second.target)) {
                out.missingPart = found->second.target;
                return CPptReader::Damaged;
            }
            const auto slide =
                found == rels.end() ? idByPart.end() : idByPart.find(found->second.target);
            // A show's slide that is no longer listed is left out, as in the
            // older format.
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
        if (ReadPart(zip, relationship.target, bytes, out) != CPptReader::NoFailure ||
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
