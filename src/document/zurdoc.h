#pragma once

#include "document/zurdoclisteners.h"
#include "imaging/imaginghost.h"
#include "model/cellhost.h"
#include "model/cellinfolist.h"

#include <QByteArray>
#include <QDateTime>
#include <cstdint>
#include <string>

class CProgress;
class CProjectFile;
class CUserPrompt;
class CZurDocListener;
class CZurDocObserver;

// What a new-project or properties dialog returns.
struct CProjectSettings
{
    std::string name;
    std::string folder;     // the project folder, trailing '/'
    uint32_t backColor = 0; // 0x00BBGGRR
    int32_t imageQuality = 2;
};

// One open project: its fields, its cells and its life cycle (new, open,
// save, save as, properties, close). Widget-free; it asks through the
// prompt, shows long work through the progress and tells its views through
// its listeners (CZurDocListener: rows, title, modified flag, busy state);
// the observer (the editing controller) is told what it must act on.
//
// The project folder of an opened project is the folder its file was found
// in, whatever folder the file records: a project opens wherever it was
// copied or moved to, and no operation of the document touches files outside
// that folder.
class CZurDoc : public CCellHost
{
public:
    explicit CZurDoc(CUserPrompt* prompt = nullptr);
    // Closes the project as CloseWithoutSaving does.
    ~CZurDoc() override;
    CZurDoc(const CZurDoc&) = delete;
    CZurDoc& operator=(const CZurDoc&) = delete;

    // Fields back to their defaults; added cells go with their files, deleted
    // cells come back only to be dropped without touching their files.
    void DeleteContents();
    // A new project from the dialog's answer: the folder exists; writes the
    // project file at once.
    bool NewProject(const CProjectSettings& settings);
    // Reads the project file (7126 when it is not a valid project; the
    // document is then empty). Version 2 and up: cells whose thumbnail cannot
    // be had are marked deleted. Older versions are upgraded when the user
    // agrees.
    bool Open(const std::string& projectFile);
    // The cells the last Open read from the file, and how many of them it
    // left out (a picture missing, damaged or outside the folder): the
    // cells `zelm check` reports as dropped. A save drops them for good.
    int CellsRead() const { return m_cellsRead; }
    int CellsLeftOut() const { return m_cellsLeftOut; }
    // Tells the user, in one message naming the file, that the last Open
    // left cells out and that saving drops them; nothing when none.
    void TellCellsLeftOut() const;
    // Saves to `path` (default: the document's own path).
    bool Save(const std::string& path = {});
    // Save as / project properties with the dialog's answer. The dialog's
    // checks (name, folder, question 7117, folder creation) are done before.
    // On failure the document is as it was before the call.
    bool SaveAs(const std::string& newName, const std::string& newFolder);
    bool ChangeProperties(const CProjectSettings& settings);
    // Closing without saving: the same as DeleteContents. Refused (false)
    // while the project is busy.
    bool CloseWithoutSaving();

    // The full path of the project file: the file that was opened or last
    // saved, else ProjectPath + ProjectName + ".sic".
    std::string GetPathName() const;
    bool IsModified() const { return m_modified; }
    // Tells the listeners when the flag changes.
    void SetModifiedFlag(bool modified = true);
    void SetObserver(CZurDocObserver* observer) { m_observer = observer; }
    CZurDocObserver* Observer() const { return m_observer; }
    CUserPrompt* Prompt() const { return m_prompt; }
    void SetPrompt(CUserPrompt* prompt) { m_prompt = prompt; }
    // The progress window for long work (the upgrade); may be null.
    void SetProgress(CProgress* progress) { m_progress = progress; }
    CProgress* Progress() const { return m_progress; }
    // Everything changed: the observer rebuilds its rows, the listeners get
    // a reset. Only for real resets; the editor reports finer changes.
    void UpdateAllViews();

    // Views that follow the document (any number; see CZurDocListener). The
    // document does not own them; a listener removes itself before it goes.
    void AddListener(CZurDocListener* listener) { m_listeners.Add(listener); }
    void RemoveListener(CZurDocListener* listener) { m_listeners.Remove(listener); }
    CZurDocListeners& Listeners() { return m_listeners; }

    // Whether a long operation runs on the project (see CBusyGuard).
    bool IsBusy() const { return m_busyDepth > 0; }
    // True, after telling the user, when the project is busy: the caller
    // then gives up the command that would change or close the project.
    bool RefuseWhileBusy() const;

    // CCellHost: the image services (CImagingHost), the project's own
    // pictures after a quiet space check.
    int CreateWorkImage(const std::string& source, const std::string& destination,
                        QSize& size) override;
    int CreateThumbImage(const std::string& source, const std::string& destination, int thumbWidth,
                         int thumbHeight, QSize& size) override;
    int CreateCardImage(const std::string& source, const std::string& destination,
                        bool thumbnail) override;
    // A slide of a presentation as a picture (the single-slide export).
    bool ExportPresentationSlide(const std::string& presentation, int page,
                                 const std::string& destination, int width, int height) override;

    // The project file's view of the fields, and back.
    void FieldsTo(CProjectFile& file) const;
    void FieldsFrom(const CProjectFile& file);

    std::string ProjectName;
    std::string ProjectPath;
    uint32_t BackColor = 0;
    int32_t ImageQuality = 2;
    int32_t Version = 2;
    QDateTime CreateDateTime; // invalid: the zero date
    QDateTime LastWriteDateTime;
    CCellInfoList Cells;

private:
    friend class CBusyGuard;
    // The work of Save without the busy check, for the operations that save
    // as one of their steps.
    bool SaveFile(const std::string& path);
    // Tells the listeners when GetPathName() is no longer what they showed.
    void NoteTitle();

    enum class Relocation
    {
        Saved,
        Unchanged,
        Failed
    };
    // Steps shared by Save as and Project properties: copy the files into a
    // new folder when it differs, take the new name and save there.
    Relocation Relocate(const std::string& newName, const std::string& newFolder);

    CUserPrompt* m_prompt = nullptr;
    CZurDocObserver* m_observer = nullptr;
    CProgress* m_progress = nullptr;
    bool m_modified = false;
    std::string m_pathName;
    std::string m_shownTitle;
    int m_cellsRead = 0;
    int m_cellsLeftOut = 0;
    int m_busyDepth = 0;
    CZurDocListeners m_listeners;
    // The document's own imaging (on the window's thread).
    CImagingHost m_imaging{0, 2, CImagingHost::CheckWorkAndThumb};
};
