#include "presentation/pptslides.h"

#include "presentation/pptpresentation.h"

CPptSlides::CPptSlides(CPptPresentation& presentation, const std::vector<uint32_t>& slideIds)
{
    m_slides.reserve(slideIds.size());
    for (size_t i = 0; i < slideIds.size(); ++i) {
        m_slides.emplace_back(presentation, static_cast<int>(i + 1), slideIds[i]);
        m_byId.emplace(slideIds[i], i);
    }
}

CPptSlide* CPptSlides::Item(int index)
{
    return index >= 1 && index <= Count() ? &m_slides[static_cast<size_t>(index - 1)] : nullptr;
}

CPptSlide* CPptSlides::FindBySlideID(uint32_t id)
{
    const auto found = m_byId.find(id);
    return found == m_byId.end() ? nullptr : &m_slides[found->second];
}
