#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "base/slidesourcetypes.h"

#include <QFile>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <vector>

namespace {

// The inserts each message's callers fill: 1 = %1 only, 2 = %1 and %2.
// Every number not listed here is shown without inserts.
// clang-format off
const std::map<int, int> kInserts = {
    {7102, 1}, // the refused characters
    {212, 1},  // project file of an earlier version
    {7104, 1}, // folder path
    {7105, 1}, // presentation path (may be empty)
    {7107, 1}, // folder caption
    {7108, 1}, // preview caption
    {7115, 1}, // card folder
    {7116, 1}, // file path
    {7117, 1}, // existing path
    {7118, 1}, // picture path
    {7122, 1}, // autorun list path
    {7123, 1}, // scenario file path
    {7124, 1}, // card picture path
    {7126, 1}, // path that cannot be read
    {7127, 1}, // path that cannot be written
    {7132, 1}, // project name
    {7133, 1}, // project name
    {7134, 2}, // project name, card root
    {7136, 1}, // scenario name
    {7140, 1}, // project name
    {7191, 1}, // autorun list path
    {7204, 2}, // folder, the system's reason
    {7205, 2}, // item, the system's reason
    {7206, 2}, // item, folder
    {7207, 2}, // item, the system's reason
    {7142, 1}, // scenario name
    {7145, 1}, // scenario base name
    {7146, 1}, // card folder
    {7147, 1}, // scenario base name
    {7148, 1}, // project name
    {7149, 1}, // card folder
    {7150, 1}, // scenario name
    {7151, 1}, // presentation path
    {7159, 1}, // file path
    {7300, 1}, // file path, in every text of a failure's reason
    {7301, 1},
    {7302, 1},
    {7303, 1},
    {7304, 1},
    {7305, 1},
    {7306, 1},
    {7307, 1},
    {7308, 1},
    {7309, 1},
    {7310, 2}, // row, picture path
    {7311, 2}, // row, picture path
    {7328, 1}, // seconds
    {7331, 1}, // seconds
    {7332, 1}, // input device
    {7380, 1}, // file protected by a password
    {7164, 1}, // project path
    {7187, 1}, // autorun list path
    {7170, 1}, // dropped folder
    {7171, 1}, // dropped file
    {7180, 2}, // project path, holder
    {7181, 2}, // card root, holder
    {7183, 2}, // lock file path, the system's reason
    {7184, 1}, // project name
    {7185, 1}, // scenario folder
    {7186, 1}, // leftover temporary file
    {7335, 2}, // slides that went in, slides to insert
    {7336, 2}, // printer name, the reason
    {7339, 1}, // last page of the sheet
    {7340, 2}, // project file, the counts (7341)
    {7341, 2}, // cells left out, cells read
    {7365, 1}, // card root
    {7366, 2}, // card root, the space needed and free
    {7367, 2}, // card root, the space needed and free
    {7368, 1}, // card root
    {7420, 2}, // show name, the pictures replaced (7421)
    {7421, 2}, // pictures now, pictures then
    {7422, 1}, // the other files of the scenario folder
    {7424, 1}, // the link
    {7425, 1}, // the link
    {7426, 1}, // the other volume's folder
    {7427, 2}, // row, picture path
    {7428, 2}, // card root, file
    {7429, 2}, // show name, the problems
    {7430, 2}, // card root, show name
    {7432, 1}, // the leftover
    {7433, 1}, // scenario name (twice)
    {7369, 2}, // card root, the system's reason
    {7370, 2}, // bytes needed, bytes free
    {7371, 2}, // bytes needed, bytes free
    {7480, 1}, // the unusable files with their reasons
    {7481, 2}, // the unusable files with their reasons, how many remain
    {7485, 1}, // file patterns
    {7486, 1}, // file patterns
    {7487, 1}, // file patterns
    {7488, 1}, // file patterns
    {7490, 1}, // file
    {7494, 1}, // folder
    {7496, 1}, // longest name
    {7570, 2}, // bytes free, bytes needed
    {7572, 2}, // card root, the space needed and free
    {7573, 2}, // bytes needed, bytes free
    {7510, 3}, // presentation path, its slides, the most the program takes
    {7511, 2}, // presentation path, the missing part
    {7512, 2}, // presentation path, seconds
    {7513, 3}, // presentation path, pages done, seconds
    {7540, 1}, // video file
    {7541, 1}, // video file
    {7542, 1}, // folder
    {7543, 1}, // folder
    {7544, 2}, // missing pictures, show
    {7545, 2}, // packages, the loader's reason
    {7546, 1}, // size given
    {7547, 1}, // frame rate given
    {7548, 2}, // folder, the figures (7549)
    {7549, 2}, // bytes written, bytes free
    {7550, 2}, // video file, the reason
    {7551, 2}, // video file, length and size
    {7553, 2}, // slide, slides
    {7554, 1}, // seconds given
    {7555, 1}, // quality given
    {61699, 1}, // project file name
    {61714, 2}, // lowest and highest whole number
    {61716, 1}, // longest length
    {61728, 1}, // file title
    {61729, 1}, // path
};
// clang-format on

std::vector<int> numberedIds()
{
    std::vector<int> ids;
    auto range = [&](int from, int to) {
        for (int id = from; id <= to; ++id)
            ids.push_back(id);
    };
    ids.push_back(212);
    range(7000, 7003);
    range(7100, 7168);
    range(7170, 7171);
    range(7180, 7187);
    range(7190, 7191);
    range(7200, 7219);
    range(7300, 7311);
    range(7335, 7341);
    range(7365, 7371);
    range(7570, 7573);
    range(7220, 7261);
    range(7540, 7555);
    ids.push_back(7380);
    range(7480, 7496);
    range(7510, 7513);
    for (int id : {57344, 61440, 61696, 61697, 61698, 61699, 61700, 61703, 61707, 61708, 61714,
                   61716, 61728, 61729})
        ids.push_back(id);
    return ids;
}

// Which of %1, %2, %3 the text carries, and whether it has a stray % insert.
struct Inserts
{
    int count = 0; // highest insert number used
    bool has1 = false, has2 = false, has3 = false, stray = false;
};

Inserts scanInserts(const std::string& text)
{
    Inserts in;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '%')
            continue;
        const char c = text[i + 1];
        if (c == '1')
            in.has1 = true;
        else if (c == '2')
            in.has2 = true;
        else if (c == '3')
            in.has3 = true;
        else if (c >= '0' && c <= '9')
            in.stray = true;
    }
    in.count = in.has3 ? 3 : in.has2 ? 2 : in.has1 ? 1 : 0;
    return in;
}

