#include "presentation/pptpresentation.h"

#include "presentation/pptpresentations.h"

#include <algorithm>
#include <utility>

namespace {

CPptNamedSlideShows namedShows(const CPptStructure& structure)
{
    CPptNamedSlideShows shows;
    for (const CPptStructure::NamedShow& show : structure.namedShows)
        shows.Add(CPptNamedSlideShow(show.name, show.slideIds));
    return shows;
}

} // namespace

CPptPresentation::CPptPresentation(CPptPresentations& owner, std::string path,
                                   const CPptStructure& structure, const std::string& cacheFolder,
                                   int timeoutMs)
    : m_owner(owner), m_path(std::move(path)),
      m_slides(*this, structure.slideIds, structure.slideHidden),
      // Master units: 576 per inch, 8 per point.
      m_pageSetup(structure.firstSlideNumber, structure.slideWidth / 8.0,
                  structure.slideHeight / 8.0),
      m_settings(structure.rangeType, structure.startSlide, structure.endSlide, structure.showName,
                 namedShows(structure)),
      m_renderer(m_path, static_cast<int>(structure.slideIds.size()), cacheFolder, timeoutMs)
{}

void CPptPresentation::Close()
{
    m_owner.Close(this);
}

std::vector<const CPptSlide*> CPptPresentation::ShowSlides()
{
    std::vector<const CPptSlide*> show;
    switch (m_settings.RangeType()) {
    case CPptSlideShowSettings::ShowNamedSlideShow: {
        const CPptNamedSlideShows& named = m_settings.NamedSlideShows();
        for (int i = 1; i <= named.Count(); ++i) {
            if (named.Item(i)->Name() != m_settings.SlideShowName())
                continue;
            // An identifier that names no slide is left out rather than
            // standing for the first slide.
            for (const uint32_t id : named.Item(i)->SlideIDs()) {
                if (const CPptSlide* slide = id != 0 ? m_slides.FindBySlideID(id) : nullptr)
                    show.push_back(slide);
            }
            break;
        }
        break;
    }
    case CPptSlideShowSettings::ShowSlideRange: {
        // The range holds slide indexes, not numbers; a stored range reaching
        // past the slides is cut to them.
        const int first = std::max(1, m_settings.StartingSlide());
        const int last = std::min(m_slides.Count(), m_settings.EndingSlide());
        for (int i = first; i <= last; ++i)
            show.push_back(m_slides.Item(i));
        break;
    }
    default:
        for (int i = 1; i <= m_slides.Count(); ++i)
            show.push_back(m_slides.Item(i));
        break;
    }
    return show;
}
