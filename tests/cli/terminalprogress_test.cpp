#include "cli/terminalprogress.h"
#include "support/casename.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

// The drawing end of a pipe; Drain() returns what was drawn since last time.
class Screen
{
public:
    Screen()
    {
        if (::pipe(m_fds) == 0)
            ::fcntl(m_fds[0], F_SETFL, O_NONBLOCK);
    }
    ~Screen()
    {
        ::close(m_fds[0]);
        ::close(m_fds[1]);
    }
    int Fd() const { return m_fds[1]; }
    std::string Drain()
    {
        std::string out;
        char buf[4096];
        ssize_t n;
        while ((n = ::read(m_fds[0], buf, sizeof buf)) > 0)
            out.append(buf, static_cast<size_t>(n));
        return out;
    }

private:
    int m_fds[2] = {-1, -1};
};

int count(const std::string& s, const std::string& what)
{
    int n = 0;
    for (size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
        ++n;
    return n;
}

// Keeps SIGINT ignored around a test, so that a handler left behind by
// mistake cannot end the test program, and puts the old action back.
class IgnoredInterrupt
{
public:
    IgnoredInterrupt()
    {
        struct sigaction ignore = {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGINT, &ignore, &m_old);
    }
    ~IgnoredInterrupt() { ::sigaction(SIGINT, &m_old, nullptr); }
    static bool StillIgnored()
    {
        struct sigaction now = {};
        ::sigaction(SIGINT, nullptr, &now);
        return now.sa_handler == SIG_IGN;
    }

private:
    struct sigaction m_old = {};
};

void settle()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
}

} // namespace

TEST(TerminalProgress, LineShowsBarPercentageAndText)
{
    CProgressModel model;
    model.SetRange(0, 4);
    model.SetPos(3);
    model.SetText("Copying \"Trip\" to the card...");
    const std::string line = CTerminalProgress::FormatLine(model, 60);
    // A bar of 20 columns, three quarters filled.
    EXPECT_EQ(line.substr(0, 23), "[###############-----] ");
    EXPECT_NE(line.find(" 75% Copying \"Trip\" to the card..."), std::string::npos) << line;
    EXPECT_LE(line.size(), 60u);
}

TEST(TerminalProgress, LineFitsItsWidthAndKeepsTheEndOfALongText)
{
    CProgressModel model;
    model.SetText("/media/card/a/very/long/folder/name/that/goes/on/and/on/TRIP0001.JPG");
    for (int width : {30, 45, 79}) {
        const std::string line = CTerminalProgress::FormatLine(model, width);
        EXPECT_LE(static_cast<int>(line.size()), width) << width;
        EXPECT_NE(line.find("..."), std::string::npos) << line;
        EXPECT_EQ(line.substr(line.size() - 3), "JPG") << line;
    }
}

TEST(TerminalProgress, LineNeverCarriesControlCharacters)
{
    CProgressModel model;
    model.SetText("evil\033]0;title\007name\rX\nsecond line");
    const std::string line = CTerminalProgress::FormatLine(model, 79);
    for (char c : line)
        EXPECT_GE(static_cast<unsigned char>(c), 0x20) << line;
    EXPECT_EQ(line.find("second line"), std::string::npos);
    EXPECT_NE(line.find("evil?]0;title?name?X"), std::string::npos) << line;
}

struct EllipsisCase
{
    const char* text;
    int columns;
    const char* expected;
};

class TerminalEllipsis : public ::testing::TestWithParam<EllipsisCase>
{
};

