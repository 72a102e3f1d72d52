#pragma once

#include "presentation/sofficeconverter.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

class CPdfDocument;

// Pictures of the slides of one presentation. The presentation is converted
// to a PDF once (by LibreOffice) and kept in the cache folder under a key of
// its path, size and modification time, so reopening an unchanged file costs
// nothing; each picture is one page fitted into the frame asked for, its
// proportions kept.
class CSlideRenderer
{
public:
    enum Status
    {
        Ready,
        NotReady,
        NoProgram,
        ConversionFailed,
        TimedOut,
        Unreadable,
        Cancelled
    };
    // Pictures larger than this on either side are refused.
    static constexpr int MaxSide = 8192;
    // PDFs kept in the cache folder.
    static constexpr int CachedPdfs = 12;

    CSlideRenderer(std::string presentation, int slideCount, std::string cacheFolder,
                   int timeoutMs);
    ~CSlideRenderer();
    CSlideRenderer(const CSlideRenderer&) = delete;
    CSlideRenderer& operator=(const CSlideRenderer&) = delete;

    // Converts (or finds the cached PDF) and loads it; the result is kept,
    // so a failed conversion is not retried for this presentation (a
    // cancelled one is). `watcher` sees the conversion and may cancel it.
    Status Prepare(const CSofficeConverter::Watcher& watcher = {});
    Status LastStatus() const { return m_status; }
    // The PDF whose page N is slide N, once Prepare is Ready.
    const std::string& PdfPath() const { return m_pdfPath; }
    // Slide `index` (from 1) as a `filter` ("jpg"/"jpeg" or "png") picture
    // fitted into width x height (as CPdfPageImages fits a page) in `file`.
    bool Render(int index, const std::string& file, const std::string& filter, int width,
                int height);

    // The cache file name for a presentation in its present state.
    static std::string CachedPdfPath(const std::string& cacheFolder,
                                     const std::string& presentation);
    // Makes sure the cache holds the PDF of `presentation` (converting it
    // when missing): Ready, or why not. A cancel (see CSofficeConverter)
    // leaves no entry. Safe on any thread; Prepare finds the entry after.
    static Status ConvertToCache(const std::string& presentation, const std::string& cacheFolder,
                                 int timeoutMs, const std::atomic<bool>* cancel = nullptr,
                                 const CSofficeConverter::Watcher& watcher = {});

private:
    static void Prune(const std::string& cacheFolder);

    std::string m_presentation;
    int m_slideCount;
    std::string m_cacheFolder;
    int m_timeoutMs;
    Status m_status = NotReady;
    std::unique_ptr<CPdfDocument> m_pdf;
    std::string m_pdfPath;
};
