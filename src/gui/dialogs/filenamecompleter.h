#pragma once

class QLineEdit;
class QObject;
class QFileInfo;
class QString;

// Completes file names in a line edit from the folders' listings alone. The
// completers Qt's own dialogs bring learn each file's type from its
// contents, and a file that never answers (a pipe, /proc/kmsg) then holds
// the window for good; this one reads no file's contents.
class CFileNameCompleter
{
public:
    // Gives `edit` such a completer in place of the one it has.
    static void Install(QLineEdit* edit);
    // Replaces the completer of every line edit under `dialog` that
    // completes from the file system.
    static int InstallInFileFields(QObject* dialog);
    // The type a name is shown with: told by the kind of entry only.
    static QString TypeOf(const QFileInfo& info);
};
