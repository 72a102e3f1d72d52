#include "base/filelock.h"
#include "support/casename.h"

#include <QTemporaryDir>
#include <chrono>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class FileLock : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.isValid());
        path = m_tmp.path().toStdString() + "/.lock";
    }

    static bool exists(const std::string& p)
    {
        struct stat st
        {
        };
        return stat(p.c_str(), &st) == 0;
    }

    // A child process that takes the lock, tells the parent, holds it for
    // `holdMs` and then ends without releasing it (as a killed program would).
    pid_t holdInChild(int holdMs)
    {
        int ready[2];
        if (pipe(ready) != 0)
            return -1;
        const pid_t pid = fork();
        if (pid == 0) {
            close(ready[0]);
            CFileLock lock(path);
            const char ok = lock.Acquire(0) ? '1' : '0';
            (void)!write(ready[1], &ok, 1);
            usleep(static_cast<useconds_t>(holdMs) * 1000);
            _exit(0);
        }
        close(ready[1]);
        char ok = '0';
        const bool told = read(ready[0], &ok, 1) == 1;
        close(ready[0]);
        return told && ok == '1' ? pid : -1;
    }

    static void reap(pid_t pid)
    {
        int status = 0;
        waitpid(pid, &status, 0);
    }

    std::string path;

private:
    QTemporaryDir m_tmp;
};

} // namespace

TEST_F(FileLock, TwoLockObjectsOnOneFileExcludeEachOther)
{
    CFileLock first(path), second(path);
    ASSERT_TRUE(first.Acquire());
    EXPECT_TRUE(first.IsHeld());
    EXPECT_TRUE(CFileLock::IsLockedByAnother(path));
    EXPECT_FALSE(second.Acquire(100));
    EXPECT_EQ(second.LastFailure(), CFileLock::Failure::Busy);
    EXPECT_NE(second.Holder().find("process " + std::to_string(getpid())), std::string::npos)
        << second.Holder();
    first.Release();
    EXPECT_FALSE(exists(path));
    EXPECT_FALSE(CFileLock::IsLockedByAnother(path));
    EXPECT_TRUE(second.Acquire());
    EXPECT_EQ(second.LastFailure(), CFileLock::Failure::None);
}

TEST_F(FileLock, ReleasesOnDestruction)
{
    {
        CFileLock lock(path);
        ASSERT_TRUE(lock.Acquire());
    }
    CFileLock again(path);
    EXPECT_TRUE(again.Acquire());
}

TEST_F(FileLock, AKilledHolderLeavesNoLockBehind)
{
    const pid_t child = holdInChild(0);
    ASSERT_GT(child, 0);
    reap(child);
    // The file stays, the lock does not.
    EXPECT_TRUE(exists(path));
    EXPECT_FALSE(CFileLock::IsLockedByAnother(path));
    CFileLock lock(path);
    EXPECT_TRUE(lock.Acquire());
}

TEST_F(FileLock, WaitsForAHolderThatFinishesWithinTheWait)
{
    const pid_t child = holdInChild(400);
    ASSERT_GT(child, 0);
    CFileLock lock(path);
    EXPECT_FALSE(lock.Acquire(0));
    EXPECT_EQ(lock.LastFailure(), CFileLock::Failure::Busy);
    EXPECT_NE(lock.Holder().find("process " + std::to_string(child)), std::string::npos)
        << lock.Holder();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(lock.Acquire(5000));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    reap(child);
}

TEST_F(FileLock, GivesUpAfterTheWait)
{
    const pid_t child = holdInChild(3000);
    ASSERT_GT(child, 0);
    CFileLock lock(path);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(lock.Acquire(300));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(300));
    EXPECT_LT(waited, std::chrono::milliseconds(2500));
    EXPECT_EQ(lock.LastFailure(), CFileLock::Failure::Busy);
    kill(child, SIGKILL);
    reap(child);
    EXPECT_TRUE(lock.Acquire(1000));
}

TEST_F(FileLock, AFolderThatCannotHoldTheFileIsAnError)
{
    CFileLock lock(path + "/missing/.lock");
    EXPECT_FALSE(lock.Acquire(1000));
    EXPECT_EQ(lock.LastFailure(), CFileLock::Failure::Error);
    EXPECT_FALSE(lock.ErrorText().empty());
}

struct HolderCase
{
    const char* note;
    const char* holder;
};

class FileLockHolder : public ::testing::TestWithParam<HolderCase>
{
};

TEST_P(FileLockHolder, NamesTheHolderOfAWellFormedNoteOnly)
{
    EXPECT_EQ(CFileLock::DescribeHolder(GetParam().note, "here"), GetParam().holder);
}

INSTANTIATE_TEST_SUITE_P(
    Notes, FileLockHolder,
    ::testing::Values(HolderCase{"42 here zelm\n", "zelm, process 42"},
                      HolderCase{"42 there zelm-tessara\n", "zelm-tessara, process 42 on there"},
                      HolderCase{"42  zelm", "zelm, process 42"},
                      HolderCase{"42 here \n", "program, process 42"}, HolderCase{"", ""},
                      HolderCase{"42 here", ""}, HolderCase{"x42 here zelm", ""},
                      HolderCase{"42 here ze\tlm", ""}, HolderCase{"12345678901 here zelm", ""}),
    [](const auto& info) { return CaseNameSpelled(info.param.note); });
