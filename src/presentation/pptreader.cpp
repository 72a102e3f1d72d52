#include "presentation/pptreader.h"

#include "presentation/compoundfile.h"

#include <QString>
#include <unordered_map>
#include <unordered_set>

namespace {

// Record types of the binary presentation format.
enum RecordType : uint16_t
{
    RtDocument = 0x03E8,
    RtDocumentAtom = 0x03E9,
    RtSlide = 0x03EE,
    RtNotes = 0x03F0,
    RtMainMaster = 0x03F8,
    RtSlideShowSlideInfoAtom = 0x03F9,
    RtSlidePersistAtom = 0x03F3,
    RtSlideShowDocInfoAtom = 0x0401,
    RtNamedShows = 0x0410,
    RtNamedShow = 0x0411,
    RtNamedShowSlides = 0x0412,
    RtCString = 0x0FBA,
    RtSlideListWithText = 0x0FF0,
    RtUserEditAtom = 0x0FF5,
    RtCurrentUserAtom = 0x0FF6,
    RtPersistDirectoryAtom = 0x1772,
};

constexpr uint32_t kHeaderToken = 0xE391C05Fu;
constexpr uint32_t kEncryptedHeaderToken = 0xF3D1C4DFu;
constexpr int kUserEditLength = 0x1C;
constexpr int kUserEditLengthEncrypted = 0x20;
constexpr int kMaxUserEdits = 4096;
constexpr int64_t kMaxDocumentStream = 512LL * 1024 * 1024;
constexpr int64_t kMaxCurrentUserStream = 64 * 1024;
// The flag of a slide's show settings that hides it in the slide show.
constexpr uint16_t kSlideHidden = 0x0004;

struct Record
{
    uint16_t version = 0;
    uint16_t instance = 0;
    uint16_t type = 0;
    int64_t body = 0;   // offset of the record's data
    int64_t length = 0; // length of the record's data
    int64_t End() const { return body + length; }
};

class Bytes
{
public:
    explicit Bytes(const QByteArray& data) : m_data(data) {}
    int64_t Size() const { return m_data.size(); }
    bool Has(int64_t offset, int64_t count) const
    {
        return offset >= 0 && count >= 0 && offset <= Size() && count <= Size() - offset;
    }
    uint8_t U8(int64_t o) const { return static_cast<uint8_t>(m_data[static_cast<qsizetype>(o)]); }
    uint16_t U16(int64_t o) const { return static_cast<uint16_t>(U8(o) | (U8(o + 1) << 8)); }
    uint32_t U32(int64_t o) const
    {
        return static_cast<uint32_t>(U16(o)) | (static_cast<uint32_t>(U16(o + 2)) << 16);
    }
    int16_t S16(int64_t o) const { return static_cast<int16_t>(U16(o)); }
    int32_t S32(int64_t o) const { return static_cast<int32_t>(U32(o)); }
    // UTF-16LE text of `units` code units at `o`, cut at the first zero.
    std::string Utf16(int64_t o, int64_t units) const
    {
        QString text;
        for (int64_t i = 0; i < units; ++i) {
            const char16_t c = U16(o + 2 * i);
            if (c == 0)
                break;
            text.append(QChar(c));
        }
        return text.toStdString();
    }

