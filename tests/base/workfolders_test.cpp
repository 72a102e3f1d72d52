// The real file behind a path of links, and the work folders a program
// leaves in its home when it ends.
#include "base/appfolders.h"
#include "base/realfilepath.h"
#include "base/workrootuse.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace {} // namespace

TEST(RealFilePath, FollowsLinksOfTheFileAndOfItsFolders)
{
    QTemporaryDir tmp;
    // The temporary folder itself may lie behind a link.
    const std::string root = QFileInfo(tmp.path()).canonicalFilePath().toStdString() + "/";
    QDir().mkpath(QString::fromStdString(root + "proj/P1"));
    TouchFile(root + "proj/P1/P1.sic");
    QDir().mkpath(QString::fromStdString(root + "alias"));
    ASSERT_TRUE(QFile::link(QString::fromStdString(root + "proj/P1/P1.sic"),
                            QString::fromStdString(root + "alias/X.sic")));
    ASSERT_TRUE(QFile::link(QString::fromStdString(root + "proj"),
                            QString::fromStdString(root + "linked")));
    ASSERT_TRUE(QFile::link(QStringLiteral("loop2"), QString::fromStdString(root + "loop1")));
    ASSERT_TRUE(QFile::link(QStringLiteral("loop1"), QString::fromStdString(root + "loop2")));

    const std::string real = root + "proj/P1/P1.sic";
    const struct
    {
        std::string given, expected;
    } cases[] = {
        {real, real},
        {root + "alias/X.sic", real},
        {root + "linked/P1/P1.sic", real},
        {root + "linked/P1/../P1/P1.sic", real},
        // Not there yet: the existing part is resolved, the rest kept.
        {root + "linked/P1/New.sic", root + "proj/P1/New.sic"},
        // A loop is not resolved, and the path comes back as given.
        {root + "loop1", root + "loop1"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RealFilePath(c.given), c.expected) << c.given;
}

TEST(WorkRootUse, TheLastProgramToEndLeavesNoWorkFoldersInTheHome)
{
    // Tests run with ZELM_HOME set: the work root is the home.
    const std::string home = CAppFolders::HomeFolder();
    ASSERT_EQ(home, CAppFolders::WorkRoot());
    const char* work[] = {"Temp", "Temp1", "Temp2", "Temp3", "Temp3-2"};
    const char* users[] = {"Temporary", "Temp3-x", "Trip"};
    auto make = [&] {
        for (const char* name : work) {
            QDir().mkpath(QString::fromStdString(home + name + "/inner"));
            TouchFile(home + name + "/inner/file");
        }
        TouchFile(home + "Temp3.lock");
        for (const char* name : users)
            QDir().mkpath(QString::fromStdString(home + name));
        TouchFile(home + "Trip/Temp");
    };

    CWorkRootUse first;
    make();
    {
        // Another program still runs: its folders stay.
        CWorkRootUse second;
        EXPECT_FALSE(second.Finish());
        for (const char* name : work)
            EXPECT_TRUE(PathExists(home + name)) << name;
    }
    EXPECT_TRUE(first.Finish());
    for (const char* name : work)
        EXPECT_FALSE(PathExists(home + name)) << name;
    EXPECT_FALSE(PathExists(home + "Temp3.lock"));
    // The user's own folders and files stay, whatever their names.
    for (const char* name : users)
        EXPECT_TRUE(PathExists(home + name)) << name;
    EXPECT_TRUE(PathExists(home + "Trip/Temp"));
    // Finishing twice does nothing more.
    EXPECT_FALSE(first.Finish());
}

TEST(WorkRootUse, ALinkedWorkFolderIsNotFollowed)
{
    QTemporaryDir elsewhere;
    const std::string home = CAppFolders::HomeFolder();
    const std::string kept = elsewhere.path().toStdString() + "/kept";
    TouchFile(kept);
    ASSERT_TRUE(QFile::link(elsewhere.path(), QString::fromStdString(home + "Temp2")));
    CWorkRootUse use;
    use.Finish();
    EXPECT_TRUE(PathExists(kept));
    QFile::remove(QString::fromStdString(home + "Temp2"));
}

TEST(WorkRootUse, NamesOfWorkFolders)
{
    for (const char* name : {"Temp", "Temp1", "Temp2", "Temp3", "Temp3-2", "Temp3-100"})
        EXPECT_TRUE(CWorkRootUse::IsWorkFolderName(name)) << name;
    for (const char* name : {"temp", "Temp4", "Temp3-", "Temp3-a", "Temp11", "Temps", ""})
        EXPECT_FALSE(CWorkRootUse::IsWorkFolderName(name)) << name;
}
