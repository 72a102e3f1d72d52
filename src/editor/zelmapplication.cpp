#include "editor/zelmapplication.h"

#include "base/resourcebundle.h"
#include "base/workrootuse.h"
#include "editor/scenarioeditor.h"
#include "presentation/slidepptobj.h"

#include <QCoreApplication>

namespace {
CZelmApplication* s_instance = nullptr;
} // namespace

CZelmApplication::CZelmApplication(CUserPrompt* prompt) : m_prompt(prompt)
{
    if (QCoreApplication::instance()) {
        QCoreApplication::setOrganizationName(QStringLiteral("Pellyx"));
        QCoreApplication::setApplicationName(QStringLiteral("Zelm Tessara"));
    }
    if (!s_instance)
        s_instance = this;
    m_workRoot = std::make_unique<CWorkRootUse>();
}

CZelmApplication::~CZelmApplication()
{
    if (m_sharedPresentation)
        m_sharedPresentation->ClosePresentation();
    m_sharedPresentation.reset();
    m_workRoot.reset();
    if (s_instance == this)
        s_instance = nullptr;
}

CZelmApplication* CZelmApplication::Instance()
{
    return s_instance;
}

bool CZelmApplication::LoadResources()
{
    return CResourceBundle::Load();
}

void CZelmApplication::SetPrompt(CUserPrompt* prompt)
{
    m_prompt = prompt;
    if (m_sharedPresentation)
        m_sharedPresentation->SetPrompt(prompt);
}

CSlidePPTObj& CZelmApplication::SharedPresentation()
{
    if (!m_sharedPresentation)
        m_sharedPresentation = std::make_unique<CSlidePPTObj>(m_prompt);
    return *m_sharedPresentation;
}

void CZelmApplication::Attach(CScenarioEditor& editor)
{
    editor.SetSharedPresentation(&SharedPresentation());
}
