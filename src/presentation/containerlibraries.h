#pragma once

#include "base/lazylibrary.h"

#include <string>

// The readers of zipped (Office Open XML, OpenDocument) and compound
// (binary Office) presentations, loaded at the first such file (see
// CLazyLibrary); this file's source forwards every function the program
// calls to them.
class CContainerLibraries
{
public:
    static CLazyLibrary& Zip();
    static CLazyLibrary& Gsf();
    // The compound-file library's version as it reports it ("1.14.50"),
    // empty when it cannot be loaded.
    static std::string GsfVersion();
};
