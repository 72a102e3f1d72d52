#pragma once

#include <string_view>

class CCellInfoList;
class CProjectFile;

// Reads the lines of a project text into `file`'s fields and appends its
// cells to `cells`: one handler per section, each switching on the line's
// key. False at the first line that refuses the whole text (a field given
// twice, a section twice, a cell key outside a cell of its kind, too many
// cells). The fields must start from their defaults.
bool ReadProjectLines(std::string_view text, CProjectFile& file, CCellInfoList& cells);