uint16_t le16(const QByteArray& b, int at)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(b[at]) | static_cast<uint8_t>(b[at + 1])
                                                                   << 8);
}

int32_t le32(const QByteArray& b, int at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | static_cast<uint8_t>(b[at + i]);
    int32_t s;
    std::memcpy(&s, &v, sizeof s);
    return s;
}

} // namespace

TEST(ResourceBundle, FillsInsertsAndKeepsUnknownPercents)
{
    EXPECT_EQ(CResourceBundle::FillInserts("a %1 b %2 c %3 %", "X", "Y"), "a X b Y c %3 %");
    EXPECT_EQ(CResourceBundle::FillInserts("%2%1", "", "Z"), "Z");
}

TEST(ResourceBundle, FormatAllFillsEveryInsertGivenAndKeepsTheRest)
{
    ASSERT_TRUE(CResourceBundle::IsLoaded());
    EXPECT_EQ(CResourceBundle::FormatAll(MsgId::PresentationTooManySlides,
                                         {"/d/big.pptx", "40000", "32767"}),
              "/d/big.pptx has 40000 slides; the program takes at most 32767.");
    // An insert the caller did not give stays as written, never read past.
    EXPECT_EQ(CResourceBundle::FormatAll(MsgId::PresentationTooManySlides, {"a"}),
              "a has %2 slides; the program takes at most %3.");
}

