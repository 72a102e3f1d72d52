#pragma once

#include "document/zurdoc.h"

#include <QDialog>

class CParsedEdit;
class CUserPrompt;
class QButtonGroup;
class QComboBox;
class QLineEdit;

// Name, folder, background colour and image quality of a new project, or of
// the open project (edit mode). The folder follows the name as it is typed;
// OK runs CProjectDlgChecks and creates the folder.
class CProjectDlg : public QDialog
{
    Q_OBJECT
public:
    // New project: `settings.folder` is the proposed location. Edit mode:
    // the project's own settings.
    CProjectDlg(const CProjectSettings& settings, bool editMode, CUserPrompt* prompt,
                QWidget* parent = nullptr);

    // The answer after OK: folder with a trailing '/'.
    const CProjectSettings& Settings() const { return m_settings; }
    // The folder the project folder is made in.
    QString BaseFolder() const { return m_base; }
    // What Browse does after the user chose `folder`.
    void ChooseBaseFolder(const QString& folder);

    void accept() override;

private:
    void Browse();
    void NameTyped();

    CProjectSettings m_settings;
    bool m_editMode;
    CUserPrompt* m_prompt;
    QString m_base;
    std::string m_currentFolder;
    CParsedEdit* m_name = nullptr;
    QLineEdit* m_folder = nullptr;
    QComboBox* m_colour = nullptr;
    QButtonGroup* m_quality = nullptr;
};
