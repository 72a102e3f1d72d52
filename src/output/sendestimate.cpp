#include "output/sendestimate.h"

#include "model/cellinfo.h"
#include "model/cellinfolist.h"
#include "output/cardfolder.h"

#include <filesystem>
#include <sys/statvfs.h>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr uint64_t kPixels = 1024 * 768;
// A 24-bit bottom-up BMP of 1024 x 768 needs no row padding.
constexpr uint64_t kBmpBytes = 54 + kPixels * 3;
// Bits per pixel of a detailed photo in a baseline JPEG at the qualities the
// card pictures use (75 at image quality 2, 90 at 1, 95 otherwise), and of
// the 160 x 120 thumbnails (95).
constexpr uint64_t kJpegHeader = 700;
constexpr uint64_t kThumbBytes = kJpegHeader + 160 * 120 * 4 / 8;
// Each row of the scenario file, and its head.
constexpr uint64_t kScenarioRow = 80;
constexpr uint64_t kScenarioHead = 256;

uint64_t pictureBytes(int imageQuality)
{
    switch (imageQuality) {
    case 0:
        return kBmpBytes;
    case 2:
        return kJpegHeader + kPixels * 2 / 8;
    case 1:
        return kJpegHeader + kPixels * 3 / 8;
    default:
        return kJpegHeader + kPixels * 4 / 8;
    }
}

uint64_t allocated(uint64_t bytes, uint64_t unit)
{
    return unit > 1 ? (bytes + unit - 1) / unit * unit : bytes;
}

// The room the scenario `name` on the card at `card` (trailing '/') takes:
// its file and the files of its folder.
uint64_t scenarioBytes(const std::string& card, const std::string& name, uint64_t unit)
{
    if (name.empty() || !CCardFolder::IsPlainName(name))
        return 0;
    uint64_t total = 0;
    std::error_code ec;
    const std::string file = CCardFolder::Find(card, name + ".sit", CCardFolder::FileEntry);
    if (!file.empty()) {
        const uintmax_t size = fs::file_size(fs::path(file), ec);
        if (!ec)
            total += allocated(size, unit);
    }
    // A folder that is a link is not the card's room.
    const std::string folder = CCardFolder::Find(card, name, CCardFolder::FolderEntry);
    if (folder.empty() || fs::is_symlink(fs::path(folder), ec))
        return total;
    for (fs::directory_iterator it(fs::path(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code fileError;
        if (it->is_regular_file(fileError)) {
            const uintmax_t size = it->file_size(fileError);
            if (!fileError)
                total += allocated(size, unit);
        }
    }
    return total;
}

} // namespace

uint64_t CSendEstimate::CardBytes(int pictures, int steps, int imageQuality, uint64_t unit)
{
    const uint64_t each =
        allocated(pictureBytes(imageQuality), unit) + allocated(kThumbBytes, unit);
    return uint64_t(pictures) * each +
           allocated(kScenarioHead + uint64_t(steps) * kScenarioRow, unit);
}

uint64_t CSendEstimate::Growth(const CCellInfoList& cells, int imageQuality,
                               const std::string& name, const std::string& root)
{
    int pictures = 0, steps = 0;
    for (int i = 0; i < cells.GetCount(); ++i) {
        const CCellInfo* cell = cells.GetAt(i);
        if (!cell->IsVisible())
            continue;
        ++steps;
        if (cell->CellType == CCellInfo::Type::Image)
            ++pictures;
    }
    std::string card = root;
    if (card.empty() || card.back() != '/')
        card += '/';
    struct statvfs vfs
    {
    };
    const uint64_t unit = statvfs(card.c_str(), &vfs) == 0 ? uint64_t(vfs.f_frsize) : 1;
    const uint64_t need = CardBytes(pictures, steps, imageQuality, unit);
    const uint64_t old = scenarioBytes(card, name, unit);
    return need > old ? need - old : 0;
}
