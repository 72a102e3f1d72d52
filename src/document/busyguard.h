#pragma once

class CZurDoc;

// Marks a project busy for the life of the object: a long operation
// (insertion, expansion, save with picture rebuild, Send, Save as, project
// properties) holds one while it runs. Meanwhile every command that would
// change or close the project is refused (CZurDoc::RefuseWhileBusy), also
// one started from inside the operation's own progress callback; the window
// program greys such commands out (CZurDocListener::BusyChanged). Guards
// nest: the project is free again when the outermost one ends. While any
// project of the program is busy, no other starts a long operation
// (RefuseSecondOperation).
class CBusyGuard
{
public:
    explicit CBusyGuard(CZurDoc& doc);
    ~CBusyGuard();
    CBusyGuard(const CBusyGuard&) = delete;
    CBusyGuard& operator=(const CBusyGuard&) = delete;

    // Whether a long operation runs on any project of the program.
    static bool AnyRunning();
    // Before a long operation on `doc` starts: true, after telling the user
    // (ProjectBusy), when this project or any other of the program is busy.
    // One long operation runs at a time, so that one started from another
    // window while a progress window pumps events never nests inside it.
    static bool RefuseSecondOperation(const CZurDoc& doc);

private:
    CZurDoc& m_doc;
};
