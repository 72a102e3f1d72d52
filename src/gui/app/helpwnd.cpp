#include "gui/app/helpwnd.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QPushButton>
#include <QStyle>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace {
QString text(int id)
{
    return QString::fromStdString(CResourceBundle::Text(id));
}
} // namespace

CHelpWnd::CHelpWnd(QWidget* parent)
    : QDialog(parent), m_browser(new QTextBrowser(this)),
      m_back(new QPushButton(text(MsgId::HelpBack), this)),
      m_forward(new QPushButton(text(MsgId::HelpForward), this)),
      m_contents(new QPushButton(text(MsgId::HelpContents), this))
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(text(MsgId::HelpWindowTitle));
    setAccessibleName(windowTitle());
    m_browser->setAccessibleName(QStringLiteral("Help text"));
    m_browser->setOpenLinks(true);
    m_browser->setOpenExternalLinks(false);

    // The keys a browser has for its history, besides the buttons.
    m_back->setIcon(style()->standardIcon(QStyle::SP_ArrowBack));
    m_back->setShortcut(QKeySequence::Back);
    m_back->setEnabled(false);
    m_forward->setIcon(style()->standardIcon(QStyle::SP_ArrowForward));
    m_forward->setShortcut(QKeySequence::Forward);
    m_forward->setEnabled(false);
    for (QPushButton* b : {m_back, m_forward, m_contents}) {
        b->setAccessibleName(QString(b->text()).remove(QLatin1Char('&')));
        b->setAutoDefault(false);
    }
    connect(m_back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(m_forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(m_contents, &QPushButton::clicked, m_browser, &QTextBrowser::home);
    connect(m_browser, &QTextBrowser::backwardAvailable, m_back, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, m_forward, &QWidget::setEnabled);
    auto* history = new QHBoxLayout;
    history->addWidget(m_back);
    history->addWidget(m_forward);
    history->addWidget(m_contents);
    history->addStretch(1);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setAccessibleName(QStringLiteral("Close"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(history);
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
