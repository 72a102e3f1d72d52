#pragma once

#include <QDialog>

class QPushButton;
class QTextBrowser;

// The help pages shown inside the program, for a desktop where no browser
// opens them: the bundled pages in a text browser, links between them
// followed in place, with Back, Forward and Contents as in a browser.
class CHelpWnd : public QDialog
{
    Q_OBJECT
public:
    // `page` is the start page (a local file); false from Load when it
    // cannot be read.
    explicit CHelpWnd(QWidget* parent = nullptr);
    bool Load(const QString& page);
    QTextBrowser* Browser() const { return m_browser; }
    QPushButton* BackButton() const { return m_back; }
    QPushButton* ForwardButton() const { return m_forward; }
    QPushButton* ContentsButton() const { return m_contents; }

private:
    QTextBrowser* m_browser;
    QPushButton* m_back;
    QPushButton* m_forward;
    QPushButton* m_contents;
};
