#include "presentation/pptpresentations.h"

#include "presentation/pptapplication.h"
#include "presentation/pptpresentation.h"
#include "presentation/presentationreader.h"

#include <algorithm>

CPptPresentations::CPptPresentations(CPptApplication& application) : m_application(application) {}

CPptPresentations::~CPptPresentations() = default;

CPptPresentation* CPptPresentations::Item(int index) const
{
    return index >= 1 && index <= Count() ? m_open[static_cast<size_t>(index - 1)].get() : nullptr;
}

CPptPresentation* CPptPresentations::Open(const std::string& path, CPptReader::Failure* why,
                                          CFileFailure* reason)
{
    CPptStructure structure;
    const CPptReader::Failure failure = CPresentationReader::ReadFile(path, structure);
    if (why)
        *why = failure;
    if (reason)
        *reason = CPresentationReader::FailureOf(path, failure, structure);
    if (failure != CPptReader::NoFailure)
        return nullptr;
    m_open.push_back(std::make_unique<CPptPresentation>(
        *this, path, structure, m_application.CacheFolder(), m_application.TimeoutMs()));
    return m_open.back().get();
}

void CPptPresentations::Close(CPptPresentation* presentation)
{
    const auto it = std::find_if(m_open.begin(), m_open.end(),
                                 [&](const auto& p) { return p.get() == presentation; });
    if (it != m_open.end())
        m_open.erase(it);
}

void CPptPresentations::CloseAll()
{
    m_open.clear();
}