    // The record header at `offset`; false unless header and data lie
    // inside [offset, end).
    bool RecordAt(int64_t offset, int64_t end, Record& r) const
    {
        if (end > Size() || !Has(offset, 8) || offset + 8 > end)
            return false;
        const uint16_t vi = U16(offset);
        r.version = vi & 0x0F;
        r.instance = vi >> 4;
        r.type = U16(offset + 2);
        r.body = offset + 8;
        r.length = U32(offset + 4);
        return r.length <= end - r.body;
    }

private:
    const QByteArray& m_data;
};

using Failure = CPptReader::Failure;

// Calls `visit` for each child record of the container [begin, end). A child
// that does not fit makes the whole container damaged.
template <typename Visit>
Failure forEachChild(const Bytes& b, int64_t begin, int64_t end, Visit visit)
{
    int64_t pos = begin;
    while (pos < end) {
        Record r;
        if (!b.RecordAt(pos, end, r))
            return Failure::Damaged;
        if (const Failure f = visit(r); f != Failure::NoFailure)
            return f;
        pos = r.End();
    }
    return Failure::NoFailure;
}

// One list of slides, masters or notes of the document, as its entries give
// it; at most one entry more than a show can address is kept.
struct SlideList
{
    uint16_t instance = 0;
    std::vector<uint32_t> ids;
    std::vector<uint32_t> persistRefs;
    int64_t listed = 0; // the ids above stop one past the most taken
};

Failure readSlideList(const Bytes& b, const Record& list, SlideList& out)
{
    out.instance = list.instance;
    return forEachChild(b, list.body, list.End(), [&](const Record& r) {
        if (r.type != RtSlidePersistAtom)
            return Failure::NoFailure;
        if (r.length < 16)
            return Failure::Damaged;
        ++out.listed;
        if (static_cast<int>(out.ids.size()) <= CPptReader::MaxSlides) {
            out.ids.push_back(b.U32(r.body + 12));
            out.persistRefs.push_back(b.U32(r.body));
        }
        return Failure::NoFailure;
    });
}

using PersistDirectory = std::unordered_map<uint32_t, uint32_t>;

// What a failed read still tells: the count of a list too long.
CPptStructure KeptOnFailure(const CPptStructure& read)
{
    CPptStructure kept;
    kept.listedSlides = read.listedSlides;
    return kept;
}

// The record type of the container the list's first entry names; 0 when it
// cannot be found.
uint16_t firstEntryType(const Bytes& b, const PersistDirectory& persist, const SlideList& list)
{
    if (list.persistRefs.empty())
        return 0;
    const auto found = persist.find(list.persistRefs.front());
    Record r;
    if (found == persist.end() || !b.RecordAt(found->second, b.Size(), r))
        return 0;
    return r.type;
}

// How well `list` fits as the list of the presentation's slides; 0 when it
// cannot be. The instance of the slides tells it, but some writers give
// every list that instance, and some number the lists in the order they
// write them: a list whose entries name slides wins, then one of the
// slides' instance that does not tell what it holds; a list of masters or
// notes of that instance is the last resort.
int slideListRank(const Bytes& b, const PersistDirectory& persist, const SlideList& list)
{
    const uint16_t type = firstEntryType(b, persist, list);
    const bool own = list.instance == 0;
    if (type == RtSlide)
        return own ? 4 : 2;
    if (!own)
        return 0;
    return type == RtMainMaster || type == RtNotes ? 1 : 3;
}

const SlideList* slideListOf(const Bytes& b, const PersistDirectory& persist,
                             const std::vector<SlideList>& lists)
{
    const SlideList* best = nullptr;
    int bestRank = 0;
    for (const SlideList& list : lists) {
        const int rank = slideListRank(b, persist, list);
        if (rank > bestRank) {
            best = &list;
            bestRank = rank;
        }
    }
    return best;
}

Failure readNamedShow(const Bytes& b, const Record& show, CPptStructure& out)
{
    CPptStructure::NamedShow named;
    const Failure f = forEachChild(b, show.body, show.End(), [&](const Record& r) {
        if (r.type == RtCString) {
            named.name = b.Utf16(r.body, r.length / 2);
        } else if (r.type == RtNamedShowSlides) {
            const int64_t count = r.length / 4;
            if (count > CPptReader::MaxSlides) {
                out.listedSlides = count;
                return Failure::TooManySlides;
            }
            for (int64_t i = 0; i < count; ++i)
                named.slideIds.push_back(b.U32(r.body + 4 * i));
        }
        return Failure::NoFailure;
    });
    if (f == Failure::NoFailure)
        out.namedShows.push_back(std::move(named));
    return f;
}

Failure readDocument(const Bytes& b, const Record& doc, const PersistDirectory& persist,
                     CPptStructure& out, std::vector<uint32_t>& persistRefs)
{
    bool haveDocumentAtom = false;
    std::vector<SlideList> lists;
    const Failure f = forEachChild(b, doc.body, doc.End(), [&](const Record& r) {
        switch (r.type) {
        case RtDocumentAtom:
            if (r.length < 40)
                return Failure::Damaged;
            out.slideWidth = b.S32(r.body);
            out.slideHeight = b.S32(r.body + 4);
            out.firstSlideNumber = b.S16(r.body + 32);
            if (out.firstSlideNumber < 0 || out.firstSlideNumber > 9999)
                return Failure::Damaged;
            haveDocumentAtom = true;
            break;
        case RtSlideListWithText:
            lists.emplace_back();
            return readSlideList(b, r, lists.back());
        case RtSlideShowDocInfoAtom: {
            if (r.length < 0x50)
                return Failure::Damaged;
            out.startSlide = b.S16(r.body + 8);
            out.endSlide = b.S16(r.body + 10);
            out.showName = b.Utf16(r.body + 12, 32);
            const uint16_t flags = b.U16(r.body + 76);
            out.rangeType = (flags & 0x08)   ? CPptStructure::RangeNamedShow
                            : (flags & 0x04) ? CPptStructure::RangeSlides
                                             : CPptStructure::RangeAll;
            break;
        }
        case RtNamedShows:
            return forEachChild(b, r.body, r.End(), [&](const Record& show) {
                return show.type == RtNamedShow ? readNamedShow(b, show, out) : Failure::NoFailure;
            });
        default:
            break;
        }
        return Failure::NoFailure;
    });
    if (f != Failure::NoFailure)
        return f;
    if (!haveDocumentAtom)
        return Failure::Damaged;
    if (const SlideList* slides = slideListOf(b, persist, lists)) {
        if (static_cast<int>(slides->ids.size()) > CPptReader::MaxSlides) {
            out.listedSlides = slides->listed;
            return Failure::TooManySlides;
        }
        out.slideIds = slides->ids;
        persistRefs = slides->persistRefs;
    }
    return Failure::NoFailure;
}

// Whether the slide container at `offset` hides its slide in the show. A
// slide whose container cannot be found or read counts as shown: the flag
// only ever switches a slide off.
bool slideHidden(const Bytes& b, int64_t offset)
{
    Record slide;
    if (!b.RecordAt(offset, b.Size(), slide) || slide.type != RtSlide)
        return false;
    bool hidden = false;
    forEachChild(b, slide.body, slide.End(), [&](const Record& r) {
        if (r.type == RtSlideShowSlideInfoAtom && r.length >= 12)
            hidden = (b.U16(r.body + 10) & kSlideHidden) != 0;
        return Failure::NoFailure;
    });
    return hidden;
}

} // namespace

