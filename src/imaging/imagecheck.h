#pragma once

#include "base/filefailure.h"

#include <string>

// Tells why a picture file cannot be imported, after an import of it failed:
// missing, unreadable, not a picture by content, beyond the decoding bounds,
// or damaged. Decodes as an import does; a file that decodes gets None (the
// failure lay elsewhere, such as writing the project folder).
class CImageCheck
{
public:
    static CFileFailure Examine(const std::string& path);
};
