#pragma once

#include "presentation/pptpresentations.h"

#include <memory>
#include <string>

// The presentation layer's application: what the presentation program was
// to the older program. Presentations are read by our own record reader;
// their pictures come from LibreOffice, so without LibreOffice there is no
// application (Create gives null: "presentation program not available"),
// unless `needsOffice` is false (PDF documents draw their own pages).
class CPptApplication
{
public:
    // `cacheFolder` (trailing '/') keeps the converted PDFs and LibreOffice's
    // private profile; a conversion stops after `timeoutMs` without progress.
    static std::unique_ptr<CPptApplication> Create(const std::string& cacheFolder, int timeoutMs,
                                                   bool needsOffice = true);
    ~CPptApplication();
    CPptApplication(const CPptApplication&) = delete;
    CPptApplication& operator=(const CPptApplication&) = delete;

    CPptPresentations& Presentations() { return m_presentations; }
    // Closes every presentation.
    void Quit() { m_presentations.CloseAll(); }

    const std::string& CacheFolder() const { return m_cacheFolder; }
    int TimeoutMs() const { return m_timeoutMs; }

private:
    CPptApplication(std::string cacheFolder, int timeoutMs);

    std::string m_cacheFolder;
    int m_timeoutMs;
    CPptPresentations m_presentations;
};
