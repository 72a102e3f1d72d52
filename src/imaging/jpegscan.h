#pragma once

#include <cstddef>
#include <cstdint>

// What a JPEG stream says about itself before its pixels are decoded, and a
// trial decode that tells complete entropy-coded data from data cut short.
class CJpegScan
{
public:
    struct Frame
    {
        int width = 0;
        int height = 0;
        int components = 0;
        bool progressive = false;
        // Memory a decoder holds for the whole image's coefficients when the
        // frame is progressive (every scan refines every block).
        int64_t coefficientBytes = 0;
    };

    // Reads the frame header (SOFn) of the JPEG in `data`; false when there
    // is none before the data ends or it is malformed.
    static bool ReadFrame(const unsigned char* data, size_t size, Frame& frame);

    // Decodes the whole stream at 1/8 scale with the JPEG library, using at
    // most `maxMemory` bytes, and returns true only when the library met no
    // corrupt data on the way: every block of every scan was there. Stops at
    // the first sign of damage.
    static bool DecodesCleanly(const unsigned char* data, size_t size, long maxMemory);
};
