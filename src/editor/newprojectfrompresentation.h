#pragma once

#include <QByteArray>
#include <functional>
#include <string>

class CScenarioEditor;
class CZurDoc;

// The command "new project from a presentation": the next free "ZUR0001"...
// folder of the home folder becomes a new project, saved at once, and the
// presentation's slides are inserted into it as a paste of the transfer
// block of the whole presentation (one cell per slide of its show). It
// stands above the document and the editor: the document knows nothing of
// the insertion, the editor nothing of the new folder.
class CNewProjectFromPresentation
{
public:
    // Takes the block in; false when it could not (the project is given up).
    using Inserter = std::function<bool(const QByteArray& block)>;

    // The slides go in through `editor` (an editor over `doc`).
    CNewProjectFromPresentation(CZurDoc& doc, CScenarioEditor& editor);
    // The slides go to `insert`; an empty one refuses them.
    CNewProjectFromPresentation(CZurDoc& doc, Inserter insert);

    // Makes the project in the document (whatever it held is closed first)
    // and inserts the slides. `projectFile` receives the project file; it is
    // empty after a failure, which was told through the document's prompt
    // and leaves no folder this command made.
    bool Run(const std::string& presentation, std::string& projectFile);
    // Whether the last Run made the project's folder (rather than reusing
    // an existing one the user allowed).
    bool MadeFolder() const { return m_madeFolder; }

private:
    CZurDoc& m_doc;
    Inserter m_insert;
    bool m_madeFolder = false;
};
