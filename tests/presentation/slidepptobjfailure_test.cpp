// The presentation object on bad input and a LibreOffice that is missing,
// hangs, crashes or writes nonsense: each ends in its failure state, leaves
// no files behind and never waits longer than its time limit.
#include "base/msgid.h"
#include "pptbuilder.h"
#include "presentation/slidepptobj.h"
#include "presentation/sliderenderer.h"
#include "presentationfixtures.h"
#include "presentationtesting.h"
#include "support/scriptedprompt.h"
#include "support/workcopies.h"
#include "testcompound.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>

namespace {

class SlidePPTObjFailure : public ::testing::Test
{
public:
    void SetUp() override
    {
        m_obj.SetWorkFolder(m_work.path().toStdString() + "/");
        m_obj.SetCacheFolder(m_cache.path().toStdString() + "/");
        m_obj.SetConversionTimeout(2000);
    }
    std::string Write(const std::string& name, const QByteArray& bytes)
    {
        const QString path = m_work.filePath(QString::fromStdString(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path.toStdString();
    }
    std::string Copy(const std::string& fixture)
    {
        return CopyInto(m_work.path(), CPresentationFixtures::Path(fixture),
                        QString::fromStdString(fixture) + ".ppt");
    }
    QStringList CacheLeftovers() const { return ::CacheLeftovers(m_cache.path()); }

    QTemporaryDir m_work;
    QTemporaryDir m_cache;
    CScriptedPrompt m_prompt;
    CSlidePPTObj m_obj{&m_prompt};
};

struct BadFile
{
    const char* what;
    std::function<std::string(SlidePPTObjFailure&)> make;
};

TEST_F(SlidePPTObjFailure, FilesThatAreNoReadablePresentationFailToOpen)
{
    const BadFile cases[] = {
        {"text named .ppt",
         [](SlidePPTObjFailure& t) { return t.Write("text.ppt", "hello, world\n"); }},
        {"empty file", [](SlidePPTObjFailure& t) { return t.Write("empty.ppt", {}); }},
        {"older generation",
         [](SlidePPTObjFailure& t) {
             const std::string p = t.m_work.filePath("old.ppt").toStdString();
             EXPECT_TRUE(WriteCompoundFile(p, {{"PP40", QByteArray(100, 'p')}}));
             return p;
         }},
        {"encrypted",
         [](SlidePPTObjFailure& t) {
             CPptBuilder b;
             b.headerToken = 0xF3D1C4DFu;
             const std::string p = t.m_work.filePath("enc.ppt").toStdString();
             EXPECT_TRUE(b.Write(p));
             return p;
         }},
        {"truncated compound file",
         [](SlidePPTObjFailure& t) {
             QFile f(QString::fromStdString(t.Copy("plain6")));
             EXPECT_TRUE(f.open(QIODevice::ReadOnly));
             return t.Write("cut.ppt", f.readAll().left(6000));
         }},
        {"record length past the stream",
         [](SlidePPTObjFailure& t) {
             CPptBuilder b(3);
             CompoundStreams s = b.Streams();
             PutU32(*FindStream(s, "PowerPoint Document"), 4, 0x7FFFFFFF);
             const std::string p = t.m_work.filePath("long.ppt").toStdString();
             EXPECT_TRUE(WriteCompoundFile(p, s));
             return p;
         }},
    };
    for (const BadFile& c : cases) {
        const std::string path = c.make(*this);
        EXPECT_FALSE(m_obj.OpenPresentation(path, 160, 120, nullptr, false)) << c.what;
        EXPECT_EQ(m_obj.State(), CSlidePPTObj::FailOpen) << c.what;
        EXPECT_FALSE(m_obj.IsOpen()) << c.what;
        EXPECT_EQ(m_obj.PresentationPath(), "") << c.what;
    }
    // A failed open does not block the next one.
    EXPECT_TRUE(m_obj.OpenPresentation(Copy("plain6"), 160, 120, nullptr, false));
    EXPECT_TRUE(CacheLeftovers().isEmpty());
}

TEST_F(SlidePPTObjFailure, PathsThatAreNoPresentationFileAreRefusedQuietly)
{
    const std::string other = Write("slides.pps", "x");
    for (const std::string& path :
         {std::string(), other, m_work.filePath("missing.ppt").toStdString(),
          m_work.path().toStdString() + "/folder.ppt"}) {
        if (path.find("folder.ppt") != std::string::npos)
            QDir().mkpath(QString::fromStdString(path));
        EXPECT_FALSE(m_obj.OpenPresentation(path, 160, 120, nullptr, false)) << path;
        EXPECT_EQ(m_obj.State(), CSlidePPTObj::StateIdle) << path;
    }
    EXPECT_TRUE(m_prompt.shown.empty());
    // The extension is compared ignoring case.
    const std::string upper = m_work.filePath("UPPER.PPT").toStdString();
    ASSERT_TRUE(CPptBuilder(2).Write(upper));
    EXPECT_TRUE(m_obj.OpenPresentation(upper, 160, 120, nullptr, false));
}

TEST_F(SlidePPTObjFailure, WorkFolderThatCannotBeMadeIsTold)
{
    const std::string blocker = Write("blocker", "a file where a folder should be");
    CScopedEnv home("ZELM_HOME", blocker + "/home");
    CSlidePPTObj fresh(&m_prompt);
    EXPECT_FALSE(fresh.OpenPresentation(Copy("plain6"), 160, 120, nullptr, false));
    ASSERT_EQ(m_prompt.Ids(), std::vector<int>{MsgId::FolderNotCreated});
    EXPECT_NE(m_prompt.shown[0].text.find(blocker + "/home/Temp/"), std::string::npos);
}

TEST_F(SlidePPTObjFailure, WithoutLibreOfficeTheProgramIsNotAvailable)
{
    const QTemporaryDir emptyBin;
    CScopedEnv path("PATH", emptyBin.path().toStdString());
    EXPECT_FALSE(m_obj.OpenPresentation(Copy("plain6"), 160, 120, nullptr, false));
    EXPECT_EQ(m_obj.State(), CSlidePPTObj::FailNoProgram);
    EXPECT_FALSE(m_obj.IsOpen());
}

struct FakeCase
{
    const char* what;
    const char* script;
};

TEST_F(SlidePPTObjFailure, LibreOfficeThatHangsCrashesOrFailsEndsTheRun)
{
    const FakeCase cases[] = {
        {"hangs", "sleep 600 &\necho $! > \"$PIDFILE\"\nwait"},
        {"crashes", "kill -SEGV $$"},
        {"fails", "echo 'Error: source file could not be loaded' >&2\nexit 1"},
        {"writes no PDF", "exit 0"},
        {"writes nonsense", "for a in \"$@\"; do last=$a; prev=$out; out=$a; done\n"
                            "dir=$(dirname \"$last\")\n"
                            "echo 'not a pdf' > \"$dir/slides.pdf\""},
    };
    // A run that hung for the helper's 600 s would meet the test's time
    // limit; the run's own time belongs to the benchmarks.
    const std::string deck = Copy("plain6");
    for (const FakeCase& c : cases) {
        CFakeSoffice fake(c.script);
        CScopedEnv path("PATH", fake.PathValue());
        CSlidePPTObj obj;
        obj.SetWorkFolder(m_work.path().toStdString() + "/");
        obj.SetCacheFolder(m_cache.path().toStdString() + "/");
        obj.SetConversionTimeout(2000);
        ASSERT_TRUE(obj.OpenPresentation(deck, 160, 120, nullptr, false)) << c.what;
        EXPECT_FALSE(obj.MakeThumbnails(1)) << c.what;
        EXPECT_EQ(obj.State(), CSlidePPTObj::FailExport) << c.what;
        EXPECT_EQ(obj.DoneCount(), 0) << c.what;
        int number = -1;
        EXPECT_FALSE(
            obj.ExportSlide(m_work.filePath("one.png").toStdString(), 1, 1024, 768, number));
        EXPECT_FALSE(QFileInfo::exists(m_work.filePath("one.png"))) << c.what;
        EXPECT_TRUE(CacheLeftovers().isEmpty())
            << c.what << ": " << CacheLeftovers().join(' ').toStdString();
        std::ifstream pidFile(fake.PidFile());
        long pid = 0;
        if (pidFile >> pid) {
            EXPECT_TRUE(ProcessGone(pid)) << c.what << ": helper " << pid << " still runs";
        }
    }
}

TEST_F(SlidePPTObjFailure, ConvertedPresentationIsTakenFromTheCache)
{
    const std::string deck = Copy("plain6");
    {
        CSlidePPTObj first;
        first.SetWorkFolder(m_work.path().toStdString() + "/");
        first.SetCacheFolder(m_cache.path().toStdString() + "/");
        ASSERT_TRUE(first.OpenPresentation(deck, 160, 120, nullptr, false));
        int number = 0;
        ASSERT_TRUE(first.ExportSlide(m_work.filePath("a.png").toStdString(), 2, 64, 48, number));
    }
    const std::string pdf = CSlideRenderer::CachedPdfPath(m_cache.path().toStdString() + "/", deck);
    EXPECT_TRUE(QFileInfo::exists(QString::fromStdString(pdf)));

    // A LibreOffice that would fail is not asked again for the same file...
    CFakeSoffice failing("exit 1");
    CScopedEnv path("PATH", failing.PathValue());
    ASSERT_TRUE(m_obj.OpenPresentation(deck, 160, 120, nullptr, false));
    int number = 0;
    EXPECT_TRUE(m_obj.ExportSlide(m_work.filePath("b.png").toStdString(), 4, 64, 48, number));
    EXPECT_EQ(SlideShownIn(m_work.filePath("b.png").toStdString()), 4);
    EXPECT_TRUE(m_obj.ClosePresentation());

    // ...but a changed file is converted again.
    QFile::remove(QString::fromStdString(deck));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(CPresentationFixtures::Path("custom6")),
                            QString::fromStdString(deck)));
    ASSERT_TRUE(m_obj.OpenPresentation(deck, 160, 120, nullptr, false));
    EXPECT_FALSE(m_obj.ExportSlide(m_work.filePath("c.png").toStdString(), 1, 64, 48, number));
}

TEST_F(SlidePPTObjFailure, PdfWithTheWrongPageCountIsNotUsed)
{
    // A deck whose converted pages do not match its slides: the PDF of
    // another deck stands in the cache under this deck's key.
    const std::string deck = Copy("plain6");
    const std::string other = Copy("hidden4");
    {
        CSlidePPTObj warm;
        warm.SetWorkFolder(m_work.path().toStdString() + "/");
        warm.SetCacheFolder(m_cache.path().toStdString() + "/");
        ASSERT_TRUE(warm.OpenPresentation(other, 160, 120, nullptr, false));
        int number = 0;
        ASSERT_TRUE(warm.ExportSlide(m_work.filePath("w.png").toStdString(), 1, 32, 24, number));
    }
    const std::string cache = m_cache.path().toStdString() + "/";
    ASSERT_TRUE(QFile::rename(QString::fromStdString(CSlideRenderer::CachedPdfPath(cache, other)),
                              QString::fromStdString(CSlideRenderer::CachedPdfPath(cache, deck))));
    CFakeSoffice failing("exit 1");
    CScopedEnv path("PATH", failing.PathValue());
    ASSERT_TRUE(m_obj.OpenPresentation(deck, 160, 120, nullptr, false));
    int number = 0;
    EXPECT_FALSE(m_obj.ExportSlide(m_work.filePath("x.png").toStdString(), 1, 64, 48, number));
    EXPECT_FALSE(
        QFileInfo::exists(QString::fromStdString(CSlideRenderer::CachedPdfPath(cache, deck))));
}

} // namespace
