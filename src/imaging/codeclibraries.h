#pragma once

#include "base/lazylibrary.h"

// The photo codecs, loaded at the first photo of their kind (see
// CLazyLibrary); this file's source forwards every function the program
// calls to them.
class CCodecLibraries
{
public:
    static CLazyLibrary& Heif();
    static CLazyLibrary& WebP();
    static CLazyLibrary& WebPDemux();
    static CLazyLibrary& Tiff();
};
