#pragma once

#include <QDialog>
#include <string>

class CParsedEdit;
class CUserPrompt;
class QLineEdit;

// New name and folder of a project saved elsewhere. The folder follows the
// name as it is typed; OK refuses the project's own folder and creates the
// new one.
class CSaveAsDlg : public QDialog
{
    Q_OBJECT
public:
    CSaveAsDlg(const std::string& name, const std::string& folder, CUserPrompt* prompt,
               QWidget* parent = nullptr);

    // The answer after OK (folder with a trailing '/').
    const std::string& Name() const { return m_name; }
    const std::string& Folder() const { return m_folder; }
    QString BaseFolder() const { return m_base; }
    void ChooseBaseFolder(const QString& folder);

    void accept() override;

private:
    void Browse();

    std::string m_name;
    std::string m_folder;
    std::string m_currentFolder;
    CUserPrompt* m_prompt;
    QString m_base;
    CParsedEdit* m_nameEdit = nullptr;
    QLineEdit* m_folderEdit = nullptr;
};
