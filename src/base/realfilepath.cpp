#include "base/realfilepath.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string RealFilePath(const std::string& path)
{
    if (path.empty())
        return path;
    std::error_code ec;
    const fs::path absolute = fs::absolute(fs::path(path), ec);
    if (ec)
        return path;
    const fs::path real = fs::weakly_canonical(absolute, ec);
    return ec ? absolute.lexically_normal().string() : real.string();
}
