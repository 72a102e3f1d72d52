#pragma once

#include "base/filefailure.h"
#include "presentation/pptreader.h"
#include "presentation/pptstructure.h"

#include <string>

// The structure of any presentation the program reads, by the file's
// extension: the binary format of 1997 or later (.ppt), the current office
// format (.pptx and its kin), OpenDocument (.odp, .otp) and PDF documents (a page per
// slide, none hidden, no shows). A presentation protected by a password is
// Encrypted in every format; nothing asks for the password.
class CPresentationReader
{
public:
    static CPptReader::Failure ReadFile(const std::string& path, CPptStructure& out);
    // A PDF document's pages.
    static CPptReader::Failure ReadPdf(const std::string& path, CPptStructure& out);
    // The quick content check of the file list and of a new project from a
    // presentation, with the conventions of GetPowerPointVersion: 8 for a
    // presentation of a format the program reads (a password-protected one
    // included: it is refused with its reason when used), -1 when locked
    // (see IsLockedByOffice) or not readable, 0 or less otherwise.
    static int Check(const std::string& path);
    // Whether the presentation's slide pictures are its own pages (a PDF)
    // rather than LibreOffice's drawing of it.
    static bool DrawsItself(const std::string& path);
    // The reason shown for a read that failed with `why`; `read` is what the
    // reader left, which names the part or the count where it can.
    static CFileFailure FailureOf(const std::string& path, CPptReader::Failure why,
                                  const CPptStructure& read);
};
