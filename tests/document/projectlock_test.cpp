#include "document/projectlock.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>

TEST(ProjectLock, LivesBesideTheProjectFileAsAHiddenFile)
{
    EXPECT_EQ(CProjectLock::LockPathOf("/a/b/SHOW.sic"), "/a/b/.SHOW.sic.lock");
    EXPECT_EQ(CProjectLock::LockPathOf("SHOW.sic"), ".SHOW.sic.lock");
}

TEST(ProjectLock, ASecondTakerIsRefusedWithAMessageNamingTheProject)
{
    QTemporaryDir tmp;
    const std::string project = tmp.path().toStdString() + "/SHOW.sic";
    CProjectLock first, second;
    ASSERT_TRUE(first.Acquire(project, 0));
    EXPECT_TRUE(CProjectLock::IsLocked(project));
    EXPECT_EQ(first.ProjectFile(), project);
    EXPECT_FALSE(second.Acquire(project, 100));
    EXPECT_EQ(second.LastFailure(), CFileLock::Failure::Busy);
    const std::string message = second.FailureMessage();
    EXPECT_NE(message.find(project), std::string::npos) << message;
    EXPECT_NE(message.find("process"), std::string::npos) << message;
    first.Release();
    EXPECT_FALSE(CProjectLock::IsLocked(project));
    EXPECT_TRUE(second.Acquire(project, 0));
    EXPECT_TRUE(second.FailureMessage().empty());
}

TEST(ProjectLock, MovesToANewProjectOnlyOnceItHoldsIt)
{
    QTemporaryDir tmp;
    const std::string oldProject = tmp.path().toStdString() + "/OLD.sic";
    const std::string newProject = tmp.path().toStdString() + "/NEW.sic";
    CProjectLock lock, other;
    ASSERT_TRUE(lock.Acquire(oldProject, 0));
    ASSERT_TRUE(other.Acquire(newProject, 0));
    // The new project is taken: the old one stays locked.
    EXPECT_FALSE(lock.Acquire(newProject, 0));
    EXPECT_EQ(lock.ProjectFile(), oldProject);
    EXPECT_TRUE(CProjectLock::IsLocked(oldProject));
    other.Release();
    EXPECT_TRUE(lock.Acquire(newProject, 0));
    EXPECT_EQ(lock.ProjectFile(), newProject);
    EXPECT_FALSE(CProjectLock::IsLocked(oldProject));
}
