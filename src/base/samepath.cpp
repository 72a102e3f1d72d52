#include "base/samepath.h"

#include <filesystem>
#include <system_error>

namespace {

std::string withoutTrailingSlash(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

} // namespace

bool IsSamePath(const std::string& a, const std::string& b)
{
    const std::string x = withoutTrailingSlash(a);
    const std::string y = withoutTrailingSlash(b);
    if (x.empty() || y.empty())
        return x == y;
    std::error_code ec;
    const std::filesystem::path px(x), py(y);
    if (std::filesystem::exists(px, ec) && std::filesystem::exists(py, ec)) {
        const bool same = std::filesystem::equivalent(px, py, ec);
        if (!ec)
            return same;
    }
    return x == y;
}
