#include "base/filefailure.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "base/slidesourcetypes.h"
#include "base/userprompt.h"

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
    case TooManySlides:
        return MsgId::PresentationTooManySlides;
    case PartMissing:
        return MsgId::PresentationPartMissing;
    case NotRegular:
        return MsgId::NotARegularFile;
    }
    return 0;
}

std::string CFileFailure::Text() const
{
    return TextFor(nullptr);
}

std::string CFileFailure::TextFor(const CUserPrompt* prompt) const
{
    const int id = MessageId();
    if (id == 0)
        return {};
    std::string text = prompt ? prompt->FillMessage(id, m_file, m_detail)
                              : CResourceBundle::Format(id, m_file, m_detail);
    // The limit is the program's own number, the same in every message.
    if (m_reason == TooManySlides)
        if (const size_t at = text.find("%3"); at != std::string::npos)
            text.replace(at, 2, std::to_string(CSlideSourceTypes::MaxSlides));
    return text;
}

CFileFailure CFileFailure::ForUnopenable(const std::string& path)
{
    const QFileInfo info(QString::fromStdString(path));
    if (path.empty() || !info.exists())
        return {NotFound, path};
    return {info.isFile() ? CannotRead : NotRegular, path};
}