namespace {

// Reads the document from the user edit at `editOffset`: the chain of
// edits back to the first gives the persist directory (the newest entry of
// an object wins), the current edit the document container.
Failure readFromEdit(const Bytes& doc, int64_t editOffset, CPptStructure& out,
                     bool& documentDamaged)
{
    documentDamaged = false;
    PersistDirectory persist;
    std::unordered_set<int64_t> seen;
    uint32_t docPersistId = 0;
    bool first = true;
    while (true) {
        if (!seen.insert(editOffset).second || static_cast<int>(seen.size()) > kMaxUserEdits)
            return Failure::Damaged;
        Record edit;
        if (!doc.RecordAt(editOffset, doc.Size(), edit) || edit.type != RtUserEditAtom ||
            edit.length < kUserEditLength)
            return Failure::Damaged;
        if (first) {
            if (edit.length >= kUserEditLengthEncrypted && doc.U32(edit.body + 28) != 0)
                return Failure::Encrypted;
            docPersistId = doc.U32(edit.body + 16);
            first = false;
        }
        Record dir;
        if (!doc.RecordAt(doc.U32(edit.body + 12), doc.Size(), dir) ||
            dir.type != RtPersistDirectoryAtom)
            return Failure::Damaged;
        for (int64_t p = dir.body; p < dir.End();) {
            if (!doc.Has(p, 4) || p + 4 > dir.End())
                return Failure::Damaged;
            const uint32_t entry = doc.U32(p);
            const uint32_t id = entry & 0xFFFFF;
            const int64_t count = entry >> 20;
            p += 4;
            if (count * 4 > dir.End() - p)
                return Failure::Damaged;
            for (int64_t k = 0; k < count; ++k, p += 4)
                persist.emplace(static_cast<uint32_t>(id + k), doc.U32(p));
        }
        const int64_t previous = doc.U32(edit.body + 8);
        if (previous == 0)
            break;
        editOffset = previous;
    }

    const auto found = persist.find(docPersistId);
    if (found == persist.end())
        return Failure::Damaged;
    Record container;
    if (!doc.RecordAt(found->second, doc.Size(), container) || container.type != RtDocument ||
        container.version != 0x0F)
        return Failure::Damaged;
    std::vector<uint32_t> persistRefs;
    const Failure f = readDocument(doc, container, persist, out, persistRefs);
    if (f != Failure::NoFailure) {
        documentDamaged = f == Failure::Damaged;
        return f;
    }
    out.slideHidden.assign(out.slideIds.size(), 0);
    for (size_t i = 0; i < persistRefs.size() && i < out.slideHidden.size(); ++i) {
        const auto slide = persist.find(persistRefs[i]);
        if (slide != persist.end() && slideHidden(doc, slide->second))
            out.slideHidden[i] = 1;
    }
    return Failure::NoFailure;
}

// The user edits among the stream's top-level records, oldest first, as far
// as the records can be walked.
std::vector<int64_t> userEdits(const Bytes& doc)
{
    std::vector<int64_t> edits;
    Record r;
    for (int64_t pos = 0; doc.RecordAt(pos, doc.Size(), r); pos = r.End()) {
        if (r.type == RtUserEditAtom && r.length >= kUserEditLength)
            edits.push_back(pos);
    }
    return edits;
}

} // namespace

