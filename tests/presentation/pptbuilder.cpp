#include "pptbuilder.h"

#include <QString>
#include <algorithm>

namespace {

void u16(QByteArray& b, uint16_t v)
{
    b.append(static_cast<char>(v & 0xFF));
    b.append(static_cast<char>(v >> 8));
}

void u32(QByteArray& b, uint32_t v)
{
    u16(b, static_cast<uint16_t>(v & 0xFFFF));
    u16(b, static_cast<uint16_t>(v >> 16));
}

QByteArray record(int version, int instance, int type, const QByteArray& body)
{
    QByteArray r;
    u16(r, static_cast<uint16_t>(version | (instance << 4)));
    u16(r, static_cast<uint16_t>(type));
    u32(r, static_cast<uint32_t>(body.size()));
    return r + body;
}

QByteArray utf16(const std::string& text, int units = -1)
{
    QByteArray b;
    const QString s = QString::fromStdString(text);
    for (const QChar c : s)
        u16(b, c.unicode());
    while (units >= 0 && b.size() < units * 2)
        u16(b, 0);
    return b;
}

} // namespace

CPptBuilder::CPptBuilder(int slides)
{
    for (int i = 0; i < slides; ++i)
        slideIds.push_back(256u + static_cast<uint32_t>(i));
}

QByteArray CPptBuilder::DocumentStream() const
{
    QByteArray atom;
    u32(atom, 5760), u32(atom, 4320); // slide size
    u32(atom, 4320), u32(atom, 5760); // notes size
    u32(atom, 1), u32(atom, 2);       // zoom
    u32(atom, 0), u32(atom, 0);       // notes and handout masters
    u16(atom, static_cast<uint16_t>(firstSlideNumber));
    u16(atom, 0); // slide size type
    atom.append(4, '\0');
    QByteArray children = record(1, 0, 0x03E9, atom);

    for (const OtherList& list : OtherLists()) {
        QByteArray other;
        for (int i = 0; i < list.count; ++i) {
            QByteArray persist;
            u32(persist, list.firstPersist + static_cast<uint32_t>(i));
            u32(persist, 0), u32(persist, 0);
            u32(persist, static_cast<uint32_t>(0x80000000u + i));
            u32(persist, 0);
            other += record(0, 0, 0x03F3, persist);
        }
        if (list.count > 0)
            children +=
                record(0x0F, listInstance >= 0 ? listInstance : list.instance, 0x0FF0, other);
    }
    QByteArray list;
    for (size_t i = 0; i < slideIds.size(); ++i) {
        QByteArray persist;
        u32(persist, static_cast<uint32_t>(2 + i));
        u32(persist, 4), u32(persist, 0);
        u32(persist, slideIds[i]);
        u32(persist, 0);
        list += record(0, 0, 0x03F3, persist);
    }
    children += record(0x0F, slideListInstance, 0x0FF0, list);

    if (withShowSettings) {
        QByteArray info;
        u32(info, 0), u32(info, 0x7FFFFFFF);
        u16(info, static_cast<uint16_t>(startSlide));
        u16(info, static_cast<uint16_t>(endSlide));
        info += utf16(showName, 32).left(64);
        const uint16_t flags = 1 | (rangeType == 2 ? 0x04 : 0) | (rangeType == 3 ? 0x08 : 0);
        u16(info, flags);
        u16(info, 0);
        children += record(1, 0, 0x0401, info);
    }
    if (!shows.empty()) {
        QByteArray named;
        for (size_t s = 0; s < shows.size(); ++s) {
            QByteArray ids;
            for (const uint32_t id : shows[s].ids)
                u32(ids, id);
            named += record(0x0F, static_cast<int>(s), 0x0411,
                            record(0, 0, 0x0FBA, utf16(shows[s].name)) + record(0, 0, 0x0412, ids));
        }
        children += record(0x0F, 0, 0x0410, named);
    }
    QByteArray stream = record(0x0F, 0, 0x03E8, children);

    QByteArray directory;
    u32(directory, 1u | (1u << 20));
    u32(directory, 0);
    if (!hiddenSlides.empty()) {
        // Persist identifiers 2, 3, ... name the slide containers.
        std::vector<uint32_t> offsets;
        for (size_t i = 0; i < slideIds.size(); ++i) {
            offsets.push_back(static_cast<uint32_t>(stream.size()));
            QByteArray info;
            u32(info, 0), u32(info, 0);     // slide time, sound
            info.append('\0').append('\0'); // effect direction and type
            const bool hidden = std::find(hiddenSlides.begin(), hiddenSlides.end(),
                                          static_cast<int>(i)) != hiddenSlides.end();
            u16(info, hidden ? 0x0004 : 0);
            u16(info, 0), info.append(4, '\0');
            stream += record(0x0F, 0, 0x03EE, record(0, 0, 0x03F9, info));
        }
        u32(directory, 2u | (static_cast<uint32_t>(offsets.size()) << 20));
        for (const uint32_t offset : offsets)
            u32(directory, offset);
        // The notes and masters listed get containers of their kind.
        for (const OtherList& list : OtherLists()) {
            if (list.count == 0)
                continue;
            u32(directory, list.firstPersist | (static_cast<uint32_t>(list.count) << 20));
            for (int i = 0; i < list.count; ++i) {
                u32(directory, static_cast<uint32_t>(stream.size()));
                stream += record(0x0F, 0, list.containerType, QByteArray());
            }
        }
    }
    const int directoryOffset = static_cast<int>(stream.size());
    stream += record(0, 0, 0x1772, directory);

    QByteArray edit;
    u32(edit, 256);                                     // last slide viewed
    u16(edit, 0), edit.append('\0'), edit.append('\3'); // version
    u32(edit, 0);                                       // previous edit
    u32(edit, static_cast<uint32_t>(directoryOffset));
    u32(edit, 1); // document persist id
    u32(edit, 2); // persist id seed
    u16(edit, 1), u16(edit, 0);
    if (encryptedEdit)
        u32(edit, 7);
    stream += record(0, 0, 0x0FF5, edit);
    return stream;
}

