#pragma once

#include <string>
#include <utility>

class CUserPrompt;

// Why an operation on one file failed, told by the layer that found out
// (decoder, presentation layer, project reader), so that the window program
// and the command line show the same numbered text naming the file.
class CFileFailure
{
public:
    enum Reason
    {
        None = 0,
        NotFound,         // the file does not exist
        NotAPicture,      // not a picture the decoders read, by content
        Damaged,          // a picture whose data is damaged or incomplete
        TooLarge,         // a picture beyond the decoding bounds
        NotAPresentation, // not a presentation or PDF document the readers read
        PresentationDamaged,
        NoOffice,     // LibreOffice is not installed
        OfficeFailed, // LibreOffice did not convert the presentation
        CannotRead,   // it exists but cannot be opened for reading
        CannotWrite,  // the file (or folder) could not be written
        NotATransferBlock,
        NotAProject,       // a project file that cannot be read as one
        PasswordProtected, // a presentation or document that needs a password
        TooManySlides,     // detail: the number of slides it has
        PartMissing,       // a presentation; detail: the part it names that is missing
        NotRegular,        // a pipe, socket, device or folder: never read
    };

    CFileFailure() = default;
    CFileFailure(Reason reason, std::string file, std::string detail = {})
        : m_reason(reason), m_file(std::move(file)), m_detail(std::move(detail))
    {}

    Reason reason() const { return m_reason; }
    const std::string& file() const { return m_file; }
    const std::string& detail() const { return m_detail; }
    bool IsFailure() const { return m_reason != None; }

    // A file that could not be opened for reading: NotFound when it does
    // not exist, NotRegular when it is no regular file, else CannotRead.
    static CFileFailure ForUnopenable(const std::string& path);

    // The number of the bundle's text for the reason (its %1 is the file);
    // 0 for None.
    int MessageId() const;
    // That text with the file (and the detail) filled in.
    std::string Text() const;
    // The same as `prompt` fills its messages (none: as Text()).
    std::string TextFor(const CUserPrompt* prompt) const;

private:
    Reason m_reason = None;
    std::string m_file;
    std::string m_detail;
};
