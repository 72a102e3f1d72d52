#pragma once

#include <string>

class CZurDoc;

// Brings an opened project of version 1 up to version 2: every image cell's
// display image and thumbnail are made again in the work folder "Temp2", the
// project file is rewritten there, and then both replace the old ones in the
// project folder. Any failure or a confirmed cancel puts everything back as
// it was: the old project file, the old image files and the cells' names.
class CProjectUpgrade
{
public:
    explicit CProjectUpgrade(CZurDoc& doc) : m_doc(doc) {}
    // Upgrades the document's project (its file is doc.GetPathName()).
    bool Run();

private:
    bool Replace(const std::string& workFolder);

    CZurDoc& m_doc;
};
