#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

// Turns a presentation into a PDF with LibreOffice run headless: one page
// per slide in presentation order, hidden slides included, macros never
// run. LibreOffice runs with a private profile in the work folder (one
// conversion at a time per profile, across processes), in a process group
// of its own. A deck of any size may take as long as it needs: LibreOffice
// is stopped only when it makes no progress (no processor time used, its
// output not growing) for the stall limit, or on cancel. It never writes
// beside the presentation.
class CSofficeConverter
{
public:
    enum Result
    {
        Converted,
        NoProgram,
        Failed,
        TimedOut, // no progress for the stall limit
        Cancelled
    };
    // The default stall limit.
    static constexpr int DefaultTimeoutMs = 60000;

    // Told about ten times a second while LibreOffice works, on the
    // converting thread: the seconds since the start and the pages of the
    // PDF written so far (-1 while they cannot be told; looked at once a
    // second). Returning false cancels.
    using Watcher = std::function<bool(int seconds, int pagesDone)>;

    // `workFolder` (trailing '/') holds the profile and the scratch folders;
    // `stallMs` is how long LibreOffice may go without progress.
    CSofficeConverter(std::string workFolder, int stallMs = DefaultTimeoutMs);

    // The LibreOffice program on PATH ("soffice"), "" when there is none.
    static std::string FindProgram();
    static bool IsAvailable() { return !FindProgram().empty(); }

    // Writes the PDF of `presentation` to `pdf` (replaced as a whole, by a
    // rename: never half written). When `cancel` turns true (from any
    // thread) or `watcher` says so, the wait ends within a tenth of a
    // second: LibreOffice's whole process group is killed and `pdf` is left
    // as it was (Cancelled).
    Result ConvertToPdf(const std::string& presentation, const std::string& pdf,
                        const std::atomic<bool>* cancel = nullptr,
                        const Watcher& watcher = {}) const;

    // Makes the settings of the profile at `profileFolder` forbid running
    // macros, keeping the settings LibreOffice stored there; false when they
    // cannot be written.
    static bool ForbidMacros(const std::string& profileFolder);

private:
    std::string m_workFolder;
    int m_stallMs;
};
