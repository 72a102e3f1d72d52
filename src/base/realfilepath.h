#pragma once

#include <string>

// The path of the file `path` reaches, with every symbolic link on the way
// (the file's own and its folders') followed, so that a project opened
// through a link is the project it points to. A part that does not exist
// yet is kept as given; a path that cannot be resolved (a link loop) comes
// back absolute, unresolved.
std::string RealFilePath(const std::string& path);
