#pragma once

#include "presentation/pdfdocument.h"

#include <QImage>
#include <QSize>
#include <QSizeF>
#include <memory>
#include <string>
#include <vector>

class CPdfDocument;

// Display images of the pages of one PDF, rendered straight at the size the
// display rule gives the page (fitted into 1024 x 768, its proportions kept)
// and written as the project's display images: no picture in between that
// would be encoded and decoded again. The pages of a batch are rendered on
// several threads, each with a document of its own, as a poppler document
// is used by one thread at a time. A job may ask for the thumbnail too,
// made from the display image's pixels on the same thread. Files are
// written without a wait for the disk each: the caller flushes the volume.
class CPdfPageImages
{
public:
    struct Job
    {
        int page = 0;            // from 1
        std::string destination; // the display image to write
        QSize size;              // the size written
        // The thumbnail to write as well (none when empty), fitted into
        // `thumbBox`; `thumbSize` receives its size.
        std::string thumbDestination;
        QSize thumbBox;
        QSize thumbSize;
        bool written = false; // the display image, and the thumbnail if asked
    };

    // `threads` 0: one per processor, at most four.
    explicit CPdfPageImages(std::string pdf, int threads = 0);
    ~CPdfPageImages();
    CPdfPageImages(const CPdfPageImages&) = delete;
    CPdfPageImages& operator=(const CPdfPageImages&) = delete;

    int Threads() const { return int(m_documents.size()); }
    // Jobs worth handing over at once to keep every thread busy.
    int BatchSize() const { return 2 * Threads(); }
    // Renders and writes every job's page; true when all were written. A
    // job that failed leaves no file.
    bool Run(std::vector<Job>& jobs);

    // The display frame every picture of the project is fitted into.
    static QSize DisplayFrame();
    // The display size of a page of `points`: fitted into `frame` (the
    // display frame unless said) by the rule every picture follows; invalid
    // for an empty page.
    static QSize DisplaySize(const QSizeF& points, const QSize& frame = DisplayFrame());
    // Page `page` (from 1) of `document` rendered at its DisplaySize in
    // `frame`; null when it cannot be.
    static QImage RenderPage(const CPdfDocument& document, int page,
                             const QSize& frame = DisplayFrame());

private:
    bool RunOn(int thread, int stride, std::vector<Job>& jobs);

    std::string m_pdf;
    std::vector<std::unique_ptr<CPdfDocument>> m_documents;
};
