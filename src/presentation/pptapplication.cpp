#include "presentation/pptapplication.h"

#include "presentation/pptpresentation.h"
#include "presentation/sofficeconverter.h"

#include <utility>

std::unique_ptr<CPptApplication> CPptApplication::Create(const std::string& cacheFolder,
                                                         int timeoutMs, bool needsOffice)
{
    if (needsOffice && !CSofficeConverter::IsAvailable())
        return nullptr;
    return std::unique_ptr<CPptApplication>(new CPptApplication(cacheFolder, timeoutMs));
}

CPptApplication::CPptApplication(std::string cacheFolder, int timeoutMs)
    : m_cacheFolder(std::move(cacheFolder)), m_timeoutMs(timeoutMs), m_presentations(*this)
{}

CPptApplication::~CPptApplication()
{
    Quit();
}
