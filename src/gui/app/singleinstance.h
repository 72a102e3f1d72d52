#pragma once

#include <QLockFile>
#include <QObject>
#include <QString>
#include <memory>

class QLocalServer;

// One running window program per user: the first start takes a lock file
// and listens on a local socket named "ZUR1PrevInstance" in the user's work
// root; a later start finds the lock held and hands its command to the first
// over the socket instead of running. A lock left by a crashed program (its
// process is gone) is taken over.
class CSingleInstance : public QObject
{
    Q_OBJECT
public:
    static constexpr const char* Name = "ZUR1PrevInstance";
    // What a later start sends when it has no file to open.
    static constexpr const char* ActivateCommand = "[activate]";

    // `folder` holds the lock file and the socket (trailing '/'); empty: the
    // program's work root.
    explicit CSingleInstance(const QString& folder = {});
    ~CSingleInstance() override;

    // True when this process is now the one instance (and listens).
    bool TryBecomeFirst();
    bool IsFirst() const { return m_server != nullptr; }
    // Sends `command` to the running instance and waits until it has been
    // taken (at most `timeoutMs`). False when no instance answered.
    bool SendToFirst(const QString& command, int timeoutMs = 5000) const;
    // Stops listening and gives up the lock.
    void Release();

    QString SocketPath() const { return m_folder + QLatin1String(Name); }
    QString LockPath() const { return m_folder + QLatin1String(Name) + QStringLiteral(".lock"); }

    // The DDE-style command that opens `path`, and back.
    static QString OpenCommand(const QString& path);
    static bool ParseOpenCommand(const QString& command, QString& path);

Q_SIGNALS:
    // A later start's command ("[open(\"PATH\")]" or "[activate]").
    void CommandReceived(const QString& command);

private:
    void OnNewConnection();

    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
};
