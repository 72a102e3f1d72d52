#include "presentation/slideexport.h"

#include "presentation/pptapplication.h"
#include "presentation/pptpresentation.h"
#include "presentation/slidepptobj.h"
#include "presentation/sofficeconverter.h"

#include <QFileInfo>

#include <algorithm>
#include <cstdio>

namespace {

bool endsWithPpt(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string ext = path.substr(path.size() - 4);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; });
    return ext == ".ppt";
}

// The first slide of the presentation's slide show.
const CPptSlide* firstShownSlide(CPptPresentation& presentation)
{
    CPptSlideShowSettings& settings = presentation.SlideShowSettings();
    CPptSlides& slides = presentation.Slides();
    switch (settings.RangeType()) {
    case CPptSlideShowSettings::ShowNamedSlideShow: {
        const CPptNamedSlideShows& named = settings.NamedSlideShows();
        for (int i = 1; i <= named.Count(); ++i) {
            if (named.Item(i)->Name() != settings.SlideShowName())
                continue;
            for (const uint32_t id : named.Item(i)->SlideIDs()) {
                if (const CPptSlide* slide = id != 0 ? slides.FindBySlideID(id) : nullptr)
                    return slide;
            }
            break;
        }
        // A show that names no slide starts at the first one.
        return slides.Item(1);
    }
    case CPptSlideShowSettings::ShowSlideRange:
        // The range holds slide indexes, not numbers.
        return slides.Item(std::max(1, settings.StartingSlide()));
    default:
        return slides.Item(1);
    }
}

}  // namespace

bool ExportPresentationSlide(const std::string& presentation, const std::string& output,
                             int& page, int width, int height, const std::string& cacheFolder,
                             int timeoutMs)
{
    if (presentation.empty() || output.empty() || !endsWithPpt(presentation) ||
        !QFileInfo(QString::fromStdString(presentation)).isFile())
        return false;
    if (width == 0 || height == 0)
        width = 160, height = 120;
    const std::string cache = cacheFolder.empty() ? CSlidePPTObj::DefaultWorkFolder() : cacheFolder;
    if (cache.empty())
        return false;
    std::unique_ptr<CPptApplication> application = CPptApplication::Create(
        cache, timeoutMs > 0 ? timeoutMs : CSofficeConverter::DefaultTimeoutMs);
    if (!application)
        return false;
    CPptPresentation* opened = application->Presentations().Open(presentation);
    if (!opened)
        return false;

    CPptPageSetup& setup = opened->PageSetup();
    const int first = setup.FirstSlideNumber();
    const CPptSlide* slide = page == 0 ? firstShownSlide(*opened)
                                       : opened->Slides().Item(page - first + 1);
    bool exported = false;
    if (slide) {
        page = slide->SlideNumber();
        setup.SetFirstSlideNumber(page);
        std::remove(output.c_str());
        exported = slide->Export(output, "png", width, height);
        setup.SetFirstSlideNumber(first);
    }
    opened->Close();
    return exported;
}
