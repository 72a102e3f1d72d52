#pragma once

#include <QDockWidget>
#include <string>

class CDirTreeCtrl;
class CDriveComboBox;
class QComboBox;

// The "folders" pane: the file-type selector, the drive selector and the
// folder tree.
class CFolderDlgBar : public QDockWidget
{
    Q_OBJECT
public:
    explicit CFolderDlgBar(QWidget* parent = nullptr);

    CDirTreeCtrl* Tree() const { return m_tree; }
    QComboBox* FileTypes() const { return m_types; }
    CDriveComboBox* Drives() const { return m_drives; }
    // The pattern list of the chosen file type; records the choice.
    std::string GetFileTypePattern();
    int FileTypeIndex() const { return m_typeIndex; }
    // Index 0 joins the patterns of 1 to 3; "" for others.
    static std::string GetPatternForIndex(int index);

private:
    QComboBox* m_types;
    CDriveComboBox* m_drives;
    CDirTreeCtrl* m_tree;
    std::string m_pattern;
    int m_typeIndex = -1;
};
