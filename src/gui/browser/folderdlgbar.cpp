#include "gui/browser/folderdlgbar.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "gui/browser/dirtreectrl.h"
#include "gui/browser/drivecombobox.h"

#include <QComboBox>
#include <QVBoxLayout>

namespace {

std::string typeText(int index)
{
    return CResourceBundle::Text(MsgId::FilterAllSlideSources + index);
}

} // namespace

CFolderDlgBar::CFolderDlgBar(QWidget* parent)
    : QDockWidget(QString::fromStdString(CResourceBundle::Text(MsgId::PaneFolders)), parent)
{
    setObjectName(QStringLiteral("folders"));
    setAccessibleName(QStringLiteral("Folders pane"));
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    auto* body = new QWidget(this);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    m_types = new QComboBox(body);
    m_types->setAccessibleName(QStringLiteral("File type"));
    // The labels list every extension; they must not set the pane's width,
    // so the combo box is as narrow as a short label and elides the rest.
    m_types->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    m_types->setMinimumContentsLength(16);
    for (int i = 0; i < 4; ++i) {
        const std::string text = typeText(i);
        m_types->addItem(QString::fromStdString(text.substr(0, text.find('|'))));
    }
    m_drives = new CDriveComboBox(body);
    m_tree = new CDirTreeCtrl(body);
    layout->addWidget(m_types);
    layout->addWidget(m_drives);
    layout->addWidget(m_tree, 1);
    setWidget(body);
    m_typeIndex = 0;
    m_pattern = GetPatternForIndex(0);
}

std::string CFolderDlgBar::GetPatternForIndex(int index)
{
    if (index >= 1 && index <= 3) {
        const std::string text = typeText(index);
        const size_t bar = text.find('|');
        return bar == std::string::npos ? std::string() : text.substr(bar + 1);
    }
    if (index == 0)
        return GetPatternForIndex(1) + ";" + GetPatternForIndex(2) + ";" + GetPatternForIndex(3);
    return {};
}

std::string CFolderDlgBar::GetFileTypePattern()
{
    const int index = m_types->currentIndex();
    if (index >= 0 && index <= 3 && index != m_typeIndex) {
        m_typeIndex = index;
        m_pattern = GetPatternForIndex(index);
    }
    return m_pattern;
}
