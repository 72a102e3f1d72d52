// Feeds arbitrary bytes to the transfer-block reader of the cell list (the
// bytes of the "CellInfo List" clipboard formats) and to the undo-record
// reader. Whatever is read must write back to a block that reads again the
// same way, and the list's file operations on the cells read must stay in
// the list's own (empty, temporary) project folder.
#include "model/cellinfolist.h"
#include "model/undocellinfolist.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// An empty temporary project folder, removed when the fuzzer ends (it stays
// empty: nothing may ever be written there or anywhere else).
struct TempFolder
{
    TempFolder()
    {
        char pattern[] = "/tmp/cellarchive_fuzz.XXXXXX";
        if (!mkdtemp(pattern))
            std::abort();
        path = std::string(pattern) + "/";
    }
    ~TempFolder() { rmdir(path.c_str()); }
    std::string path;
};

const std::string& ProjectFolder()
{
    static const TempFolder folder;
    return folder.path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    CCellInfoList list;
    list.ProjectFolder = ProjectFolder();
    if (list.AppendFromBytes(bytes)) {
        const QByteArray again = list.ToBytes();
        CCellInfoList copy;
        if (!copy.AppendFromBytes(again) || copy.GetCount() != list.GetCount() ||
            copy.ToBytes() != again)
            std::abort();

        // Whatever names the cells carry, these look only into the project
        // folder, which is empty.
        list.ProjectFolder = ProjectFolder();
        list.AssignCardNames("FUZZ");
        (void)list.TotalFileSize(false, true);
        (void)list.FindByFileName("a.png", CCellInfoList::FieldFileName);
        for (int i = 0; i < list.GetCount(); ++i) {
            (void)list.GetAt(i)->GetLabel();
            (void)list.IsFileNameShared(i);
            list.GetAt(i)->StateFlags |= CCellInfo::StateDeleted;
        }
        list.Purge();
        if (!list.IsEmpty())
            std::abort();
    }

    CUndoCellInfoList records;
    if (records.LoadFromBytes(bytes)) {
        const QByteArray again = records.ToBytes();
        CUndoCellInfoList copy;
        if (!copy.LoadFromBytes(again) || copy.ToBytes() != again)
            std::abort();
        records.RestoreAll();
    }
    return 0;
}
