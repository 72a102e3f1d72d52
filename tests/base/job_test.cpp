#include "base/job.h"
#include "base/threadprompt.h"
#include "support/scriptedprompt.h"

#include <QObject>
#include <QTest>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>

namespace {

TEST(Job, WorksOnAWorkerAndEndsOnTheStartingThread)
{
    QObject window;
    QThread* workThread = nullptr;
    QThread* doneThread = nullptr;
    bool workEndedFirst = false;
    std::atomic<bool> workEnded{false};
    const int before = CJob::Running();
    CJob::Start(
        &window,
        [&] {
            workThread = QThread::currentThread();
            workEnded = true;
        },
        [&] {
            doneThread = QThread::currentThread();
            workEndedFirst = workEnded.load();
        });
    EXPECT_EQ(CJob::Running(), before + 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return doneThread != nullptr; }));
    EXPECT_NE(workThread, QThread::currentThread());
    EXPECT_EQ(doneThread, QThread::currentThread());
    EXPECT_TRUE(workEndedFirst);
    EXPECT_EQ(CJob::Running(), before);
}

TEST(Job, ADoneWhoseWindowWentIsNotCalled)
{
    auto* window = new QObject;
    std::atomic<bool> release{false};
    bool called = false;
    CJob::Start(
        window,
        [&] {
            while (!release)
                QThread::msleep(1);
        },
        [&] { called = true; });
    delete window;
    release = true;
    ASSERT_TRUE(CJob::WaitForWork(5000));
    QTest::qWait(20);
    EXPECT_FALSE(called);
}

// A question from the worker is put on the window's thread, and the worker
// goes on with that answer; asked on the window's thread (as the command
// line asks), it is answered in place. Without anyone to ask, a closed box's
// answer.
TEST(ThreadPrompt, AsksOnTheWindowsThreadWhileTheWorkerWaits)
{
    QObject window;
    CScriptedPrompt target;
    QThread* askedOn = nullptr;
    target.onShow = [&](int) { askedOn = QThread::currentThread(); };
    target.answers = {CUserPrompt::AnswerNo, CUserPrompt::AnswerRetry};
    CThreadPrompt prompt(&target, &window);
    CUserPrompt::Answer fromWorker = CUserPrompt::AnswerOk;
    bool done = false;
    CJob::Start(
        &window,
        [&] {
            fromWorker = prompt.Show(7001, "Replace?", CUserPrompt::Question, CUserPrompt::YesNo);
        },
        [&] { done = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return done; }));
    EXPECT_EQ(fromWorker, CUserPrompt::AnswerNo);
    EXPECT_EQ(askedOn, QThread::currentThread());

    askedOn = nullptr;
    EXPECT_EQ(prompt.Show(7002, "Again?", CUserPrompt::Error, CUserPrompt::RetryCancel),
              CUserPrompt::AnswerRetry);
    EXPECT_EQ(askedOn, QThread::currentThread());
    ASSERT_EQ(target.Ids(), (std::vector<int>{7001, 7002}));
    EXPECT_EQ(target.shown[0].text, "Replace?");

    CThreadPrompt nobody(nullptr, &window);
    EXPECT_EQ(nobody.Show(7003, "Full", CUserPrompt::Question, CUserPrompt::OkCancel),
              CUserPrompt::AnswerCancel);
    EXPECT_EQ(nobody.Show(7004, "Done", CUserPrompt::Information, CUserPrompt::Ok),
              CUserPrompt::AnswerOk);
}

} // namespace
