#include "gui/view/systemclipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace {
QClipboard* Board()
{
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance())
               ? QGuiApplication::clipboard()
               : nullptr;
}
} // namespace

std::vector<std::string> CSystemClipboard::Formats() const
{
    std::vector<std::string> formats;
    QClipboard* board = Board();
    const QMimeData* data = board ? board->mimeData() : nullptr;
    if (data)
        for (const QString& f : data->formats())
            formats.push_back(f.toStdString());
    return formats;
}

QByteArray CSystemClipboard::Data(const std::string& format) const
{
    QClipboard* board = Board();
    const QMimeData* data = board ? board->mimeData() : nullptr;
    return data ? data->data(QString::fromStdString(format)) : QByteArray();
}

bool CSystemClipboard::SetData(const std::string& format, const QByteArray& bytes)
{
    QClipboard* board = Board();
    if (!board)
        return false;
    auto* data = new QMimeData;
    data->setData(QString::fromStdString(format), bytes);
    board->setMimeData(data);
    return true;
}

void CSystemClipboard::Clear()
{
    if (QClipboard* board = Board())
        board->clear();
}
