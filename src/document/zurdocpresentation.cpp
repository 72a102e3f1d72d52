// The project document's presentation service: the picture of one slide
// for the cells.
#include "document/zurdoc.h"
#include "presentation/slideexport.h"

bool CZurDoc::ExportPresentationSlide(const std::string& presentation, int page,
                                      const std::string& destination, int width, int height)
{
    return ::ExportPresentationSlide(presentation, destination, page, width, height);
}
