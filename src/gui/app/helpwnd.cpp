#include "gui/app/helpwnd.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QPushButton>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

CHelpWnd::CHelpWnd(QWidget* parent) : QDialog(parent), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QString::fromStdString(CResourceBundle::Text(MsgId::HelpWindowTitle)));
    setAccessibleName(windowTitle());
    m_browser->setAccessibleName(QStringLiteral("Help text"));
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(false);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setAccessibleName(QStringLiteral("Close"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_browser, 1);
    layout->addWidget(buttons);
    resize(720, 560);
}

bool CHelpWnd::Load(const QString& page)
{
    const QFileInfo info(page);
    if (!info.isReadable())
        return false;
    m_browser->setSearchPaths({info.absolutePath()});
    m_browser->setSource(QUrl::fromLocalFile(info.absoluteFilePath()));
    return !m_browser->document()->isEmpty();
}