std::vector<CPptBuilder::OtherList> CPptBuilder::OtherLists() const
{
    return {{notesBefore, 2, 1000, 0x03F0}, {mastersBefore, 1, 2000, 0x03F8}};
}

int CPptBuilder::PersistDirectoryOffset() const
{
    const QByteArray stream = DocumentStream();
    int slideEntries = hiddenSlides.empty() ? 0 : 4 + 4 * static_cast<int>(slideIds.size());
    for (const OtherList& list : OtherLists())
        slideEntries += hiddenSlides.empty() || list.count == 0 ? 0 : 4 + 4 * list.count;
    return static_cast<int>(stream.size()) - 8 - (encryptedEdit ? 32 : 28) - 16 - slideEntries;
}

int CPptBuilder::UserEditOffset() const
{
    return static_cast<int>(DocumentStream().size()) - 8 - (encryptedEdit ? 32 : 28);
}

QByteArray CPptBuilder::CurrentUserStream() const
{
    QByteArray atom;
    u32(atom, 0x14);
    u32(atom, headerToken);
    u32(atom, static_cast<uint32_t>(UserEditOffset()));
    u16(atom, 4);
    u16(atom, fileVersion);
    atom.append(static_cast<char>(majorVersion));
    atom.append('\0');
    u16(atom, 0);
    atom += "test";
    u32(atom, 8);
    return record(0, 0, 0x0FF6, atom);
}

CompoundStreams CPptBuilder::Streams() const
{
    return {{"Current User", CurrentUserStream()}, {"PowerPoint Document", DocumentStream()}};
}

bool CPptBuilder::Write(const std::string& path) const
{
    return WriteCompoundFile(path, Streams());
}
