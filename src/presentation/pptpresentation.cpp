#include "presentation/pptpresentation.h"

#include "presentation/pptpresentations.h"

#include <utility>

namespace {

CPptNamedSlideShows namedShows(const CPptStructure& structure)
{
    CPptNamedSlideShows shows;
    for (const CPptStructure::NamedShow& show : structure.namedShows)
        shows.Add(CPptNamedSlideShow(show.name, show.slideIds));
    return shows;
}

}  // namespace

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
{
}

void CPptPresentation::Close()
{
    m_owner.Close(this);
}
