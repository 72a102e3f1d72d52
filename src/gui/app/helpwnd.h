#pragma once

#include <QDialog>

class QTextBrowser;

// The help pages shown inside the program, for a desktop where no browser
// opens them: the bundled pages in a text browser, links between them
// followed in place.
class CHelpWnd : public QDialog
{
    Q_OBJECT
public:
    // `page` is the start page (a local file); false from Load when it
    // cannot be read.
    explicit CHelpWnd(QWidget* parent = nullptr);
    bool Load(const QString& page);
    QTextBrowser* Browser() const { return m_browser; }

private:
    QTextBrowser* m_browser;
};
