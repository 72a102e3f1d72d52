#pragma once

#include <string>
#include <vector>

// Name look-ups in a card's folders. A card's FAT file system finds TRIP.SIT
// when the file is Trip.sit; a card that is a plain folder on a case-sensitive
// file system must behave the same, so every look-up here ignores ASCII case.
class CCardFolder
{
public:
    enum EntryKind
    {
        AnyEntry,
        FileEntry,
        FolderEntry
    };

    // The full path of the entry of `folder` (trailing '/') named `name`
    // without regard to ASCII case, of the wanted kind; an exact match wins
    // over others. "" when there is none or `name` is not a plain name.
    static std::string Find(const std::string& folder, const std::string& name,
                            EntryKind kind = AnyEntry);
    // The existing entry's path when there is one, else folder + name.
    static std::string PathFor(const std::string& folder, const std::string& name,
                               EntryKind kind = AnyEntry);
    // The names of the ordinary files of `folder` whose extension equals
    // `extension` (".SIT") without regard to ASCII case, in directory order
    // sorted by name without regard to ASCII case.
    static std::vector<std::string> FilesWithExtension(const std::string& folder,
                                                       const std::string& extension);
    // A name that stays inside its folder: not empty, not "." or "..", no '/',
    // no '\\' (a separator on the card's own system) and no NUL.
    static bool IsPlainName(const std::string& name);
    // The name up to (not including) its last '.'; the whole name when it has
    // none, so that a name without a dot never stands for the folder itself.
    // (Names are compared with CAsciiCase.)
    static std::string BaseName(const std::string& name);
};
