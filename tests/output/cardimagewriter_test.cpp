#include "exportfixture.h"
#include "model/cardimagewriter.h"

#include <map>

// The parallel writer gives what the sequential one gives: the files, the
// progress steps and the result, also when it stops half-way.
class CardImageWriter : public ExportFixture
{
protected:
    void SetUp() override
    {
        ExportFixture::SetUp();
        for (int i = 0; i < 8; ++i)
            AddSlide(300 + 90 * i, 200 + 70 * i, 160, i % 3 ? 120 : 100, QColor(30 * i, 60, 90));
        cells.AssignCardNames("Trip", ".jpg");
        ASSERT_TRUE(m_staging.isValid());
        staging = m_staging.path().toStdString() + "/";
    }

    struct Run
    {
        bool result;
        int steps;
        std::map<std::string, QByteArray> files;
    };

    Run Write(int threads, int cancelAtStep, const std::string& blocked = {}, bool durable = true)
    {
        QDir(QString::fromStdString(staging)).removeRecursively();
        QDir().mkpath(QString::fromStdString(staging));
        // A folder where an output should go makes writing it fail.
        if (!blocked.empty())
            QDir().mkpath(QString::fromStdString(staging + blocked + "/x"));
        CScriptedProgress p;
        p.cancelAtStep = cancelAtStep;
        CCardImageWriter writer(project.hosts, threads);
        writer.SetDurable(durable);
        Run run;
        run.result = writer.WriteCardImages(cells, staging, &p);
        run.steps = p.steps;
        for (const std::string& name : Files(staging))
            run.files[name] = ReadBytes(staging + name);
        return run;
    }

    QTemporaryDir m_staging;
    std::string staging;
};

TEST_F(CardImageWriter, ParallelMatchesSequential)
{
    struct Case
    {
        const char* name;
        int cancelAtStep;
        bool result;
        int steps;
        size_t files;
    };
    const Case cases[] = {
        {"all", -1, true, 8, 16},
        {"cancel before the first", 0, false, 0, 0},
        {"cancel after three", 3, false, 3, 6},
        {"cancel before the last", 7, false, 7, 14},
    };
    for (const Case& c : cases) {
        const Run sequential = Write(1, c.cancelAtStep);
        EXPECT_EQ(sequential.result, c.result) << c.name;
        EXPECT_EQ(sequential.steps, c.steps) << c.name;
        EXPECT_EQ(sequential.files.size(), c.files) << c.name;
        for (int threads : {2, 5}) {
            const Run parallel = Write(threads, c.cancelAtStep);
            EXPECT_EQ(parallel.result, sequential.result) << c.name << threads;
            EXPECT_EQ(parallel.steps, sequential.steps) << c.name << threads;
            EXPECT_TRUE(parallel.files == sequential.files) << c.name << threads;
        }
    }
}

TEST_F(CardImageWriter, AFailedThumbnailCopyStopsAndAFailedConversionGoesOn)
{
    // The fourth slide's display image cannot be converted; the sixth
    // slide's stored 160 x 120 thumbnail cannot be copied.
    ASSERT_TRUE(WriteBytes(projectFolder + "slide4.png", "broken"));
    const Run sequential = Write(1, -1, "TRIP0006.JPS");
    EXPECT_FALSE(sequential.result);
    EXPECT_EQ(sequential.steps, 5);
    EXPECT_EQ(sequential.files.count("TRIP0004.JPG"), 0u);
    EXPECT_EQ(sequential.files.count("TRIP0004.JPS"), 1u);
    EXPECT_EQ(sequential.files.count("TRIP0005.JPG"), 1u);
    EXPECT_EQ(sequential.files.count("TRIP0006.JPG"), 1u);
    EXPECT_EQ(sequential.files.count("TRIP0007.JPG"), 0u);
    for (int threads : {2, 4}) {
        const Run parallel = Write(threads, -1, "TRIP0006.JPS");
        EXPECT_FALSE(parallel.result);
        EXPECT_EQ(parallel.steps, sequential.steps);
        EXPECT_TRUE(parallel.files == sequential.files);
    }
}

TEST_F(CardImageWriter, AStagingFolderGetsTheSameFilesAndLeavesTheProjectAlone)
{
    const Run durable = Write(2, -1);
    const Run staged = Write(2, -1, {}, false);
    EXPECT_TRUE(staged.result);
    EXPECT_TRUE(staged.files == durable.files);
    // The staged thumbnails go with the staging folder; the project's stay.
    const std::vector<std::string> before = Files(projectFolder);
    QDir(QString::fromStdString(staging)).removeRecursively();
    EXPECT_EQ(Files(projectFolder), before);
    EXPECT_EQ(ReadBytes(projectFolder + "slide2.jpg"), durable.files.at("TRIP0002.JPS"));
    // A thumbnail already staged under the name is replaced all the same.
    QDir().mkpath(QString::fromStdString(staging));
    ASSERT_TRUE(WriteBytes(staging + "TRIP0002.JPS", "old"));
    CScriptedProgress p;
    CCardImageWriter writer(project.hosts, 2);
    writer.SetDurable(false);
    EXPECT_TRUE(writer.WriteCardImages(cells, staging, &p));
    EXPECT_EQ(ReadBytes(staging + "TRIP0002.JPS"), durable.files.at("TRIP0002.JPS"));
}
