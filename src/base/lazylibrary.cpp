#include "base/lazylibrary.h"

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <system_error>

std::string CLazyLibrary::ModulePath(const std::string& file, const std::string& installed)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    if (ec)
        return file; // the loader's own search then
    const fs::path beside = program.parent_path() / file;
    if (fs::exists(beside, ec))
        return beside.string();
    return (program.parent_path() / installed / file).lexically_normal().string();
}

bool CLazyLibrary::Load()
{
    std::call_once(m_once, [this] {
        // Local: its symbols never stand in for the forwarding definitions.
        m_handle = dlopen(m_file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!m_handle) {
            const char* why = dlerror();
            m_error = why ? why : m_file;
            // Said once, where a user of the command line or a bug report
            // sees it; the caller then refuses the file it was given.
            if (m_need == Needed)
                std::fprintf(stderr, "zelm: %s\n", m_error.c_str());
        }
    });
    return m_handle != nullptr;
}

std::string CLazyLibrary::Error()
{
    Load();
    return m_error;
}

void* CLazyLibrary::Symbol(const char* symbol)
{
    return Load() ? dlsym(m_handle, symbol) : nullptr;
}

void* CLazyLibrary::Required(const char* symbol)
{
    if (void* address = Symbol(symbol))
        return address;
    std::fprintf(stderr, "zelm: %s of %s cannot be loaded: %s\n", symbol, m_file.c_str(),
                 m_handle ? "the library lacks it" : m_error.c_str());
    std::abort();
}
