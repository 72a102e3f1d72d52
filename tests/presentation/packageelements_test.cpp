// The zipped formats' parts are read by namespace and local name: only the
// elements of the main vocabulary, where it puts them, count. Sections,
// compatibility blocks and foreign elements that reuse the main names never
// add or remove a slide.
#include "presentation/odpreader.h"
#include "presentation/ooxmlreader.h"
#include "presentation/packagexml.h"

#include <QByteArray>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const QByteArray kRoot =
    "<p:presentation xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\" "
    "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\" "
    "xmlns:p14=\"http://schemas.microsoft.com/office/powerpoint/2010/main\" "
    "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\" "
    "xmlns:x=\"urn:example:foreign\">";

QByteArray Ids(int count)
{
    QByteArray ids = "<p:sldIdLst>";
    for (int i = 1; i <= count; ++i)
        ids += "<p:sldId id=\"" + QByteArray::number(255 + i) + "\" r:id=\"rId" +
               QByteArray::number(i) + "\"/>";
    return ids + "</p:sldIdLst>";
}

struct PresentationCase
{
    const char* what;
    QByteArray body;
    std::vector<std::string> relationships; // of the slide list, in order
    int64_t width;                          // EMU
    size_t showSlides;                      // slides of the first named show
};

TEST(PackageElements, OnlyTheMainSlideListCounts)
{
    const QByteArray sections =
        "<p:extLst><p:ext uri=\"{521415D9-36F7-43E2-AB2F-B90AF26B5E84}\"><p14:sectionLst>"
        "<p14:section name=\"Intro\" id=\"{1}\"><p14:sldIdLst><p14:sldId id=\"256\"/>"
        "<p14:sldId id=\"257\"/></p14:sldIdLst></p14:section>"
        "<p14:section name=\"Empty\" id=\"{2}\"><p14:sldIdLst/></p14:section>"
        "<p14:section name=\"Again\" id=\"{3}\"><p14:sldIdLst><p14:sldId id=\"257\"/>"
        "</p14:sldIdLst></p14:section></p14:sectionLst></p:ext></p:extLst>";
    const PresentationCase cases[] = {
        {"plain", Ids(2), {"rId1", "rId2"}, 0, 0},
        {"sections, an empty one, a slide in two", Ids(2) + sections, {"rId1", "rId2"}, 0, 0},
        {"only sections", sections, {}, 0, 0},
        {"a foreign sldId in the list",
         "<p:sldIdLst><p:sldId id=\"256\" r:id=\"rId1\"/><x:sldId id=\"999\" r:id=\"rId9\"/>"
         "</p:sldIdLst>",
         {"rId1"},
         0,
         0},
        {"a foreign list of the same name",
         Ids(1) + "<x:sldIdLst><p:sldId id=\"9\" r:id=\"rId9\"/>"
                  "</x:sldIdLst>",
         {"rId1"},
         0,
         0},
        {"a compatibility block: its fallback, never its choice",
         Ids(1) + "<mc:AlternateContent><mc:Choice Requires=\"p14\"><p:sldSz cx=\"1\" cy=\"1\"/>"
                  "</mc:Choice><mc:Fallback><p:sldSz cx=\"9144000\" cy=\"6858000\"/>"
                  "</mc:Fallback></mc:AlternateContent>",
         {"rId1"},
         9144000,
         0},
        {"a custom show with a foreign sld",
         Ids(2) + "<p:custShowLst><p:custShow name=\"A\" id=\"0\"><p:sldLst>"
                  "<p:sld r:id=\"rId2\"/><x:sld r:id=\"rId1\"/></p:sldLst></p:custShow>"
                  "</p:custShowLst>",
         {"rId1", "rId2"},
         0,
         1},
    };
    for (const PresentationCase& c : cases) {
        SCOPED_TRACE(c.what);
        COoxmlReader::Presentation read;
        ASSERT_TRUE(COoxmlReader::ParsePresentation(kRoot + c.body + "</p:presentation>", read));
        std::vector<std::string> relationships;
        for (const auto& slide : read.slides)
            relationships.push_back(slide.relationship);
        EXPECT_EQ(relationships, c.relationships);
        EXPECT_EQ(read.width, c.width);
        if (c.showSlides > 0) {
            ASSERT_EQ(read.shows.size(), 1u);
            EXPECT_EQ(read.shows[0].relationships.size(), c.showSlides);
        }
    }
    // Another vocabulary's root is no presentation part.
    COoxmlReader::Presentation read;
    EXPECT_FALSE(COoxmlReader::ParsePresentation(
        "<x:presentation xmlns:x=\"urn:example:foreign\"><x:sldIdLst/></x:presentation>", read));
}

