// Every kind of slide source at once through `zelm add`, then a send whose
// card passes the card check: behind the new doors the project and the card
// stay as they were.
#include "document/zurdoc.h"
#include "imaging/phototestfiles.h"
#include "model/cellbmpinfo.h"
#include "presentationfixtures.h"
#include "support/clirunner.h"
#include "testpackages.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(MixedAdd, EveryFormatAddedThenSentPassesTheCardCheck)
{
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString() + "/";
    QDir().mkpath(QString::fromStdString(base + "card"));
    const QImage photo = phototest::Halves(640, 480);
    struct Source
    {
        std::string name;
        CCellBmpInfo::SourceKinds kind;
        int cells;
    };
    std::vector<Source> sources = {
        {"photo.heic", CCellBmpInfo::SourceOther, 1},  {"photo.webp", CCellBmpInfo::SourceOther, 1},
        {"moving.webp", CCellBmpInfo::SourceOther, 1}, {"photo.tif", CCellBmpInfo::SourceOther, 1},
        {"handout.pdf", CCellBmpInfo::SourcePpt, 3},
    };
    ASSERT_TRUE(phototest::Save(base + "photo.heic", phototest::Heic(photo, 6)));
    ASSERT_TRUE(phototest::Save(base + "photo.webp", phototest::WebP(photo, 3)));
    ASSERT_TRUE(
        phototest::Save(base + "moving.webp", phototest::AnimatedWebP({photo, photo.mirrored()})));
    ASSERT_TRUE(phototest::Tiff(base + "photo.tif", {photo, photo}, 8));
    ASSERT_TRUE(
        testpackages::WriteColouredPdf(base + "handout.pdf", {Qt::red, Qt::green, Qt::blue}));
    for (const char* format : {"ppt", "pptx", "ppsx", "odp"}) {
        const std::string from = std::string(format) == "ppt"
                                     ? CPresentationFixtures::Path("hidden4")
                                     : CPresentationFixtures::PathAs("hidden4", format);
        ASSERT_FALSE(from.empty()) << format;
        const std::string name = std::string("deck.") + format;
        ASSERT_TRUE(QFile::copy(QString::fromStdString(from), QString::fromStdString(base + name)));
        sources.push_back({name, CCellBmpInfo::SourcePpt, 4});
    }

    // The help names every accepted kind.
    const CCliResult help = RunZelm({"help", "add"});
    for (const char* kind : {".heic", ".heif", ".webp", ".tif", ".pptx", ".ppsx", ".odp", ".pdf"})
        EXPECT_NE(help.out.find(kind), std::string::npos) << kind;

    const CCliResult made = RunZelm({"new", "MIX", "--in", base});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const std::string project = base + "MIX/MIX.sic";
    std::vector<std::string> add = {"add", project};
    for (const Source& s : sources)
        add.push_back(base + s.name);
    const CCliResult added = RunZelm(add, {}, {}, 600000);
    ASSERT_EQ(added.exitCode, 0) << added.err;

    CZurDoc doc;
    ASSERT_TRUE(doc.Open(project));
    size_t row = 0;
    for (const Source& s : sources) {
        for (int k = 0; k < s.cells; ++k, ++row) {
            ASSERT_LT(row, size_t(doc.Cells.GetCount()));
            const auto* cell = static_cast<const CCellBmpInfo*>(doc.Cells.GetAt(int(row)));
            EXPECT_EQ(cell->RefFilePath, base + s.name) << row;
            EXPECT_EQ(cell->SourceKind, s.kind) << s.name;
        }
    }
    EXPECT_EQ(row, size_t(doc.Cells.GetCount()));

    const CCliResult sent = RunZelm({"send", project, base + "card/", "--yes"}, {}, {}, 600000);
    ASSERT_EQ(sent.exitCode, 0) << sent.err;
    const CCliResult check = RunZelm({"card-check", base + "card/", "--json"});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    EXPECT_TRUE(QJsonDocument::fromJson(QByteArray::fromStdString(check.out))
                    .object()[QStringLiteral("ok")]
                    .toBool());
    // The card holds only card pictures: JPEG and their companions.
    for (const QString& file :
         QDir(QString::fromStdString(base + "card/MIX")).entryList(QDir::Files))
        EXPECT_TRUE(file.endsWith(QLatin1String(".JPG")) || file.endsWith(QLatin1String(".JPS")) ||
                    file.endsWith(QLatin1String(".BMP")))
            << file.toStdString();
}
