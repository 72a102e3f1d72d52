// The card a card choice offers before the user picks one, and the least
// room a send takes on it.
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "model/cellinfolist.h"
#include "output/cardoffer.h"
#include "output/scenarioexport.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

using Volume = CVolumeList::Volume;

Volume volume(const std::string& root, CVolumeList::Kind kind)
{
    Volume v;
    v.root = root;
    v.kind = kind;
    return v;
}

} // namespace

TEST(CardOffer, TheLastCardWhileThereThenARemovableOneNeverASystemFolder)
{
    QTemporaryDir tmp;
    const std::string folder = tmp.path().toStdString() + "/card/";
    QDir().mkpath(QString::fromStdString(folder));
    const std::string home = std::getenv("HOME") ? std::string(std::getenv("HOME")) + "/" : "";

    const Volume root = volume("/", CVolumeList::Fixed);
    const Volume data = volume("/srv/data/", CVolumeList::Fixed);
    const Volume sd = volume("/media/u/SD/", CVolumeList::Removable);
    const Volume usb = volume("/media/u/USB/", CVolumeList::Removable);
    const Volume disc = volume("/media/u/DISC/", CVolumeList::Optical);
    const struct
    {
        const char* name;
        std::vector<Volume> volumes;
        std::string lastRoot;
        std::string offered;
    } cases[] = {
        {"no card at all", {root}, "", ""},
        {"the system volume is never a default", {root, data}, "/", ""},
        {"a removable card", {root, sd}, "", sd.root},
        {"the last card when it is a removable one", {root, sd, usb}, usb.root, usb.root},
        {"the folder used last before a removable card", {root, sd}, folder, folder},
        {"a removable card when the folder used last has gone",
         {root, sd},
         folder + "gone/",
         sd.root},
        {"a removable card when the last one was the system", {root, sd}, "/", sd.root},
        {"the folder used last without a removable card", {root}, folder, folder},
        {"the same without its slash", {root}, folder.substr(0, folder.size() - 1), folder},
        {"a fixed volume used last", {root, data}, data.root, data.root},
        {"a folder used last that has gone", {root}, folder + "gone/", ""},
        {"a card taken out: only its mount folder", {root}, "/media/u/OLD/", ""},
        {"optical volumes are never offered", {root, disc}, disc.root, ""},
        {"a folder right below the root", {root}, "/usr/", ""},
        {"the home folder", {root}, home, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CCardOffer::DefaultRoot(c.volumes, c.lastRoot), c.offered) << c.name;
}

TEST(CardOffer, TheLastCardIsKeptAcrossStarts)
{
    QSettings().remove(QStringLiteral("Settings/LastCard"));
    EXPECT_EQ(CCardOffer::StoredLastCard(), "");
    // Any bytes a path can hold, not only UTF-8.
    const std::string card = "/media/u/KARTE \xe4/";
    CCardOffer::StoreLastCard(card);
    CCardOffer::StoreLastCard(""); // nothing chosen keeps the card
    QSettings().sync();
    EXPECT_EQ(CCardOffer::StoredLastCard(), card);
    // As a new start reads the settings file.
    QSettings fresh(QSettings().fileName(), QSettings::NativeFormat);
    EXPECT_EQ(fresh.value(QStringLiteral("Settings/LastCard")).toByteArray().toStdString(), card);
    QSettings().remove(QStringLiteral("Settings/LastCard"));
}

TEST(CardOffer, SystemFolders)
{
    for (const char* f : {"/", "/home", "/home/", "/usr/", "/media/", "//etc//"})
        EXPECT_TRUE(CCardOffer::IsSystemFolder(f)) << f;
    for (const char* f : {"", "/media/u/SD/", "/srv/data/", "/tmp/x/card"})
        EXPECT_FALSE(CCardOffer::IsSystemFolder(f)) << f;
}

TEST(CardOffer, ACardThatHasGone)
{
    QTemporaryDir tmp;
    const std::string folder = tmp.path().toStdString() + "/card/";
    QDir().mkpath(QString::fromStdString(folder));
    EXPECT_FALSE(CCardOffer::Gone(folder, false));
    // A folder chosen as a volume that is no longer a mount point.
    EXPECT_TRUE(CCardOffer::Gone(folder, true));
    EXPECT_FALSE(CCardOffer::Gone("/", true));
    QDir().rmdir(QString::fromStdString(folder));
    EXPECT_TRUE(CCardOffer::Gone(folder, false));
}

TEST(CardOffer, TheLeastRoomASendTakes)
{
    QTemporaryDir tmp;
    const std::string card = tmp.path().toStdString() + "/";
    CCellInfoList cells;
    for (int i = 0; i < 3; ++i)
        cells.Append(std::make_unique<CCellBmpInfo>());
    cells.Append(std::make_unique<CCellCtrlInfo>());
    auto hidden = std::make_unique<CCellBmpInfo>();
    hidden->StateFlags |= CCellInfo::StateDeleted;
    cells.Append(std::move(hidden));

    const uint64_t jpeg = CScenarioExport::LeastGrowth(cells, 2, "Trip", card);
    const uint64_t bmp = CScenarioExport::LeastGrowth(cells, 0, "Trip", card);
    // Three visible pictures with a thumbnail each, and the scenario file.
    EXPECT_GE(jpeg, 7u);
    EXPECT_EQ(jpeg % 7, 0u);
    EXPECT_GE(bmp, 3u * (54 + 1024 * 768 * 3));
    // The scenario it replaces frees its room.
    QDir().mkpath(QString::fromStdString(card + "TRIP"));
    QFile old(QString::fromStdString(card + "TRIP/TRIP0001.BMP"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(4 * 1024 * 1024, 'x'));
    old.close();
    EXPECT_EQ(CScenarioExport::LeastGrowth(cells, 2, "Trip", card), 0u);
    EXPECT_LT(CScenarioExport::LeastGrowth(cells, 0, "Trip", card), bmp);
}
