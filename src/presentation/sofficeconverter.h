#pragma once

#include <atomic>
#include <string>

// Turns a presentation into a PDF with LibreOffice run headless: one page
// per slide in presentation order, hidden slides included. LibreOffice runs
// with a private profile in the work folder (one conversion at a time per
// profile, across processes), in a process group of its own that is killed
// when the time limit passes. It never writes beside the presentation.
class CSofficeConverter
{
public:
    enum Result
    {
        Converted,
        NoProgram,
        Failed,
        TimedOut,
        Cancelled
    };
    static constexpr int DefaultTimeoutMs = 120000;

    // `workFolder` (trailing '/') holds the profile and the scratch folders.
    CSofficeConverter(std::string workFolder, int timeoutMs = DefaultTimeoutMs);

    // The LibreOffice program on PATH ("soffice"), "" when there is none.
    static std::string FindProgram();
    static bool IsAvailable() { return !FindProgram().empty(); }

    // Writes the PDF of `presentation` to `pdf` (replaced as a whole, by a
    // rename: never half written). When `cancel` turns true (from any
    // thread) the wait ends within a tenth of a second: LibreOffice's whole
    // process group is killed and `pdf` is left as it was (Cancelled).
    Result ConvertToPdf(const std::string& presentation, const std::string& pdf,
                        const std::atomic<bool>* cancel = nullptr) const;

private:
    std::string m_workFolder;
    int m_timeoutMs;
};
