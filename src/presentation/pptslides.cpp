#include "presentation/pptslides.h"

#include "presentation/pptpresentation.h"

CPptSlides::CPptSlides(CPptPresentation& presentation, const std::vector<uint32_t>& slideIds,
                       const std::vector<uint8_t>& hidden)
{
    m_slides.reserve(slideIds.size());
    for (size_t i = 0; i < slideIds.size(); ++i) {
        m_slides.emplace_back(presentation, static_cast<int>(i + 1), slideIds[i],
                              i < hidden.size() && hidden[i] != 0);
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
