#pragma once

class CZurDoc;

// Marks a project busy for the life of the object: a long operation
// (insertion, expansion, save with picture rebuild, Send, Save as, project
// properties) holds one while it runs. Meanwhile every command that would
// change or close the project is refused (CZurDoc::RefuseWhileBusy), also
// one started from inside the operation's own progress callback; the window
// program greys such commands out (CZurDocListener::BusyChanged). Guards
// nest: the project is free again when the outermost one ends. An operation
// that runs on the window's thread lets its progress window run the events:
// while one does, no other such operation starts anywhere in the program
// (RefuseSecondOperation), so none nests inside another. A job runs on a
// worker and nests in nothing: it only keeps its own project to itself.
// Guards are made and ended on the document's (the window's) thread.
class CBusyGuard
{
public:
    enum Kind
    {
        InPlace, // runs on the window's thread, its progress running the events
        Job,     // runs on a worker thread
    };

    explicit CBusyGuard(CZurDoc& doc, Kind kind = InPlace);
    ~CBusyGuard();
    CBusyGuard(const CBusyGuard&) = delete;
    CBusyGuard& operator=(const CBusyGuard&) = delete;

    // Whether an operation on the window's thread runs on any project.
    static bool AnyRunning();
    // Before a long operation on `doc` starts on the window's thread: true,
    // after telling the user (ProjectBusy), when this project is busy or an
    // operation of another runs on the window's thread.
    static bool RefuseSecondOperation(const CZurDoc& doc);

private:
    CZurDoc& m_doc;
    Kind m_kind;
};
