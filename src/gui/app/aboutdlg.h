#pragma once

#include <QDialog>

// The about box: the program's picture, title and version, and the versions
// of the libraries this build uses.
class CAboutDlg : public QDialog
{
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    // The lines of library versions the box shows (also used by tests).
    static QStringList LibraryLines();
};
