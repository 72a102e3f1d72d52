#pragma once

#include <string>

// Whether an office program has the document open for editing, as its lock
// file beside the document tells: LibreOffice's ".~lock.NAME#" and the
// "~$NAME" of the other office suites (which some write with the first two
// characters of a long name left out). Such a document counts as locked:
// none of them takes a lock the system would report.
bool IsLockedByOffice(const std::string& path);
