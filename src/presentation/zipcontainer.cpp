#include "presentation/zipcontainer.h"

#include "presentation/containerlibraries.h"

#include <fcntl.h>
#include <unistd.h>
#include <zip.h>

CZipContainer::~CZipContainer()
{
    if (m_zip)
        zip_discard(m_zip);
}

namespace {

// A zip begins with a local file header (or, empty, with its end record).
bool LooksLikeZip(const QByteArray& head)
{
    return head.startsWith(QByteArray("PK\x03\x04", 4)) ||
           head.startsWith(QByteArray("PK\x05\x06", 4));
}

// Why libzip could not open what it was given: a file that begins as a zip
// but whose directory is missing or does not fit (a copy cut short) is a
// damaged zip, not some other kind of file.
CZipContainer::Status Unopened(int error, const QByteArray& head)
{
    switch (error) {
    case ZIP_ER_INCONS:
    case ZIP_ER_READ:
    case ZIP_ER_SEEK:
    case ZIP_ER_EOF:
        return CZipContainer::Damaged;
    case ZIP_ER_NOZIP:
        return LooksLikeZip(head) ? CZipContainer::Damaged : CZipContainer::NotZip;
    default:
        return CZipContainer::NotZip;
    }
}

QByteArray FileHead(const std::string& path)
{
    char head[4] = {};
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    const ssize_t n = ::read(fd, head, sizeof head);
    ::close(fd);
    return n > 0 ? QByteArray(head, int(n)) : QByteArray();
}

} // namespace

CZipContainer::Status CZipContainer::Opened(zip* archive)
{
    if (!archive)
        return NotZip;
    const zip_int64_t entries = zip_get_num_entries(archive, 0);
    if (entries < 0 || entries > kMaxEntries) {
        zip_discard(archive);
        return Damaged;
    }
    m_zip = archive;
    return Ok;
}

CZipContainer::Status CZipContainer::OpenFile(const std::string& path)
{
    if (!CContainerLibraries::Zip().Load())
        return NotZip;
    int error = 0;
    zip* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
    return archive ? Opened(archive) : Unopened(error, FileHead(path));
}

CZipContainer::Status CZipContainer::OpenBytes(const QByteArray& bytes)
{
    if (!CContainerLibraries::Zip().Load())
        return NotZip;
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source =
        zip_source_buffer_create(bytes.constData(), zip_uint64_t(bytes.size()), 0, &error);
    zip_error_fini(&error);
    if (!source)
        return NotZip;
    zip_error_init(&error);
    zip* archive = zip_open_from_source(source, ZIP_RDONLY, &error);
    // The structure's own field: the library's accessors are not all loaded.
    const int code = error.zip_err;
    zip_error_fini(&error);
    if (!archive) {
        zip_source_free(source);
        return Unopened(code, bytes.left(4));
    }
    return Opened(archive);
}

bool CZipContainer::Has(const std::string& name) const
{
    return m_zip && zip_name_locate(m_zip, name.c_str(), ZIP_FL_NOCASE) >= 0;
}

CZipContainer::Status CZipContainer::Read(const std::string& name, QByteArray& out)
{
    out.clear();
    if (!m_zip)
        return Missing;
    const zip_int64_t index = zip_name_locate(m_zip, name.c_str(), ZIP_FL_NOCASE);
    if (index < 0)
        return Missing;
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_stat_index(m_zip, zip_uint64_t(index), 0, &stat) != 0)
        return Damaged;
    if ((stat.valid & ZIP_STAT_SIZE) && stat.size > zip_uint64_t(kMaxPartBytes))
        return Damaged;
    zip_file_t* file = zip_fopen_index(m_zip, zip_uint64_t(index), 0);
    if (!file)
        return Damaged; // encrypted entries included: no password is asked
    // Read in pieces up to the bounds: the sizes the entry states are not
    // trusted.
    char piece[64 * 1024];
    Status status = Ok;
    for (;;) {
        const zip_int64_t n = zip_fread(file, piece, sizeof piece);
        if (n < 0) {
            status = Damaged;
            break;
        }
        if (n == 0)
            break;
        m_totalRead += n;
        if (out.size() + n > kMaxPartBytes || m_totalRead > kMaxTotalBytes) {
            status = Damaged;
            break;
        }
        out.append(piece, qsizetype(n));
    }
    zip_fclose(file);
    if (status != Ok)
        out.clear();
    return status;
}
