#include "base/filefailure.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"

#include <QFileInfo>

int CFileFailure::MessageId() const
{
    switch (m_reason) {
    case None:
        return 0;
    case NotFound:
        return MsgId::FileDoesNotExist;
    case NotAPicture:
        return MsgId::FileNotAPicture;
    case Damaged:
        return MsgId::PictureDamaged;
    case TooLarge:
        return MsgId::PictureTooLarge;
    case NotAPresentation:
        return MsgId::FileNotAPresentation;
    case PresentationDamaged:
        return MsgId::PresentationDamaged;
    case NoOffice:
        return MsgId::LibreOfficeNotInstalled;
    case OfficeFailed:
        return MsgId::LibreOfficeFailed;
    case CannotRead:
        return MsgId::FileCannotBeOpened;
    case CannotWrite:
        return MsgId::FileNotWritten;
    case NotATransferBlock:
        return MsgId::FileNotATransferBlock;
    case NotAProject:
        return MsgId::FileUnreadable;
    case PasswordProtected:
        return MsgId::PresentationPasswordProtected;
    case NotRegular:
        return MsgId::NotARegularFile;
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
    if (path.empty() || !info.exists())
        return {NotFound, path};
    return {info.isFile() ? CannotRead : NotRegular, path};
}
