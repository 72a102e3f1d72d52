// Presentations with comments and with embedded objects, written by
// LibreOffice, and the same files with their lists of masters, slides and
// notes laid out as other writers lay them out: the slide count read is the
// number of pages LibreOffice makes of the very same file.
#include "presentation/pptreader.h"
#include "presentation/presentationreader.h"
#include "presentationfixtures.h"
#include "testcompound.h"

#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <map>

namespace {

constexpr int kDocument = 0x03E8;
constexpr int kSlideList = 0x0FF0;

std::string Comment(int slide)
{
    return R"(<officeooo:annotation svg:x="2cm" svg:y="3cm" svg:width="1cm" svg:height="1cm">)"
           R"(<dc:creator>Ann</dc:creator><dc:date>2024-01-02T10:00:00</dc:date><text:p>On )" +
           std::to_string(slide) + "</text:p></officeooo:annotation>";
}

// A bar chart embedded in the slide: LibreOffice writes it as an OLE object.
std::string Chart()
{
    return R"(<draw:frame svg:x="12cm" svg:y="5cm" svg:width="8cm" svg:height="6cm"><draw:object>)"
           R"(<office:document office:mimetype="application/vnd.oasis.opendocument.chart" )"
           R"(office:version="1.3"><office:body><office:chart><chart:chart svg:width="8cm" )"
           R"(svg:height="6cm" chart:class="chart:bar"><chart:plot-area><chart:series )"
           R"(chart:values-cell-range-address="local-table.B2:B3"/></chart:plot-area>)"
           R"(<table:table table:name="local-table"><table:table-rows><table:table-row>)"
           R"(<table:table-cell office:value-type="string"><text:p>x</text:p></table:table-cell>)"
           R"(<table:table-cell office:value-type="float" office:value="3"><text:p>3</text:p>)"
           R"(</table:table-cell></table:table-row></table:table-rows></table:table>)"
           R"(</chart:chart></office:chart></office:body></office:document></draw:object>)"
           R"(</draw:frame>)";
}

struct ListAt
{
    int offset;
    int instance;
    int size; // header included
};

// The lists of the document container at the start of `document`.
std::vector<ListAt> Lists(const QByteArray& document)
{
    const auto u16 = [&](int o) {
        return int(uint8_t(document[o])) | int(uint8_t(document[o + 1])) << 8;
    };
    const auto u32 = [&](int o) { return u16(o) | u16(o + 2) << 16; };
    std::vector<ListAt> lists;
    if (document.size() < 8 || u16(2) != kDocument)
        return lists;
    const int end = std::min(int(document.size()), 8 + u32(4));
    for (int p = 8; p + 8 <= end; p += 8 + u32(p + 4)) {
        if (u16(p + 2) == kSlideList)
            lists.push_back({p, u16(p) >> 4, 8 + u32(p + 4)});
    }
    return lists;
}

enum class Layout
{
    OneInstance,     // every list of the slides' instance
    NotesFirst,      // the same, the notes listed ahead of the slides
    NumberedInOrder, // masters 0, slides 1, notes 2
};

const char* NameOf(Layout layout)
{
    switch (layout) {
    case Layout::OneInstance:
        return "-one-instance";
    case Layout::NotesFirst:
        return "-notes-first";
    case Layout::NumberedInOrder:
        return "-numbered";
    }
    return "";
}

// The presentation at `from` with its lists laid out as `layout` says.
bool Relayout(const std::string& from, const std::string& to, Layout layout)
{
    CompoundStreams streams = ReadCompoundStreams(from);
    QByteArray* document = FindStream(streams, "PowerPoint Document");
    if (!document)
        return false;
    const std::vector<ListAt> lists = Lists(*document);
    std::map<int, ListAt> byInstance;
    for (const ListAt& list : lists)
        byInstance[list.instance] = list;
    if (lists.size() != 3 || byInstance.size() != 3)
        return false;
    if (layout == Layout::NotesFirst) {
        const ListAt slides = byInstance[0];
        const ListAt notes = byInstance[2];
        if (notes.offset != slides.offset + slides.size)
            return false;
        // Both lists change places; every other record keeps its offset.
        const QByteArray moved =
            document->mid(notes.offset, notes.size) + document->mid(slides.offset, slides.size);
        document->replace(slides.offset, moved.size(), moved);
    }
    int place = 0;
    for (const ListAt& list : Lists(*document)) {
        const int instance = layout == Layout::NumberedInOrder ? place++ : 0;
        PutU16(*document, list.offset, uint16_t(0x000F | instance << 4));
    }
    return WriteCompoundFile(to, streams);
}

TEST(PptReaderOfficeFiles, CommentsAndEmbeddedObjectsLeaveTheSlideCountAsLibreOfficeHasIt)
{
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    CPresentationFixtures::Deck comments;
    comments.name = "comments12";
    comments.slides = 12;
    for (int i = 1; i <= 12; ++i)
        comments.extras.push_back(Comment(i) + (i % 3 == 0 ? Comment(100 + i) : ""));
    CPresentationFixtures::Deck objects;
    objects.name = "objects3";
    objects.slides = 3;
    objects.extras = {Chart(), "", Chart()};
    for (const auto* deck : {&comments, &objects})
        std::ofstream(folder + deck->name + ".fodp") << CPresentationFixtures::Fodp(*deck);
    ASSERT_TRUE(CPresentationFixtures::ConvertFolder(folder)) << "LibreOffice made no .ppt";

    struct Case
    {
        std::string file;
        int slides;
    };
    std::vector<Case> cases;
    for (const auto* deck : {&comments, &objects}) {
        const std::string written = folder + deck->name + ".ppt";
        cases.push_back({written, deck->slides});
        for (const Layout layout :
             {Layout::OneInstance, Layout::NotesFirst, Layout::NumberedInOrder}) {
            const std::string variant = folder + deck->name + NameOf(layout) + ".ppt";
            ASSERT_TRUE(Relayout(written, variant, layout)) << variant;
            cases.push_back({variant, deck->slides});
        }
    }
    ASSERT_TRUE(CPresentationFixtures::ConvertFolder(folder, 180000, "pdf", "ppt"))
        << "LibreOffice made no PDF";

    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        CPptStructure structure;
        ASSERT_EQ(CPptReader::ReadFile(c.file, structure), CPptReader::NoFailure);
        CPptStructure pdf;
        const std::string pages = c.file.substr(0, c.file.size() - 4) + ".pdf";
        ASSERT_EQ(CPresentationReader::ReadPdf(pages, pdf), CPptReader::NoFailure);
        EXPECT_EQ(pdf.slideIds.size(), size_t(c.slides));
        EXPECT_EQ(structure.slideIds.size(), pdf.slideIds.size());
        EXPECT_EQ(structure.slideHidden, std::vector<uint8_t>(size_t(c.slides), 0));
    }
}

} // namespace
