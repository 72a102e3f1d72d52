#pragma once

#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QThreadPool>

// Makes small pictures of image files on threads of its own, never on the
// window's thread. Decoding is bounded: oversized or unreadable pictures
// come back as null images (and count as unreadable).
class CIconLoader : public QObject
{
    Q_OBJECT
public:
    explicit CIconLoader(QObject* parent = nullptr);
    ~CIconLoader() override;

    // Asks for a picture of `path` fitted into `size`; Loaded follows once.
    void Request(const QString& path, int size);
    // Asks whether `path` can be read as a picture at all (its header, no
    // decoding), after every icon asked for; Checked follows once.
    void Check(const QString& path);
    // Forgets every request not yet started (a new folder is shown).
    void Cancel();
    // Waits for the running work (tests and benchmarks).
    bool WaitForDone(int milliseconds);
    static QImage Load(const QString& path, int size, bool& readable);
    static bool IsReadable(const QString& path);

Q_SIGNALS:
    void Loaded(const QString& path, int size, const QImage& image, bool readable);
    void Checked(const QString& path, bool readable);

private:
    QThreadPool m_pool;
    QSet<QString> m_pending;
};