TEST(ResourceBundle, MessageNumbersThatTestsNameStayAsTheyAre)
{
    // The other tests name messages as MsgId::; their numbers are pinned
    // here once, as scripts read them from `zelm --message-ids`.
    const std::pair<int, int> pinned[] = {
        {MsgId::AskUpgradeProject, 212},
        {MsgId::FileNameBadCharacters, 7102},
        {MsgId::FolderNotCreated, 7104},
        {MsgId::PresentationNotOpened, 7105},
        {MsgId::NotEnoughSpace, 7106},
        {MsgId::ProjectNameInvalid, 7111},
        {MsgId::ProjectFolderUnusable, 7113},
        {MsgId::CardNotReady, 7115},
        {MsgId::AskUseExistingFolder, 7117},
        {MsgId::RowNumberHeader, 7120},
        {MsgId::SlideHeader, 7121},
        {MsgId::AutorunListDamaged, 7122},
        {MsgId::FileUnreadable, 7126},
        {MsgId::FileNotWritten, 7127},
        {MsgId::SlideSourceMissing, 7128},
        {MsgId::SaveRefreshFailed, 7129},
        {MsgId::InsertFailed, 7130},
        {MsgId::SendFailed, 7132},
        {MsgId::AskSendToCard, 7134},
        {MsgId::ChooseFolderEntry, 7137},
        {MsgId::ProgressCaption, 7138},
        {MsgId::GettingReady, 7139},
        {MsgId::CopyingToCard, 7140},
        {MsgId::ScenarioNotDeleted, 7145},
        {MsgId::AskDeleteScenario, 7147},
        {MsgId::AskEditAutorun, 7148},
        {MsgId::AlreadyInAutorun, 7150},
        {MsgId::ReadingSlides, 7151},
        {MsgId::InsertingSlidesCaption, 7152},
        {MsgId::ControlStepLabel, 7153},
        {MsgId::InputRemoteControl, 7154},
        {MsgId::ChooseOtherFolder, 7158},
        {MsgId::AskStopAndUndo, 7163},
        {MsgId::ConvertingForCard, 7168},
        {MsgId::ProjectLocked, 7180},
        {MsgId::SendProjectChanged, 7184},
        {MsgId::AutorunReplaceUnreadable, 7187},
        {MsgId::ProjectBusy, 7190},
        {MsgId::AutorunReplaceDamaged, 7191},
        {MsgId::FolderUnreadable, 7204},
        {MsgId::ItemExists, 7206},
        {MsgId::EffectCut, 7220},
        {MsgId::EffectWipeFromLeft, 7223},
        {MsgId::FileDoesNotExist, 7300},
        {MsgId::FileNotAPicture, 7301},
        {MsgId::PictureDamaged, 7302},
        {MsgId::FileNotAPresentation, 7304},
        {MsgId::FileNotATransferBlock, 7308},
        {MsgId::SendRowNotCopied, 7311},
        {MsgId::InvalidFileName, 61696},
        {MsgId::DocumentNotSaved, 61698},
        {MsgId::AskToSave, 61699},
        {MsgId::EnterWholeNumberInRange, 61714},
        {MsgId::FileFormatUnexpected, 61728},
        {MsgId::FileNotFound, 61729},
    };
    for (const auto& [id, number] : pinned)
        EXPECT_EQ(id, number);
}

TEST(ResourceBundle, HasATextForEveryNumberInUse)
{
    ASSERT_TRUE(CResourceBundle::IsLoaded());
    for (int id : numberedIds())
        EXPECT_FALSE(CResourceBundle::Text(id).empty()) << "message " << id;
    EXPECT_TRUE(CResourceBundle::Text(1).empty());
    EXPECT_TRUE(CResourceBundle::Text(7004).empty());
}

TEST(ResourceBundle, EveryTextCarriesExactlyTheInsertsItsCallersFill)
{
    for (int id : numberedIds()) {
        const std::string text = CResourceBundle::Text(id);
        const auto it = kInserts.find(id);
        const int expected = it == kInserts.end() ? 0 : it->second;
        const Inserts in = scanInserts(text);
        EXPECT_EQ(in.count, expected) << "message " << id << ": " << text;
        // A %2 without %1 would leave the first insert unused.
        EXPECT_EQ(in.has1, expected >= 1) << "message " << id;
        EXPECT_FALSE(in.stray) << "message " << id << ": " << text;
    }
}

