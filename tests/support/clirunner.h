#pragma once

// Runs the command-line program of this build for tests of tests/cli:
//
//     const CCliResult r = RunZelm({"drives", "--json"});
//     EXPECT_EQ(r.exitCode, 0) << r.err;
//
// The program gets the test program's environment (HOME, ZELM_HOME and XDG_*
// already point at a temporary folder), standard input closed after `input`
// (so it is never a terminal and questions are answered No unless --yes), and
// `workDir` as working folder when given. A program that does not end within
// `timeoutMs` is killed and reported with exit code -1.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <string>
#include <vector>

struct CCliResult
{
    int exitCode = -1; // -1: did not start, crashed or timed out
    std::string out;   // standard output
    std::string err;   // standard error
};

inline CCliResult RunZelm(const std::vector<std::string>& args, const std::string& input = {},
                          const std::string& workDir = {}, int timeoutMs = 120000)
{
    QStringList list;
    for (const std::string& a : args)
        list << QString::fromStdString(a);
    QProcess process;
    if (!workDir.empty())
        process.setWorkingDirectory(QString::fromStdString(workDir));
    process.start(QStringLiteral(ZELM_BIN_DIR "/zelm"), list);
    CCliResult result;
    if (!process.waitForStarted(timeoutMs))
        return result;
    if (!input.empty())
        process.write(input.data(), static_cast<qint64>(input.size()));
    process.closeWriteChannel();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
        result.exitCode = process.exitCode();
    }
    result.out = process.readAllStandardOutput().toStdString();
    result.err = process.readAllStandardError().toStdString();
    return result;
}
