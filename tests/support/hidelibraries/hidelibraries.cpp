// Preloaded into the command line by tests (LD_PRELOAD): dlopen refuses
// every library whose name contains one of the colon-separated words of
// ZELM_TEST_HIDDEN_LIBRARIES, as a system without that library would.
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <string_view>

extern "C" void* dlopen(const char* file, int mode)
{
    using Dlopen = void* (*)(const char*, int);
    static const auto real = reinterpret_cast<Dlopen>(dlsym(RTLD_NEXT, "dlopen"));
    const char* hidden = std::getenv("ZELM_TEST_HIDDEN_LIBRARIES");
    if (file && hidden) {
        const std::string_view name(file);
        std::string_view words(hidden);
        while (!words.empty()) {
            const size_t colon = words.find(':');
            const std::string_view word = words.substr(0, colon);
            if (!word.empty() && name.find(word) != std::string_view::npos)
                return nullptr;
            words = colon == std::string_view::npos ? std::string_view() : words.substr(colon + 1);
        }
    }
    return real(file, mode);
}
