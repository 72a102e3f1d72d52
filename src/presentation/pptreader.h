#pragma once

#include "base/slidesourcetypes.h"
#include "presentation/pptstructure.h"

#include <QByteArray>
#include <string>

class CCompoundFile;

// Reads the structure of a presentation of the 97 generation or later from
// its binary records: the "Current User" stream points at the current user
// edit; the chain of user edits and their persist directories leads to the
// document container, whose atoms give the first slide number, the slide
// size, the slide list, the slide-show settings and the named shows.
// Every offset and length is checked against the bytes there are.
class CPptReader
{
public:
    enum Failure
    {
        NoFailure = 0,
        NotPresentation, // no presentation streams, or not this record format
        TooOld,          // an older generation of the format
        Encrypted,
        Damaged, // offsets or lengths that do not fit, records missing
        TooManySlides,
    };
    static constexpr int MaxSlides = CSlideSourceTypes::MaxSlides;

    // Without a current-user record (`currentUser` empty), and when the
    // edit it names is damaged, the newest whole user edit of the stream is
    // read.
    static Failure Read(const QByteArray& currentUser, const QByteArray& document,
                        CPptStructure& out);
    static Failure Read(const CCompoundFile& file, CPptStructure& out);
    static Failure ReadFile(const std::string& path, CPptStructure& out);
};
