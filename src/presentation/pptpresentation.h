#pragma once

#include "presentation/pptpagesetup.h"
#include "presentation/pptslides.h"
#include "presentation/pptslideshowsettings.h"
#include "presentation/pptstructure.h"
#include "presentation/sliderenderer.h"

#include <string>
#include <vector>

class CPptPresentations;

// One presentation opened read-only: its slides, page setup and slide-show
// settings as read from the file, and the pictures of its slides.
class CPptPresentation
{
public:
    CPptPresentation(CPptPresentations& owner, std::string path, const CPptStructure& structure,
                     const std::string& cacheFolder, int timeoutMs);
    CPptPresentation(const CPptPresentation&) = delete;
    CPptPresentation& operator=(const CPptPresentation&) = delete;

    const std::string& FullName() const { return m_path; }
    CPptSlides& Slides() { return m_slides; }
    CPptPageSetup& PageSetup() { return m_pageSetup; }
    CPptSlideShowSettings& SlideShowSettings() { return m_settings; }
    // Closes the presentation: this object is destroyed.
    void Close();

    // The slides of the presentation's slide show, in show order: all
    // slides, a range (cut to the slides there are) or a custom show (its
    // slide ids that name a slide; none when no show has its name). The one
    // answer for thumbnails, expansion and the single-slide export.
    std::vector<const CPptSlide*> ShowSlides();

    CSlideRenderer& Renderer() { return m_renderer; }

private:
    CPptPresentations& m_owner;
    std::string m_path;
    CPptSlides m_slides;
    CPptPageSetup m_pageSetup;
    CPptSlideShowSettings m_settings;
    CSlideRenderer m_renderer;
};
