#include "presentation/slideexport.h"

#include "base/slidesourcetypes.h"
#include "presentation/pptapplication.h"
#include "presentation/pptpresentation.h"
#include "presentation/presentationreader.h"
#include "presentation/slidepptobj.h"
#include "presentation/sofficeconverter.h"

#include <QFileInfo>
#include <cstdio>
#include <vector>

bool ExportPresentationSlide(const std::string& presentation, const std::string& output, int& page,
                             int width, int height, const std::string& cacheFolder, int timeoutMs)
{
    if (presentation.empty() || output.empty() ||
        !CSlideSourceTypes::IsPresentation(presentation) ||
        !QFileInfo(QString::fromStdString(presentation)).isFile())
        return false;
    if (width == 0 || height == 0)
        width = 160, height = 120;
    const std::string cache = cacheFolder.empty() ? CSlidePPTObj::DefaultWorkFolder() : cacheFolder;
    if (cache.empty())
        return false;
    std::unique_ptr<CPptApplication> application = CPptApplication::Create(
        cache, timeoutMs > 0 ? timeoutMs : CSofficeConverter::DefaultTimeoutMs,
        !CPresentationReader::DrawsItself(presentation));
    if (!application)
        return false;
    CPptPresentation* opened = application->Presentations().Open(presentation);
    if (!opened)
        return false;

    CPptPageSetup& setup = opened->PageSetup();
    const int first = setup.FirstSlideNumber();
    const CPptSlide* slide = nullptr;
    if (page != 0) {
        slide = opened->Slides().Item(page - first + 1);
    } else if (const std::vector<const CPptSlide*> show = opened->ShowSlides(); !show.empty()) {
        // The first slide of the show; a show of no slide has none.
        slide = show.front();
    }
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
