#include "presentation/pptslide.h"

#include "presentation/pptpresentation.h"

int CPptSlide::SlideNumber() const
{
    return m_presentation->PageSetup().FirstSlideNumber() + m_index - 1;
}

bool CPptSlide::Export(const std::string& file, const std::string& filter, int width,
                       int height) const
{
    return m_presentation->Renderer().Render(m_index, file, filter, width, height);
}
