#pragma once

#include <QFileDialog>
#include <QStringList>

// The file dialog of Add Slides: several files at once, filtered by the
// kinds of file a slide is made from.
class CAddSlidesDlg : public QFileDialog
{
    Q_OBJECT
public:
    explicit CAddSlidesDlg(QWidget* parent = nullptr);

    // All slide sources, pictures, presentations, PDF documents, all files;
    // made from the program's list of slide sources, in both letter cases
    // (a camera names its photos ".JPG").
    static QStringList NameFilters();
    // The folder the dialog opens in: where the last files were added from.
    static QString StartFolder();
    void accept() override;
};
