#include "base/outsidefile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// Nothing but a regular file is opened for reading, and nothing waits: a
// pipe with no writer, a socket, a device and a folder are refused at once.
TEST(OutsideFile, OpensRegularFilesAndRefusesTheRestAtOnce)
{
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString() + "/";
    {
        QFile f(QString::fromStdString(base + "photo.jpg"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("bytes");
    }
    ASSERT_EQ(::symlink((base + "photo.jpg").c_str(), (base + "link.jpg").c_str()), 0);
    ASSERT_EQ(::mkfifo((base + "pipe.jpg").c_str(), 0600), 0);
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = base + "sock.png";
    ASSERT_LT(socketPath.size(), sizeof(address.sun_path));
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(sock, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);

    const struct
    {
        std::string path;
        CFileFailure::Reason reason;
    } cases[] = {
        {base + "photo.jpg", CFileFailure::None},
        {base + "link.jpg", CFileFailure::None},
        {base + "missing.jpg", CFileFailure::NotFound},
        {base + "photo.jpg/inside.jpg", CFileFailure::NotFound},
        {"", CFileFailure::NotFound},
        {base + "pipe.jpg", CFileFailure::NotRegular},
        {socketPath, CFileFailure::NotRegular},
        {"/dev/zero", CFileFailure::NotRegular},
        {base, CFileFailure::NotRegular},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        QElapsedTimer clock;
        clock.start();
        QFile file;
        const CFileFailure opened = COutsideFile::Open(c.path, file);
        EXPECT_LT(clock.elapsed(), 1000);
        EXPECT_EQ(opened.reason(), c.reason);
        EXPECT_EQ(COutsideFile::Check(c.path).reason(), c.reason);
        EXPECT_EQ(file.isOpen(), c.reason == CFileFailure::None);
        if (c.reason == CFileFailure::None)
            EXPECT_EQ(file.readAll(), "bytes");
        else if (!c.path.empty())
            EXPECT_EQ(opened.file(), c.path);
    }
    ::close(sock);
    // The message names the file and says why.
    const std::string text = CFileFailure(CFileFailure::NotRegular, base + "pipe.jpg").Text();
    EXPECT_NE(text.find(base + "pipe.jpg is not a regular file"), std::string::npos) << text;
}

} // namespace