TEST(ResourceBundle, FormatsTheRangeMessageWithItsLimits)
{
    const std::string text = CResourceBundle::Format(61714, "1", "1800");
    EXPECT_NE(text.find('1'), std::string::npos);
    EXPECT_NE(text.find("1800"), std::string::npos);
    EXPECT_EQ(text.find('%'), std::string::npos);
    EXPECT_LT(text.find("1 "), text.find("1800")); // lower limit first
}

TEST(ResourceBundle, TurnsEscapesIntoTabsAndLineBreaks)
{
    // The forbidden-characters message shows its list on a line of its own.
    const std::string text = CResourceBundle::Format(7102, "\t\\/:,;*?\"<>|");
    EXPECT_NE(text.find('\n'), std::string::npos);
    EXPECT_NE(text.find("\t\\/:,;*?\"<>|"), std::string::npos);
    for (int id : numberedIds()) {
        const std::string t = CResourceBundle::Text(id);
        EXPECT_EQ(t.find("\\n"), std::string::npos) << id;
        EXPECT_EQ(t.find("\\t"), std::string::npos) << id;
        EXPECT_EQ(t.find('\r'), std::string::npos) << id;
    }
}

TEST(ResourceBundle, FileTypesSplitIntoLabelAndPatterns)
{
    std::vector<std::string> joined;
    for (int id = 7200; id <= 7203; ++id) {
        const std::string text = CResourceBundle::Text(id);
        const size_t bar = text.find('|');
        ASSERT_NE(bar, std::string::npos) << id;
        EXPECT_EQ(text.find('|', bar + 1), std::string::npos) << id;
        const std::string label = text.substr(0, bar);
        const std::string patterns = text.substr(bar + 1);
        EXPECT_FALSE(label.empty()) << id;
        ASSERT_FALSE(patterns.empty()) << id;
        // Every part of the pattern list is "*." followed by an extension.
        size_t from = 0;
        for (;;) {
            const size_t semi = patterns.find(';', from);
            const std::string part = patterns.substr(from, semi - from);
            EXPECT_EQ(part.rfind("*.", 0), 0u) << id << ": " << part;
            EXPECT_GT(part.size(), 2u) << id;
            if (id > 7200)
                joined.push_back(part);
            if (semi == std::string::npos)
                break;
            from = semi + 1;
        }
    }
    // The presentation entry lists presentations only; the pictures entries
    // between them cover every picture type the program imports.
    // The presentation entry lists the program's list of presentations.
    std::string presentations;
    for (const std::string& extension : CSlideSourceTypes::PresentationExtensions())
        presentations += (presentations.empty() ? "*" : ";*") + extension;
    EXPECT_EQ(CResourceBundle::Text(7201).substr(CResourceBundle::Text(7201).find('|') + 1),
              presentations);
    for (const char* ext : {"*.jpg", "*.jpeg", "*.bmp", "*.dib", "*.png", "*.heic", "*.heif",
                            "*.webp", "*.tif", "*.tiff"})
        EXPECT_NE(std::find(joined.begin(), joined.end(), ext), joined.end()) << ext;
}

TEST(ResourceBundle, EffectAndDeviceNamesAreDistinct)
{
    std::map<std::string, int> seen;
    for (int id = 7220; id <= 7261; ++id)
        EXPECT_TRUE(seen.emplace(CResourceBundle::Text(id), id).second) << id;
    EXPECT_EQ(seen.size(), 42u);
    std::map<std::string, int> devices;
    for (int id = 7154; id <= 7156; ++id)
        EXPECT_TRUE(devices.emplace(CResourceBundle::Text(id), id).second) << id;
}

struct BitmapCase
{
    int id;
    const char* file;
    int width, height;
    bool alpha;
};

class ResourceBitmaps : public ::testing::TestWithParam<BitmapCase>
{
};

