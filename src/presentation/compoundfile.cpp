#include "presentation/compoundfile.h"

#include "base/asciicase.h"
#include "presentation/containerlibraries.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-memory.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-input.h>
#include <gsf/gsf-utils.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ZELM_LEAK_CHECKED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define ZELM_LEAK_CHECKED 1
#endif

#ifdef ZELM_LEAK_CHECKED
// libgsf keeps the directory entries it parsed when it gives up on a damaged
// compound file. That memory is the library's, not ours; the leak checker is
// told so, so that it keeps watching our own code.
extern "C" const char* __lsan_default_suppressions()
{
    // The HEVC encoder the tests make HEIC photos with keeps some memory of
    // its own as well.
    return "leak:libgsf-1.so\nleak:libx265.so\n";
}
#endif

namespace {

// False when the library cannot be loaded (a broken installation): the
// file is then refused as not openable.
bool ensureGsf()
{
    if (!CContainerLibraries::Gsf().Load())
        return false;
    static std::once_flag once;
    std::call_once(once, [] {
        gsf_init();
        // A damaged file makes the compound-file reader complain on the
        // terminal; the caller reports the failure once, in its own words.
        g_log_set_handler(
            "libgsf:msole", static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING),
            [](const gchar*, GLogLevelFlags, const gchar*, gpointer) {}, nullptr);
    });
    return true;
}

// Reads as much as the stream yields, in pieces, so a stream whose last
// sectors are missing still gives what it has.
int64_t readInto(GsfInput* input, int64_t count, QByteArray& out)
{
    constexpr int64_t kPiece = 64 * 1024;
    int64_t done = 0;
    while (done < count) {
        const int64_t left = gsf_input_remaining(input);
        const int64_t want = std::min({kPiece, count - done, left});
        if (want <= 0)
            break;
        const guint8* bytes = gsf_input_read(input, static_cast<size_t>(want), nullptr);
        if (!bytes)
            break;
        out.append(reinterpret_cast<const char*>(bytes), static_cast<qsizetype>(want));
        done += want;
    }
    return done;
}

} // namespace

CCompoundFile::CCompoundFile() = default;

CCompoundFile::~CCompoundFile()
{
    Close();
}

void CCompoundFile::Close()
{
    if (m_root)
        g_object_unref(m_root);
    m_root = nullptr;
}

CCompoundFile::OpenResult CCompoundFile::Open(const std::string& path)
{
    Close();
    if (!ensureGsf())
        return NotOpenable;
    // Opened here rather than by libgsf, so that the reason of a refusal is
    // known: no permission counts as a lock, anything else as not openable.
    // Without waiting: a pipe would block the open until a writer comes.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return (errno == EACCES || errno == EPERM || errno == EBUSY || errno == ETXTBSY)
                   ? Locked
                   : NotOpenable;
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return NotOpenable;
    }
    FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        ::close(fd);
        return NotOpenable;
    }
    GsfInput* input = gsf_input_stdio_new_FILE(path.c_str(), file, FALSE);
    if (!input) {
        std::fclose(file);
        return NotOpenable;
    }
    GError* error = nullptr;
    m_root = gsf_infile_msole_new(input, &error);
    g_object_unref(input);
    if (error)
        g_error_free(error);
    return m_root ? Opened : NotOpenable;
}

bool CCompoundFile::OpenBytes(const QByteArray& bytes)
{
    Close();
    if (!ensureGsf())
        return false;
    GsfInput* input = gsf_input_memory_new_clone(reinterpret_cast<const guint8*>(bytes.constData()),
                                                 bytes.size());
    if (!input)
        return false;
    GError* error = nullptr;
    m_root = gsf_infile_msole_new(input, &error);
    g_object_unref(input);
    if (error)
        g_error_free(error);
    return m_root != nullptr;
}

bool CCompoundFile::OpenStorage(const CCompoundFile& parent, const std::string& name)
{
    Close();
    GsfInput* child = parent.OpenChild(name);
    if (!child)
        return false;
    if (!GSF_IS_INFILE(child) || gsf_infile_num_children(GSF_INFILE(child)) < 0) {
        g_object_unref(child);
        return false;
    }
    m_root = GSF_INFILE(child);
    return true;
}

GsfInput* CCompoundFile::OpenChild(const std::string& name) const
{
    if (!m_root)
        return nullptr;
    const int count = gsf_infile_num_children(m_root);
    for (int i = 0; i < count; ++i) {
        const char* entry = gsf_infile_name_by_index(m_root, i);
        if (entry && CAsciiCase::Equal(entry, name))
            return gsf_infile_child_by_index(m_root, i);
    }
    return nullptr;
}

std::vector<std::string> CCompoundFile::StreamNames() const
{
    std::vector<std::string> names;
    const int count = m_root ? gsf_infile_num_children(m_root) : 0;
    for (int i = 0; i < count; ++i) {
        if (const char* name = gsf_infile_name_by_index(m_root, i))
            names.emplace_back(name);
    }
    return names;
}

bool CCompoundFile::HasStream(const std::string& name) const
{
    GsfInput* child = OpenChild(name);
    if (!child)
        return false;
    g_object_unref(child);
    return true;
}

int64_t CCompoundFile::StreamSize(const std::string& name) const
{
    GsfInput* child = OpenChild(name);
    if (!child)
        return -1;
    const int64_t size = gsf_input_size(child);
    g_object_unref(child);
    return size;
}

bool CCompoundFile::ReadStream(const std::string& name, int64_t offset, int64_t count,
                               QByteArray& out) const
{
    out.clear();
    GsfInput* child = OpenChild(name);
    if (!child)
        return false;
    if (offset >= 0 && count > 0 && offset < gsf_input_size(child) &&
        !gsf_input_seek(child, offset, G_SEEK_SET))
        readInto(child, count, out);
    g_object_unref(child);
    return true;
}

bool CCompoundFile::ReadWholeStream(const std::string& name, QByteArray& out, int64_t limit) const
{
    out.clear();
    GsfInput* child = OpenChild(name);
    if (!child)
        return false;
    const int64_t size = gsf_input_size(child);
    bool ok = size >= 0 && size <= limit;
    if (ok) {
        out.reserve(static_cast<qsizetype>(size));
        ok = readInto(child, size, out) == size;
    }
    g_object_unref(child);
    if (!ok)
        out.clear();
    return ok;
}
