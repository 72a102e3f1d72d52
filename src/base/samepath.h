#pragma once

#include <string>

// Whether two paths name the same file or folder: decided by the file system
// when both exist, by exact comparison otherwise. A trailing '/' is ignored.
bool IsSamePath(const std::string& a, const std::string& b);