CPptReader::Failure CPptReader::Read(const QByteArray& currentUser, const QByteArray& document,
                                     CPptStructure& out)
{
    out = CPptStructure{};
    const Bytes user(currentUser);
    const Bytes doc(document);
    int64_t current = -1;
    if (!currentUser.isEmpty()) {
        if (!user.Has(0, 28))
            return NotPresentation;
        const uint32_t token = user.U32(12);
        if (token == kEncryptedHeaderToken)
            return Encrypted;
        if (token != kHeaderToken || user.U16(2) != RtCurrentUserAtom)
            return NotPresentation;
        if (user.U16(22) != 1012 || user.U8(24) != 3)
            return TooOld;
        if (user.U8(25) != 0)
            return NotPresentation;
        current = user.U32(16);
        bool documentDamaged = false;
        const Failure f = readFromEdit(doc, current, out, documentDamaged);
        if (f != NoFailure)
            out = KeptOnFailure(out);
        if (f != Damaged || documentDamaged)
            return f;
    }
    // The edit the current-user record names is damaged, or there is no
    // such record: the newest whole edit the stream holds serves, as other
    // readers find it. A stream without one stays damaged. A whole edit whose
    // document is damaged ends the search: an older save would give the
    // slides of an earlier version of the presentation.
    const std::vector<int64_t> edits = userEdits(doc);
    for (auto it = edits.rbegin(); it != edits.rend(); ++it) {
        if (*it == current)
            continue;
        out = CPptStructure{};
        bool documentDamaged = false;
        const Failure f = readFromEdit(doc, *it, out, documentDamaged);
        if (f != Damaged || documentDamaged) {
            if (f != NoFailure)
                out = KeptOnFailure(out);
            return f;
        }
    }
    out = CPptStructure{};
    return Damaged;
}

CPptReader::Failure CPptReader::Read(const CCompoundFile& file, CPptStructure& out)
{
    out = CPptStructure{};
    if (!file.IsOpen())
        return NotPresentation;
    // A presentation of the 95 generation saved with its 97 document keeps
    // that document in a storage of its own.
    CCompoundFile dual;
    if (dual.OpenStorage(file, "PP97_DUALSTORAGE") && dual.HasStream("PowerPoint Document")) {
        QByteArray currentUser;
        QByteArray document;
        if (!dual.ReadStream("Current User", 0, kMaxCurrentUserStream, currentUser))
            currentUser.clear(); // the newest edit is found in the document
        if (!dual.ReadWholeStream("PowerPoint Document", document, kMaxDocumentStream))
            return Damaged;
        return Read(currentUser, document, out);
    }
    QByteArray currentUser;
    if (!file.ReadStream("Current User", 0, kMaxCurrentUserStream, currentUser)) {
        // Presentations before the 97 generation keep their document in
        // these streams and have no current-user record.
        return (file.HasStream("PowerPoint Document") || file.HasStream("PP40")) ? TooOld
                                                                                 : NotPresentation;
    }
    if (file.HasStream("EncryptedSummary"))
        return Encrypted;
    QByteArray document;
    if (!file.HasStream("PowerPoint Document"))
        return NotPresentation;
    if (!file.ReadWholeStream("PowerPoint Document", document, kMaxDocumentStream))
        return Damaged;
    return Read(currentUser, document, out);
}

CPptReader::Failure CPptReader::ReadFile(const std::string& path, CPptStructure& out)
{
    out = CPptStructure{};
    CCompoundFile file;
    if (file.Open(path) != CCompoundFile::Opened)
        return NotPresentation;
    return Read(file, out);
}
