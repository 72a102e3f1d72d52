#pragma once

#include <string>

// Content checks of office documents in the compound-file format, used by
// the file list to show only documents of the 97 generation or later and by
// the project-from-presentation path to accept only readable presentations.
// Each returns -1 when the file exists but may not be read, or when
// an office program has it open (its lock file stands beside it, see
// IsLockedByOffice): counted as locked; 0 when it cannot be opened otherwise or is not a compound
// file, -2 when the expected stream is missing, and otherwise a version number (8 for the 97
// generation; -3 for a stream of an unknown kind).
int GetWordVersion(const std::string& path);
int GetExcelVersion(const std::string& path);
int GetPowerPointVersion(const std::string& path);
