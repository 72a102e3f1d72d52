#pragma once

#include <QImage>
#include <QSizeF>
#include <memory>
#include <string>

// A PDF document as the program reads it: page count, page sizes and
// pictures of pages. The PDF library (poppler, with the cryptography and
// image libraries it brings) lives in a module of the program's own that is
// loaded at the first PDF, so that a run that never meets one does not
// start the twenty-odd libraries. One document is used by one thread at a
// time.
class CPdfDocument
{
public:
    virtual ~CPdfDocument() = default;

    enum Status
    {
        Opened,
        Unreadable, // damaged, not a PDF, or the module cannot be loaded
        Locked,     // encrypted with a password
    };
    // Opens `path` with the rendering every picture of the program uses
    // (anti-aliased shapes and text, hinted text).
    static std::unique_ptr<CPdfDocument> Open(const std::string& path, Status* status = nullptr);
    // The PDF library's version ("22.12.0"), empty when it cannot be loaded.
    static std::string LibraryVersion();

    virtual int PageCount() const = 0;
    // Page `index` (from 0) in points; invalid for a page that is not there.
    virtual QSizeF PageSize(int index) const = 0;
    // Page `index` rendered at `xDpi` x `yDpi`, its top left `width` x
    // `height` pixels; null when it cannot be.
    virtual QImage Render(int index, double xDpi, double yDpi, int width, int height) const = 0;
};

// What the module exports (C names, found by the loader).
extern "C" {
using ZelmPdfOpenFunction = CPdfDocument* (*)(const char* path, int* status);
using ZelmPdfVersionFunction = const char* (*)();
}
