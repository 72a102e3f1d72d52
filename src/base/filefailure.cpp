#include "base/filefailure.h"

#include "base/resourcebundle.h"

#include <QFileInfo>

int CFileFailure::MessageId() const
{
    switch (m_reason) {
    case None:
        return 0;
    case NotFound:
        return 7300;
    case NotAPicture:
        return 7301;
    case Damaged:
        return 7302;
    case TooLarge:
        return 7303;
    case NotAPresentation:
        return 7304;
    case PresentationDamaged:
        return 7305;
    case NoOffice:
        return 7306;
    case OfficeFailed:
        return 7307;
    case CannotRead:
        return 7309;
    case CannotWrite:
        return 7127;
    case NotATransferBlock:
        return 7308;
    case NotAProject:
        return 7126;
    }
    return 0;
}

std::string CFileFailure::Text() const
{
    const int id = MessageId();
    return id == 0 ? std::string() : CResourceBundle::Format(id, m_file);
}

CFileFailure CFileFailure::ForUnopenable(const std::string& path)
{
    const QFileInfo info(QString::fromStdString(path));
    return {path.empty() || !info.exists() ? NotFound : CannotRead, path};
}
