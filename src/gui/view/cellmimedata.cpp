#include "gui/view/cellmimedata.h"

#include "model/cellinfolist.h"

CCellMimeData::CCellMimeData(const QByteArray& block, CCellDragSession& session)
    : m_session(session)
{
    setData(QString::fromLatin1(CCellInfoList::ClipFormat), block);
}

std::vector<std::string> CMimeCellSource::Formats() const
{
    std::vector<std::string> formats;
    if (m_data)
        for (const QString& f : m_data->formats())
            formats.push_back(f.toStdString());
    return formats;
}

QByteArray CMimeCellSource::Data(const std::string& format) const
{
    return m_data ? m_data->data(QString::fromStdString(format)) : QByteArray();
}
