#pragma once

#include <QByteArray>

// Whether a PNG file's image data is whole, without decoding its pixels:
// the structure (signature, a valid IHDR first, every chunk within the data,
// IEND reached), every chunk's CRC, and the image data inflating to exactly
// the rows the header promises, each starting with a valid filter type. A
// damaged or cut file fails; a file that passes decodes, as far as its
// bytes go. Several times cheaper than a decode, as nothing is unfiltered or
// converted; a thread keeps the inflated rows' buffer for the next file.
class CPngIntegrity
{
public:
    enum Result
    {
        Intact,
        Damaged,
        Unchecked // not a PNG, interlaced, or beyond the decoder's bounds: the
                  // caller decodes it instead
    };

    static Result Check(const QByteArray& png);
};
