#pragma once

#include "base/filefailure.h"
#include "presentation/sofficeconverter.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CPptApplication;
class CPptPresentation;
class CThumbnailReceiver;
class CUserPrompt;

// One presentation opened for pictures of its slides. It works out which
// slides make up the presentation's slide show (all, a range or a custom
// show: its "positions", counted from 1 in show order), makes thumbnails of
// them in batches for a receiver, and exports single slides at any size.
// The program keeps one shared instance for the thumbnail window; each
// editing view has its own and may borrow the shared one (Retain/Release).
class CSlidePPTObj
{
public:
    // States; the failure codes are negative as 32-bit integers.
    static constexpr int32_t StateIdle = 0;
    static constexpr int32_t StateOpening = 1;
    static constexpr int32_t StateThumbnails = 2;
    static constexpr int32_t StateExporting = 3;
    static constexpr int32_t StatePaused = 256;
    static constexpr int32_t StateStopped = static_cast<int32_t>(0xF0000000u);
    static constexpr int32_t FailNoProgram = static_cast<int32_t>(0x80000003u);
    static constexpr int32_t FailPresentations = static_cast<int32_t>(0x80000004u);
    static constexpr int32_t FailOpen = static_cast<int32_t>(0x80000005u);
    static constexpr int32_t FailExport = static_cast<int32_t>(0x80000006u);

    explicit CSlidePPTObj(CUserPrompt* prompt = nullptr);
    ~CSlidePPTObj();
    CSlidePPTObj(const CSlidePPTObj&) = delete;
    CSlidePPTObj& operator=(const CSlidePPTObj&) = delete;

    // A non-empty folder (trailing '/') replaces the work folder of the
    // thumbnail pictures. Without one, the program's "Temp" work folder.
    void SetWorkFolder(const std::string& folder);
    const std::string& WorkFolder() const { return m_workFolder; }
    // Where converted presentations are kept (default: the "Temp" work
    // folder) and how long a conversion may go without progress.
    void SetCacheFolder(const std::string& folder) { m_cacheFolder = folder; }
    const std::string& CacheFolder() const { return m_cacheFolder; }
    void SetConversionTimeout(int milliseconds) { m_timeoutMs = milliseconds; }
    int ConversionTimeout() const { return m_timeoutMs; }
    void SetPrompt(CUserPrompt* prompt) { m_prompt = prompt; }
    // The program's "Temp" work folder, created when missing; "" when it
    // cannot be made.
    static std::string DefaultWorkFolder();

    bool OpenPresentation(const std::string& path, int width, int height,
                          CThumbnailReceiver* receiver, bool png);
    bool MakeThumbnails(int start);
    bool ContinueThumbnails(int position);
    bool ExportSlide(const std::string& file, int position, int width, int height,
                     int& slideNumber);
    // The PDF whose pages are the slides' pictures (converted first when it
    // is not yet, `watcher` seeing the conversion), for rendering pages
    // straight at another size; "" when there is none, and LastFailure says
    // why (nothing when the watcher cancelled).
    std::string SlidePdf(const CSofficeConverter::Watcher& watcher = {});
    // The page (from 1) of that PDF showing `position`, 0 when none.
    int PdfPageAt(int position) const;
    bool Retain();
    int Release();
    bool StopThumbnails();
    bool ClosePresentation();

    // Why the last OpenPresentation, MakeThumbnails or ExportSlide failed
    // (None after a success): the file and the reason to show.
    const CFileFailure& LastFailure() const { return m_failure; }

    int32_t State() const { return m_state; }
    bool IsOpen() const { return m_open; }
    bool IsListed() const { return m_listed; }
    const std::string& PresentationPath() const { return m_path; }
    int SlideCount() const { return m_slideCount; }
    int TotalSlides() const { return m_totalSlides; }
    int BatchSize() const { return m_batchSize; }
    void SetBatchSize(int size) { m_batchSize = size; }
    int CurrentSlide() const { return m_currentSlide; }
    int ResumePosition() const { return m_resumePosition; }
    int DoneCount() const { return m_doneCount; }
    bool IsDone(int position) const;
    // The slide number of `position`, 0 outside 1 .. SlideCount().
    int SlideNumberAt(int position) const;
    // Whether the slide at `position` is hidden in the presentation's slide
    // show (it keeps its position and number; false outside the positions).
    bool IsHiddenAt(int position) const;
    int RetainCount() const { return m_retainCount; }
    const std::string& PictureExtension() const { return m_extension; }
    int PictureWidth() const { return m_width; }
    int PictureHeight() const { return m_height; }

private:
    bool EnsureWorkFolder();
    bool Open();
    void BuildSlideList();
    void ClearTables();
    // The reason why slide picture `picture` of the open presentation was
    // not made: LibreOffice missing or failing, or the picture not written.
    void NoteRenderFailure(const std::string& picture);
    bool ExportPosition(int position, const std::string& file, const std::string& filter, int width,
                        int height);

    CUserPrompt* m_prompt = nullptr;
    CFileFailure m_failure;
    std::string m_path;
    std::string m_workFolder;
    std::string m_cacheFolder;
    int m_timeoutMs = 0;
    int m_width = 0;
    int m_height = 0;
    int32_t m_state = StateIdle;
    int m_slideCount = 0;
    int m_batchSize = 5;
    bool m_open = false;
    std::string m_extension = "jpg";
    int m_totalSlides = 0;
    int m_currentSlide = 0;
    int m_resumePosition = 0;
    std::vector<uint8_t> m_done;
    int m_doneCount = 0;
    std::vector<int> m_slideNumbers;
    std::vector<uint8_t> m_hidden;
    bool m_quitOnClose = false;
    bool m_listed = false;
    CThumbnailReceiver* m_receiver = nullptr;
    int m_retainCount = 0;
    std::unique_ptr<CPptApplication> m_application;
    CPptPresentation* m_presentation = nullptr;
};
