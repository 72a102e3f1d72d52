#include "gui/app/singleinstance.h"

#include "base/appfolders.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <algorithm>
#include <memory>

namespace {

// One command per connection: UTF-8 text ended by a line break; the first
// instance answers "ok" once it has taken it.
constexpr char kEnd = '\n';
const QByteArray kTaken = QByteArrayLiteral("ok\n");
constexpr int kMaxCommandBytes = 64 * 1024;

} // namespace

CSingleInstance::CSingleInstance(const QString& folder) : m_folder(folder)
{
    if (m_folder.isEmpty())
        m_folder = QString::fromStdString(CAppFolders::WorkRoot());
    if (!m_folder.isEmpty() && !m_folder.endsWith(QLatin1Char('/')))
        m_folder += QLatin1Char('/');
}

CSingleInstance::~CSingleInstance()
{
    Release();
}

bool CSingleInstance::TryBecomeFirst()
{
    if (m_server)
        return true;
    if (m_folder.isEmpty() || !QDir().mkpath(m_folder))
        return false;
    m_lock = std::make_unique<QLockFile>(LockPath());
    // Never stale by age: only a lock whose process has gone is taken over.
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        m_lock.reset();
        return false;
    }
    // A socket file left by a crashed instance would block listening.
    QLocalServer::removeServer(SocketPath());
    auto* server = new QLocalServer(this);
    server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server->listen(SocketPath())) {
        delete server;
        m_lock->unlock();
        m_lock.reset();
        return false;
    }
    m_server = server;
    connect(m_server, &QLocalServer::newConnection, this, &CSingleInstance::OnNewConnection);
    return true;
}

void CSingleInstance::Release()
{
    if (m_server) {
        m_server->close();
        delete m_server;
        m_server = nullptr;
    }
    if (m_lock) {
        m_lock->unlock();
        m_lock.reset();
    }
}

bool CSingleInstance::SendToFirst(const QString& command, int timeoutMs) const
{
    const QDeadlineTimer deadline(timeoutMs);
    // The first instance may still be between taking the lock and listening.
    while (!deadline.hasExpired()) {
        QLocalSocket socket;
        socket.connectToServer(SocketPath());
        if (!socket.waitForConnected(
                static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) {
            QThread::msleep(50);
            continue;
        }
        socket.write(command.toUtf8() + kEnd);
        if (!socket.waitForBytesWritten(
                static_cast<int>(std::max<qint64>(1, deadline.remainingTime()))))
            return false;
        QByteArray answer;
        while (!answer.endsWith(kEnd) && socket.waitForReadyRead(static_cast<int>(
                                             std::max<qint64>(1, deadline.remainingTime()))))
            answer += socket.readAll();
        return answer == kTaken;
    }
    return false;
}

void CSingleInstance::OnNewConnection()
{
    while (QLocalSocket* socket = m_server ? m_server->nextPendingConnection() : nullptr) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto buffer = std::make_shared<QByteArray>();
        connect(socket, &QLocalSocket::readyRead, this, [this, socket, buffer] {
            *buffer += socket->readAll();
            if (buffer->size() > kMaxCommandBytes) {
                socket->abort();
                return;
            }
            const qsizetype end = buffer->indexOf(kEnd);
            if (end < 0)
                return;
            const QString command = QString::fromUtf8(buffer->left(end));
            buffer->clear();
            // The exchange ends here, before the command is acted on: acting
            // may show a message whose event loop sees the sender hang up and
            // frees this socket while its read signal is still on the stack.
            socket->disconnect(this);
            socket->write(kTaken);
            socket->disconnectFromServer();
            QMetaObject::invokeMethod(
                this, [this, command] { Q_EMIT CommandReceived(command); }, Qt::QueuedConnection);
        });
    }
}

QString CSingleInstance::OpenCommand(const QString& path)
{
    return QStringLiteral("[open(\"%1\")]").arg(path);
}

bool CSingleInstance::ParseOpenCommand(const QString& command, QString& path)
{
    static const QLatin1String head("[open(\"");
    static const QLatin1String tail("\")]");
    const QString c = command.trimmed();
    if (!c.startsWith(head, Qt::CaseInsensitive) || !c.endsWith(tail) ||
        c.size() <= head.size() + tail.size())
        return false;
    path = c.mid(head.size(), c.size() - head.size() - tail.size());
    return !path.isEmpty();
}
