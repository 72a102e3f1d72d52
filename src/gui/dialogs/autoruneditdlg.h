#pragma once

#include "base/volumelist.h"
#include "output/autoruneditor.h"

#include <QDialog>
#include <string>
#include <vector>

class CAutorunListWidget;
class CCardComboBox;
class CUserPrompt;
class QCheckBox;

// The card's autorun list: the scenarios on the card beside the list the
// player starts by itself, composed with Add, Remove and drag and drop, and
// written at OK. A list that could only partly be read is shown as far as
// it was read, and is replaced by an empty list only when the user agrees.
class CAutorunEditDlg : public QDialog
{
    Q_OBJECT
public:
    CAutorunEditDlg(const std::vector<CVolumeList::Volume>& volumes, const std::string& root,
                    CUserPrompt* prompt, QWidget* parent = nullptr);

    CAutorunListWidget* AvailableList() const { return m_available; }
    CAutorunListWidget* AutorunList() const { return m_autorun; }
    QCheckBox* RepeatBox() const { return m_repeat; }
    CCardComboBox* Cards() const { return m_cards; }
    // The chosen card's root.
    std::string Root() const { return m_editor.Root(); }
    // Whether the card's list could not be read completely.
    bool ListDamaged() const { return m_damaged; }

    void accept() override;

private:
    void LoadDrive();
    // Tells the user when the list on the card is damaged (and remembers it).
    void NoteDamaged(const std::string& path);
    void ShowAutorun(const std::vector<int>& selection = {});
    void AddSelected();
    void RemoveSelected();
    void Dropped(const QStringList& names, int index, Qt::DropAction action, bool withinList);

    CAutorunEditor m_editor;
    CUserPrompt* m_prompt;
    bool m_damaged = false;
    // The card's root is a mount point: when it no longer is, the card was
    // taken out, and its empty mount folder is no place for the list.
    bool m_mountRoot = false;
    CCardComboBox* m_cards = nullptr;
    CAutorunListWidget* m_available = nullptr;
    CAutorunListWidget* m_autorun = nullptr;
    QCheckBox* m_repeat = nullptr;
};