TEST(PackageElements, SlidesAndSettingsByTheirNamespace)
{
    const QByteArray p = "xmlns:p=\"http://schemas.openxmlformats.org/presentationml/2006/main\" "
                         "xmlns:mc=\"http://schemas.openxmlformats.org/markup-compatibility/2006\"";
    bool hidden = false;
    // A hidden slide with a transition in a compatibility block.
    EXPECT_TRUE(COoxmlReader::ParseSlideHidden(
        "<p:sld " + p +
            " show=\"0\"><p:cSld/><mc:AlternateContent><mc:Choice Requires=\"p14\">"
            "<p:transition/></mc:Choice><mc:Fallback><p:transition/></mc:Fallback>"
            "</mc:AlternateContent></p:sld>",
        hidden));
    EXPECT_TRUE(hidden);
    // A root of the right name in another namespace is no slide.
    EXPECT_FALSE(COoxmlReader::ParseSlideHidden("<sld show=\"0\"/>", hidden));

    COoxmlReader::ShowSettings settings;
    ASSERT_TRUE(COoxmlReader::ParseShowSettings(
        "<p:presentationPr " + p +
            " xmlns:x=\"urn:example:foreign\"><p:showPr><x:sldRg st=\"2\" end=\"3\"/>"
            "</p:showPr><p:extLst><p:ext><p:custShow id=\"4\"/></p:ext></p:extLst>"
            "</p:presentationPr>",
        settings));
    EXPECT_EQ(settings.rangeType, CPptStructure::RangeAll);
}

TEST(PackageElements, OpenDocumentPagesAreThePresentationsOwnChildren)
{
    const QByteArray head =
        "<office:document-content "
        "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
        "xmlns:draw=\"urn:oasis:names:tc:opendocument:xmlns:drawing:1.0\" "
        "xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\" "
        "xmlns:presentation=\"urn:oasis:names:tc:opendocument:xmlns:presentation:1.0\" "
        "xmlns:x=\"urn:example:foreign\"><office:automatic-styles>"
        "<style:style style:name=\"dp2\" style:family=\"drawing-page\">"
        "<style:drawing-page-properties presentation:visibility=\"hidden\"/></style:style>"
        "<x:style style:name=\"dp1\" style:family=\"drawing-page\">"
        "<style:drawing-page-properties presentation:visibility=\"hidden\"/></x:style>"
        "</office:automatic-styles><office:body><office:presentation>";
    const QByteArray tail = "<presentation:settings presentation:show=\"S\">"
                            "<presentation:show presentation:name=\"S\" "
                            "presentation:pages=\"b\"/><x:show presentation:name=\"T\"/>"
                            "</presentation:settings></office:presentation></office:body>"
                            "</office:document-content>";
    const QByteArray pages = "<draw:page draw:name=\"a\" draw:style-name=\"dp1\"/>"
                             "<x:page draw:name=\"foreign\"/>"
                             "<draw:page draw:name=\"b\" draw:style-name=\"dp2\"><x:group>"
                             "<draw:page draw:name=\"nested\"/></x:group></draw:page>";
    COdpReader::Content content;
    ASSERT_TRUE(COdpReader::ParseContent(head + pages + tail, content));
    ASSERT_EQ(content.pages.size(), 2u);
    EXPECT_EQ(content.pages[0].name, "a");
    EXPECT_EQ(content.pages[1].name, "b");
    EXPECT_EQ(content.hiddenStyles, std::vector<std::string>{"dp2"});
    ASSERT_EQ(content.shows.size(), 1u);
    EXPECT_EQ(content.shows[0].first, "S");
    EXPECT_EQ(content.show, "S");
    // A template's type reads as a presentation's; no other type does.
    EXPECT_TRUE(COdpReader::IsMimeType("application/vnd.oasis.opendocument.presentation-template"));
    EXPECT_FALSE(COdpReader::IsMimeType("application/vnd.oasis.opendocument.text"));
}

TEST(PackageElements, ContentTypeOfAPartIsItsOverrideElseItsExtensionsDefault)
{
    const QByteArray types =
        "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
        "<Default Extension=\"XML\" ContentType=\"application/xml\"/>"
        "<Override PartName=\"/PPT/Presentation.xml\" "
        "ContentType=\"application/vnd.ms-powerpoint.template.macroEnabled.main+xml\"/>"
        "</Types>";
    EXPECT_EQ(CPackageXml::ContentType(types, "ppt/presentation.xml"),
              "application/vnd.ms-powerpoint.template.macroEnabled.main+xml");
    EXPECT_EQ(CPackageXml::ContentType(types, "ppt/other.xml"), "application/xml");
    EXPECT_EQ(CPackageXml::ContentType(types, "ppt/media/image"), "");
    EXPECT_EQ(CPackageXml::ContentType("<Types><Override PartName=\"/ppt/presentation.xml\" "
                                       "ContentType=\"a\"/></Types>",
                                       "ppt/presentation.xml"),
              "")
        << "without the namespace the list says nothing";
}

} // namespace
