#pragma once

#include "base/filefailure.h"

#include <string>

class QFile;

// Opens a file the user named or dropped for reading without ever waiting
// on it: the open does not block (a pipe with no writer, a device that never
// answers), and anything but a regular file is refused at once, before a
// byte is read. Every reader of outside files opens through here.
class COutsideFile
{
public:
    // Opens `path` into `file` (read-only, blocking reads from then on: a
    // regular file never waits). NotFound, NotRegular or CannotRead when
    // it cannot be read, None on success.
    static CFileFailure Open(const std::string& path, QFile& file);
    // The same check without opening: None for a regular file (following
    // links) that exists.
    static CFileFailure Check(const std::string& path);
};