TEST_P(ResourceBitmaps, HaveTheirSizeAndKind)
{
    const BitmapCase& c = GetParam();
    const QImage img = CResourceBundle::Bitmap(c.id);
    ASSERT_FALSE(img.isNull()) << c.id;
    EXPECT_EQ(img.width(), c.width);
    EXPECT_EQ(img.height(), c.height);
    EXPECT_EQ(img.hasAlphaChannel(), c.alpha);
    ASSERT_TRUE(QFile::exists(QStringLiteral(":/zelm/bitmaps/") + QLatin1String(c.file)));
    // Not a blank picture: more than one colour.
    QRgb first = img.pixel(0, 0);
    bool varied = false;
    for (int y = 0; y < img.height() && !varied; ++y)
        for (int x = 0; x < img.width() && !varied; ++x)
            varied = img.pixel(x, y) != first;
    EXPECT_TRUE(varied) << c.id;
}

INSTANTIATE_TEST_SUITE_P(All, ResourceBitmaps,
                         ::testing::Values(BitmapCase{103, "103.png", 400, 260, false},
                                           BitmapCase{128, "128.png", 256, 256, true},
                                           BitmapCase{143, "143.bmp", 160, 120, false},
                                           BitmapCase{144, "144.bmp", 160, 120, false},
                                           BitmapCase{145, "145.bmp", 160, 120, false},
                                           BitmapCase{170, "170.png", 32, 32, true},
                                           BitmapCase{250, "250.png", 32, 32, true}),
                         [](const auto& info) { return std::to_string(info.param.id); });

TEST(ResourceBundle, CellBitmapsAreUncompressedBottomUp24Bit)
{
    for (int id : {143, 144, 145}) {
        QFile f(QStringLiteral(":/zelm/bitmaps/%1.bmp").arg(id));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << id;
        const QByteArray b = f.readAll();
        ASSERT_GE(b.size(), 54) << id;
        EXPECT_EQ(b.left(2), QByteArray("BM"));
        EXPECT_EQ(le32(b, 14), 40) << id;  // plain info header
        EXPECT_EQ(le32(b, 18), 160) << id; // width
        EXPECT_EQ(le32(b, 22), 120) << id; // positive height: bottom-up
        EXPECT_EQ(le16(b, 28), 24) << id;  // bits per pixel
        EXPECT_EQ(le32(b, 30), 0) << id;   // no compression
        EXPECT_EQ(b.size(), 54 + 160 * 3 * 120) << id;
    }
}

TEST(ResourceBundle, MarkAndMaskOverlayLeavesThePictureOutsideTheMark)
{
    const QImage mark = CResourceBundle::Bitmap(144).convertToFormat(QImage::Format_RGB32);
    const QImage mask = CResourceBundle::Bitmap(145).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(mark.size(), mask.size());
    int figure = 0;
    for (int y = 0; y < mask.height(); ++y) {
        for (int x = 0; x < mask.width(); ++x) {
            const QRgb m = mask.pixel(x, y) & 0xffffff;
            const QRgb k = mark.pixel(x, y) & 0xffffff;
            // Every mask pixel is pure white (the mark's figure) or pure black.
            ASSERT_TRUE(m == 0xffffff || m == 0) << x << "," << y;
            if (m == 0) {
                EXPECT_EQ(k, 0u) << x << "," << y; // the mark is black outside its figure
            } else {
                EXPECT_NE(k, 0u) << x << "," << y;
                ++figure;
            }
            // The overlay (P OR mask) XOR mask, then OR mark, for a grey picture.
            const QRgb p = 0x808080;
            const QRgb out = (((p | m) ^ m) | k) & 0xffffff;
            EXPECT_EQ(out, m == 0 ? p : k);
            // The same by channels: lighten with the mask, difference with
            // the mask, lighten with the mark (combine codes 768, 512, 768).
            for (int shift : {0, 8, 16}) {
                const int pc = 0x80, mc = (m >> shift) & 0xff, kc = (k >> shift) & 0xff;
                const int lit = std::max(pc, mc);
                const int diff = std::abs(lit - mc);
                EXPECT_EQ(std::max(diff, kc), m == 0 ? pc : kc);
            }
        }
    }
    // The figure is a visible part of the cell, not all of it.
    EXPECT_GT(figure, 160 * 120 / 10);
    EXPECT_LT(figure, 160 * 120 / 2);
}
