#pragma once

#include <mutex>
#include <string>
#include <utility>

// A shared library loaded at its first use instead of at the program's
// start. The codecs of rarer formats (HEIF, WebP, TIFF, zipped and compound
// presentations) bring some thirty libraries with them; loading them all
// cost every run of the command line about 15 ms, which an import or a send
// that never meets such a file paid for nothing.
//
// The library's functions keep their names: a file of forwarding
// definitions (ZELM_LAZY_FUNCTION) defines each function the program calls,
// with the declaration of the library's own header, as a call of the real
// one found at the first call. The library is not linked, so nothing else
// binds to the forwarding definitions.
class CLazyLibrary
{
public:
    enum Need
    {
        Needed,   // its absence is said on the error output
        Optional, // the program does without it: nothing is said
    };
    // `file`: a library's SONAME, or the full path of a module of its own.
    explicit CLazyLibrary(std::string file, Need need = Needed)
        : m_file(std::move(file)), m_need(need)
    {}
    CLazyLibrary(const CLazyLibrary&) = delete;
    CLazyLibrary& operator=(const CLazyLibrary&) = delete;

    // The path of the program's own module `file`: beside the running
    // program (a build folder) or, installed, in `installed` relative to it.
    static std::string ModulePath(const std::string& file, const std::string& installed);

    // Loads the library once (any thread); false when it cannot be, Error
    // then says why.
    bool Load();
    std::string Error();
    const std::string& Name() const { return m_file; }

    // The address of `symbol`, nullptr when the library or the symbol is
    // missing.
    void* Symbol(const char* symbol);
    // The same for a forwarding definition, which has no way to fail: a
    // missing library or function (a broken installation, since the package
    // depends on the library) stops the program with a message naming both.
    void* Required(const char* symbol);

private:
    std::string m_file;
    Need m_need;
    std::once_flag m_once;
    void* m_handle = nullptr;
    std::string m_error;
};

// Defines the C function `name` (its declaration already seen in the
// library's header) as a call of the one in `library`:
//   ZELM_LAZY_FUNCTION(Tiff(), void, TIFFClose, (TIFF* t), t)
#define ZELM_LAZY_FUNCTION(library, result, name, parameters, ...)                                 \
    extern "C" result name parameters                                                              \
    {                                                                                              \
        static const auto real = reinterpret_cast<decltype(&name)>((library).Required(#name));     \
        return real(__VA_ARGS__);                                                                  \
    }