TEST_P(TerminalEllipsis, ShortensInTheMiddle)
{
    const EllipsisCase& c = GetParam();
    EXPECT_EQ(CTerminalProgress::Ellipsize(c.text, c.columns), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, TerminalEllipsis,
    ::testing::Values(EllipsisCase{"short", 10, "short"},
                      EllipsisCase{"exactly10!", 10, "exactly10!"},
                      EllipsisCase{"abcdefghij", 7, "a...hij"},
                      EllipsisCase{"abcdefghijklmnop", 10, "ab...lmnop"},
                      EllipsisCase{"abcdef", 3, "..."}, EllipsisCase{"abcdef", 0, ""},
                      // Characters, not bytes: two-byte letters stay whole.
                      EllipsisCase{
                          "\xC3\xA4\xC3\xB6\xC3\xBC\xC3\xA4\xC3\xB6\xC3\xBC\xC3\xA4\xC3\xB6", 7,
                          "\xC3\xA4...\xC3\xBC\xC3\xA4\xC3\xB6"},
                      EllipsisCase{"\xC3\xA4\xC3\xB6\xC3\xBC", 3, "\xC3\xA4\xC3\xB6\xC3\xBC"}),
    [](const auto& info) {
        return CaseNameSpelled(std::string(info.param.text) + " in " +
                               std::to_string(info.param.columns));
    });

TEST(TerminalProgress, QuietOrWithoutTerminalDrawsNothing)
{
    EXPECT_FALSE(CTerminalProgress(true).Draws());
    const char* term = std::getenv("TERM");
    const bool dumb = term && std::string(term) == "dumb";
    EXPECT_EQ(CTerminalProgress(false).Draws(), ::isatty(STDERR_FILENO) == 1 && !dumb);

    IgnoredInterrupt guard;
    Screen screen;
    CTerminalProgress progress(false, screen.Fd(), 0);
    progress.SetRange(0, 4);
    progress.Show(true);
    progress.SetText("Copying");
    progress.StepIt();
    settle();
    progress.StepIt();
    progress.Show(false);
    EXPECT_EQ(screen.Drain(), "");
}

TEST(TerminalProgress, DrawsOnShowAndWipesItsLineOnHide)
{
    IgnoredInterrupt guard;
    Screen screen;
    {
        CTerminalProgress progress(true, screen.Fd(), 0);
        progress.SetRange(0, 4);
        progress.SetStep(1);
        EXPECT_EQ(screen.Drain(), ""); // nothing before it is shown
        progress.Show(true);
        const std::string first = screen.Drain();
        EXPECT_EQ(first.rfind("\r[", 0), 0u) << first;
        EXPECT_NE(first.find("  0%"), std::string::npos) << first;
        for (int i = 0; i < 3; ++i) {
            settle();
            progress.StepIt();
        }
        settle();
        progress.SetText("Converting");
        const std::string later = screen.Drain();
        EXPECT_NE(later.find(" 75%"), std::string::npos) << later;
        EXPECT_NE(later.find(" 75% Converting"), std::string::npos) << later;
        progress.Show(false);
        EXPECT_EQ(screen.Drain(), "\r\033[K");
        // Hidden, it draws no more.
        settle();
        progress.StepIt();
        EXPECT_EQ(screen.Drain(), "");
        progress.Show(true);
        EXPECT_FALSE(screen.Drain().empty());
    }
    // Going away while shown wipes the line too.
    EXPECT_EQ(screen.Drain(), "\r\033[K");
}

TEST(TerminalProgress, RedrawsAtMostAboutTwentyTimesASecond)
{
    IgnoredInterrupt guard;
    Screen screen;
    CTerminalProgress progress(true, screen.Fd(), 0);
    progress.SetRange(0, 1000000);
    progress.SetStep(1);
    progress.Show(true);
    const auto start = std::chrono::steady_clock::now();
    int steps = 0;
    while (std::chrono::steady_clock::now() - start < std::chrono::milliseconds(300)) {
        progress.StepIt();
        ++steps;
    }
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
                             std::chrono::steady_clock::now() - start)
                             .count();
    const int draws = count(screen.Drain(), "\r[");
    // Drawing went on while stepping, far less often than stepping.
    EXPECT_GT(steps, 100);
    EXPECT_GE(draws, 2);
    EXPECT_LE(draws, 2 + elapsed / 50) << draws << " draws in " << elapsed << " ms";
}

TEST(TerminalProgress, MessageWipesTheBarWhichComesBackAtTheNextRedraw)
{
    IgnoredInterrupt guard;
    Screen screen;
    CTerminalProgress progress(true, screen.Fd(), 0);
    progress.Show(true);
    screen.Drain();
    CTerminalProgress::ClearActiveLine();
    EXPECT_EQ(screen.Drain(), "\r\033[K");
    CTerminalProgress::ClearActiveLine(); // once wiped, nothing more to do
    EXPECT_EQ(screen.Drain(), "");
    progress.StepIt(); // the first redraw after a wipe is not held back
    EXPECT_EQ(screen.Drain().rfind("\r[", 0), 0u);
}

TEST(TerminalProgress, CtrlCWhileShownIsOneCancel)
{
    IgnoredInterrupt guard;
    CTerminalProgress progress(true);
    progress.SetRange(0, 10);
    std::raise(SIGINT); // not shown: ignored as before
    EXPECT_FALSE(progress.IsCancelled());
    progress.Show(true);
    EXPECT_FALSE(IgnoredInterrupt::StillIgnored());
    EXPECT_FALSE(progress.IsCancelled());
    std::raise(SIGINT);
    EXPECT_TRUE(progress.IsCancelled());
    EXPECT_FALSE(progress.IsCancelled());
    std::raise(SIGINT);
    progress.StepIt(); // a step sees the press too, the next query reports it
    EXPECT_TRUE(progress.IsCancelled());
    progress.Show(false);
    EXPECT_TRUE(IgnoredInterrupt::StillIgnored());
    std::raise(SIGINT);
    progress.Show(true); // a press while hidden is not carried over
    EXPECT_FALSE(progress.IsCancelled());
}

TEST(TerminalProgressDeathTest, SecondCtrlCBeforeTheQueryEndsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            CTerminalProgress progress(true);
            progress.Show(true);
            std::raise(SIGINT);
            std::raise(SIGINT);
            std::_Exit(0);
        },
        ::testing::KilledBySignal(SIGINT), "");
}
