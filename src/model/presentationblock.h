#pragma once

#include <QByteArray>
#include <string>

// The transfer block ("CellInfo List" bytes) that stands for a whole
// presentation: one image cell naming the file with page 0, in a list whose
// folder is the presentation's folder. Inserting it expands the cell into
// one cell per slide of the presentation's slide show. Empty (none) for an
// empty path or a file whose status cannot be read.
QByteArray MakePresentationBlock(const std::string& presentation);
