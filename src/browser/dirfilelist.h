#pragma once

#include "base/volumelist.h"
#include "browser/dirfileinfo.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// The entries of the folder the browser shows: its folders first, then the
// files that match a pattern list, optionally checked by content. Dot files
// are left out. A full fill lists the folder anew; an update keeps the
// entries (so a view keeps its items, selection and scroll position), marks
// those seen again with FlagSeen and adds new ones with FlagAdded; entries
// with neither flag are gone and are taken out with TakeGone.
//
// The empty folder path stands for the top level: the home folder and the
// volumes of the volume source, each an entry with ShellFileSysAncestor.
class CDirFileList
{
public:
    enum CheckMode
    {
        CheckNone = 0,
        CheckWord = 1,
        CheckExcel = 2,
        CheckPowerPoint = 3,
        CheckByExtension = 4
    };
    using VolumeSource = std::function<std::vector<CVolumeList::Volume>()>;

    CDirFileList();
    ~CDirFileList();
    CDirFileList(const CDirFileList&) = delete;
    CDirFileList& operator=(const CDirFileList&) = delete;

    // Lists `folderPath` (full true) or updates the entries of the folder
    // listed before (full false; `folderPath` is then ignored). false when
    // the folder cannot be read (LastError tells why); a failed full fill
    // leaves the list empty.
    bool Fill(const std::string& folderPath, const std::string& patterns, bool full, int checkMode);
    void Clear();
    int GetCount() const { return int(m_entries.size()); }
    CDirFileInfo* GetAt(int index) const { return m_entries[size_t(index)].get(); }
    int IndexOf(const CDirFileInfo* entry) const;
    // The entry of that name: exact first (names differing in case are two
    // files here), then ignoring ASCII case; nullptr when none.
    CDirFileInfo* FindByName(const std::string& name) const;
    void MarkEntry(int index, uint32_t bits);
    void ClearFlags();
    // Removes the entries that carry neither FlagAdded nor FlagSeen and
    // hands them over, in list order.
    std::vector<std::unique_ptr<CDirFileInfo>> TakeGone();
    // Removes one entry (after the file list let go of it).
    std::unique_ptr<CDirFileInfo> Take(CDirFileInfo* entry);
    // Tells the list that `entry` now has the name it carries.
    void Rename(CDirFileInfo* entry, const std::string& oldName);
    // The folder path with a trailing '/', "" at the top level.
    std::string GetFolderPath() const;
    int LastError() const { return m_error; }

    void SetVolumeSource(VolumeSource source) { m_volumes = std::move(source); }
    // The machine's volumes; the volumes are read again (with their labels
    // and free space) only when the mount table changed, so asking often is
    // cheap and never waits for a slow network volume.
    static std::vector<CVolumeList::Volume> SystemVolumes();
    // The check mode of a file-type index of the browser's type selector.
    static int CheckModeForType(int typeIndex);
    // Whether a file passes the content check of `mode` (a version of 8 or
    // more); files of other kinds pass mode 4 unchecked.
    static bool PassesCheck(const std::string& path, const std::string& name, int mode);

private:
    CDirFileInfo* Upsert(const std::string& name, bool& added);
    bool FillTopLevel();

    std::vector<std::unique_ptr<CDirFileInfo>> m_entries;
    std::unordered_map<std::string, CDirFileInfo*> m_byName;
    std::string m_folderPath;
    VolumeSource m_volumes;
    int m_error = 0;
};
