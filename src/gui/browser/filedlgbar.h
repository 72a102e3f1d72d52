#pragma once

#include "browser/dirfilelist.h"

#include <QDockWidget>
#include <string>

class CDirFileInfo;
class CFileListCtrl;
class CFileListModel;
class CIconLoader;
class CSlidePPTObj;
class CThumbnailWnd;
class CUserPrompt;
class QLabel;
class QSplitter;
class QStackedWidget;

// The "files" pane: the file list of the shown folder on the left and the
// preview on the right (a picture, or the slides of a presentation), with a
// movable split between them.
class CFileDlgBar : public QDockWidget
{
    Q_OBJECT
public:
    explicit CFileDlgBar(QWidget* parent = nullptr, CSlidePPTObj* shared = nullptr);
    ~CFileDlgBar() override;

    void SetPrompt(CUserPrompt* prompt);
    CDirFileList& Listing() { return m_list; }
    CFileListModel& Model() { return *m_model; }
    CFileListCtrl* List() const { return m_listCtrl; }
    CThumbnailWnd* Thumbnails() const { return m_thumbnails; }
    QLabel* PreviewPicture() const { return m_picture; }

    // Lists `folder` anew with the pattern list and file-type index; false
    // (with an empty list and a blank caption) when it cannot be read.
    bool ShowFolder(const std::string& folder, const std::string& pattern, int typeIndex);
    // Updates the shown folder in place; false when it cannot be read.
    bool RefreshList();
    void ClearList();
    std::string GetFolderPath() const { return m_list.GetFolderPath(); }
    void SetListViewMode(int style);
    // Shows the preview of the one selected entry, or nothing.
    void UpdatePreview(const CDirFileInfo* entry);
    int FullFills() const { return m_fullFills; }
    int Updates() const { return m_updates; }

Q_SIGNALS:
    void ListFilled(bool full);

private:
    // `text` with zero-width breaks, so that a wrapping label shows all of
    // it however narrow it is.
    static QString Breakable(const QString& text);
    void SetCaption(int id, const std::string& insert, QLabel* label);
    void OnPreviewLoaded(const QString& path, int size, const QImage& image, bool readable);

    CDirFileList m_list;
    CFileListModel* m_model;
    CFileListCtrl* m_listCtrl;
    QLabel* m_folderCaption;
    QLabel* m_previewCaption;
    QStackedWidget* m_previewStack;
    QLabel* m_picture;
    CThumbnailWnd* m_thumbnails;
    CIconLoader* m_previewLoader;
    QSplitter* m_split;
    CUserPrompt* m_prompt = nullptr;
    std::string m_pattern = "*.*";
    int m_checkMode = 0;
    bool m_filling = false;
    QString m_previewPath;
    int m_fullFills = 0;
    int m_updates = 0;
};
