// The conversion of a presentation off the caller's thread: it completes
// into the cache the blocking forms use, and a cancel leaves neither a
// LibreOffice process nor a cache entry behind.
#include "presentation/presentationconversion.h"
#include "presentation/slideexport.h"
#include "presentation/slidepptobj.h"
#include "presentation/sliderenderer.h"
#include "presentationfixtures.h"
#include "presentationtesting.h"
#include "support/workcopies.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>

namespace {

// Waits, and hangs with a helper, after writing half a PDF where
// LibreOffice writes its output.
const char* const kHalfWriterThatHangs = "for a in \"$@\"; do last=$a; done\n"
                                         "dir=$(dirname \"$last\")\n"
                                         "echo '%PDF-1.4 half' > \"$dir/slides.pdf\"\n"
                                         "sleep 600 &\n"
                                         "echo $! > \"$PIDFILE\"\n"
                                         "wait";

class PresentationConversionTest : public ::testing::Test
{
protected:
    std::string Cache() const { return m_cache.path().toStdString() + "/"; }
    std::string Copy(const std::string& fixture)
    {
        return CopyInto(m_work.path(), CPresentationFixtures::Path(fixture),
                        QString::fromStdString(fixture) + ".ppt");
    }
    QStringList CacheLeftovers() const { return ::CacheLeftovers(m_cache.path()); }
    // The pid the fake LibreOffice wrote, once it runs (0 after 20 s).
    static long WaitForPid(const CFakeSoffice& fake)
    {
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < 20000) {
            std::ifstream file(fake.PidFile());
            long pid = 0;
            if (file >> pid && pid > 0)
                return pid;
            QThread::msleep(20);
        }
        return 0;
    }

    QTemporaryDir m_work;
    QTemporaryDir m_cache;
};

TEST_F(PresentationConversionTest, CancelLeavesNoLibreOfficeAndNoCacheEntry)
{
    const std::string deck = Copy("plain6");
    CFakeSoffice fake(kHalfWriterThatHangs);
    CScopedEnv path("PATH", fake.PathValue());

    std::mutex mutex;
    std::vector<CSlideRenderer::Status> completions;
    CPresentationConversion conversion(deck, Cache(), 60000);
    conversion.Start([&](CSlideRenderer::Status status) {
        std::lock_guard<std::mutex> lock(mutex);
        completions.push_back(status);
    });
    const long pid = WaitForPid(fake);
    ASSERT_GT(pid, 0) << "the fake LibreOffice never ran";
    EXPECT_FALSE(conversion.IsFinished());

    conversion.Cancel();
    // Wait returns at the cancel, not at the helper's 600 s.
    EXPECT_EQ(conversion.Wait(), CSlideRenderer::Cancelled);
    EXPECT_TRUE(conversion.IsFinished());
    EXPECT_TRUE(ProcessGone(pid)) << "helper " << pid << " still runs";
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(conversion.CachedPdf())));
    EXPECT_TRUE(CacheLeftovers().isEmpty()) << CacheLeftovers().join(' ').toStdString();
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(completions, std::vector<CSlideRenderer::Status>{CSlideRenderer::Cancelled});
}

TEST_F(PresentationConversionTest, DestroyingARunningConversionCancelsIt)
{
    const std::string deck = Copy("plain6");
    CFakeSoffice fake(kHalfWriterThatHangs);
    CScopedEnv path("PATH", fake.PathValue());
    long pid = 0;
    {
        CPresentationConversion conversion(deck, Cache(), 60000);
        conversion.Start();
        pid = WaitForPid(fake);
        ASSERT_GT(pid, 0);
    }
    EXPECT_TRUE(ProcessGone(pid));
    EXPECT_TRUE(CacheLeftovers().isEmpty()) << CacheLeftovers().join(' ').toStdString();
}

TEST_F(PresentationConversionTest, ACompletedConversionServesTheBlockingForms)
{
    const std::string deck = Copy("plain6");
    std::atomic<int> calls{0};
    std::atomic<bool> onOtherThread{false};
    const Qt::HANDLE caller = QThread::currentThreadId();
    {
        CPresentationConversion conversion(deck, Cache());
        conversion.Start([&](CSlideRenderer::Status status) {
            EXPECT_EQ(status, CSlideRenderer::Ready);
            onOtherThread = QThread::currentThreadId() != caller;
            ++calls;
        });
        ASSERT_EQ(conversion.Future().get(), CSlideRenderer::Ready);
        EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(conversion.CachedPdf())));
    }
    EXPECT_EQ(calls.load(), 1);
    EXPECT_TRUE(onOtherThread.load());

    // With LibreOffice gone, the blocking forms still draw from the cache.
    CFakeSoffice failing("exit 1");
    CScopedEnv path("PATH", failing.PathValue());
    CSlidePPTObj obj;
    obj.SetWorkFolder(m_work.path().toStdString() + "/");
    obj.SetCacheFolder(Cache());
    ASSERT_TRUE(obj.OpenPresentation(deck, 160, 120, nullptr, false));
    int number = 0;
    const std::string picture = m_work.filePath("slide3.png").toStdString();
    ASSERT_TRUE(obj.ExportSlide(picture, 3, 64, 48, number));
    EXPECT_EQ(SlideShownIn(picture), 3);

    // Converting again finds the entry at once.
    CPresentationConversion again(deck, Cache());
    again.Start();
    EXPECT_EQ(again.Wait(), CSlideRenderer::Ready);
}

} // namespace
