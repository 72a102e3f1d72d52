// Presentations of the binary format as the field has them: the 97 document
// kept beside a 95 one, a damaged newest edit, password protection.
#include "base/filefailure.h"
#include "pptbuilder.h"
#include "presentation/officeversion.h"
#include "presentation/pptreader.h"
#include "presentation/slidepptobj.h"
#include "testcompound.h"

#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

using Failure = CPptReader::Failure;

// The document of `b` with a newer edit appended that names the builder's
// edit as its previous one; `damage` spoils the new edit. The current-user
// record points at the new edit.
void AppendNewerEdit(const CPptBuilder& b, QByteArray& user, QByteArray& doc,
                     const std::function<void(QByteArray& edit)>& damage)
{
    doc = b.DocumentStream();
    const int older = b.UserEditOffset();
    QByteArray edit = doc.mid(older);
    PutU32(edit, 8 + 8, static_cast<uint32_t>(older));
    damage(edit);
    const int newer = static_cast<int>(doc.size());
    doc += edit;
    user = b.CurrentUserStream();
    PutU32(user, 16, static_cast<uint32_t>(newer));
}

// The document of `older` saved again quickly, as an office program does:
// the document container of `newer` (changed by `change`), a persist
// directory naming it and an edit chained to the older one are appended.
QByteArray WithNewerSave(const CPptBuilder& older, const CPptBuilder& newer,
                         const std::function<void(QByteArray& container)>& change, QByteArray& user)
{
    QByteArray doc = older.DocumentStream();
    const QByteArray stream = newer.DocumentStream();
    const auto u32 = [&stream](int o) {
        return uint32_t(uint8_t(stream[o])) | uint32_t(uint8_t(stream[o + 1])) << 8 |
               uint32_t(uint8_t(stream[o + 2])) << 16 | uint32_t(uint8_t(stream[o + 3])) << 24;
    };
    QByteArray container = stream.left(8 + int(u32(4)));
    change(container);
    const int containerAt = int(doc.size());
    doc += container;
    QByteArray directory(16, '\0');
    PutU16(directory, 2, 0x1772);
    PutU32(directory, 4, 8);
    PutU32(directory, 8, 1u | (1u << 20)); // the document, persist id 1
    PutU32(directory, 12, uint32_t(containerAt));
    const int directoryAt = int(doc.size());
    doc += directory;
    QByteArray edit = doc.mid(older.UserEditOffset(), 8 + 28);
    PutU32(edit, 8 + 8, uint32_t(older.UserEditOffset()));
    PutU32(edit, 8 + 12, uint32_t(directoryAt));
    const int editAt = int(doc.size());
    doc += edit;
    user = older.CurrentUserStream();
    PutU32(user, 16, uint32_t(editAt));
    return doc;
}

} // namespace

TEST(PptReaderField, NewerSaveWithADamagedDocumentIsNotReadAsTheOlderOne)
{
    // Six slides first, seven in the newer save: the newer save counts; a
    // damaged newer document is refused rather than shown as the six.
    const CPptBuilder older(6);
    const CPptBuilder newer(7);
    struct Case
    {
        const char* what;
        std::function<void(QByteArray&)> change;
        Failure expected;
        size_t slides;
    } cases[] = {
        {"whole", [](QByteArray&) {}, Failure::NoFailure, 7},
        {"slide list atom past its list",
         [](QByteArray& c) { PutU32(c, FindRecord(c, 0x0FF0) + 8 + 4, 1000); }, Failure::Damaged,
         0},
        {"first slide number out of range", [](QByteArray& c) { PutU16(c, 8 + 8 + 32, 0x8000); },
         Failure::Damaged, 0},
        // The newer edit names no document: that edit is what is damaged.
        {"document container of another kind", [](QByteArray& c) { PutU16(c, 2, 0x03EE); },
         Failure::NoFailure, 6},
    };
    for (const Case& c : cases) {
        QByteArray user;
        const QByteArray doc = WithNewerSave(older, newer, c.change, user);
        CPptStructure s;
        EXPECT_EQ(CPptReader::Read(user, doc, s), c.expected) << c.what;
        EXPECT_EQ(s.slideIds.size(), c.slides) << c.what;
    }
}

TEST(PptReaderField, DamagedNewestEditFallsBackToTheNewestWholeOne)
{
    CPptBuilder b(6);
    b.hiddenSlides = {1};
    struct Case
    {
        const char* what;
        std::function<void(QByteArray& user, QByteArray& doc)> make;
        Failure expected;
    } cases[] = {
        {"newer edit's persist directory past the stream",
         [&](QByteArray& u, QByteArray& d) {
             AppendNewerEdit(b, u, d, [](QByteArray& e) { PutU32(e, 8 + 12, 0x7FFFFFF0u); });
         },
         Failure::NoFailure},
        {"newer edit cut short",
         [&](QByteArray& u, QByteArray& d) {
             AppendNewerEdit(b, u, d, [](QByteArray& e) { e.truncate(20); });
         },
         Failure::NoFailure},
        {"current edit past the stream",
         [&](QByteArray& u, QByteArray& d) {
             d = b.DocumentStream();
             u = b.CurrentUserStream();
             PutU32(u, 16, static_cast<uint32_t>(d.size() + 100));
         },
         Failure::NoFailure},
        {"current edit names another record",
         [&](QByteArray& u, QByteArray& d) {
             d = b.DocumentStream();
             u = b.CurrentUserStream();
             PutU32(u, 16, 0);
         },
         Failure::NoFailure},
        {"no current-user record at all",
         [&](QByteArray& u, QByteArray& d) {
             d = b.DocumentStream();
             u.clear();
         },
         Failure::NoFailure},
        {"every edit damaged",
         [&](QByteArray& u, QByteArray& d) {
             AppendNewerEdit(b, u, d, [](QByteArray& e) { PutU32(e, 8 + 12, 0x7FFFFFF0u); });
             PutU32(d, b.UserEditOffset() + 8 + 12, 0x7FFFFFF0u);
         },
         Failure::Damaged},
        {"newest whole edit is encrypted",
         [&](QByteArray& u, QByteArray& d) {
             CPptBuilder encrypted(6);
             encrypted.encryptedEdit = true;
             d = encrypted.DocumentStream();
             u = encrypted.CurrentUserStream();
             PutU32(u, 16, 1);
         },
         Failure::Encrypted},
    };
    for (const Case& c : cases) {
        QByteArray user;
        QByteArray doc;
        c.make(user, doc);
        CPptStructure s;
        EXPECT_EQ(CPptReader::Read(user, doc, s), c.expected) << c.what;
        if (c.expected == Failure::NoFailure) {
            EXPECT_EQ(s.slideIds.size(), 6u) << c.what;
            EXPECT_EQ(s.slideHidden, (std::vector<uint8_t>{0, 1, 0, 0, 0, 0})) << c.what;
        } else {
            EXPECT_TRUE(s.slideIds.empty()) << c.what;
        }
    }
}

class PptReaderFieldFiles : public ::testing::Test
{
protected:
    std::string PathOf(const char* name) { return m_dir.filePath(name).toStdString(); }
    QTemporaryDir m_dir;
};

TEST_F(PptReaderFieldFiles, DualStorageDocumentIsRead)
{
    CPptBuilder b(5);
    // The 95 generation's own streams at the root, as such a file has them.
    CPptBuilder old(2);
    old.fileVersion = 1008;
    const CompoundStreams root = {{"Current User", old.CurrentUserStream()},
                                  {"PowerPoint Document", QByteArray(200, 'x')}};
    struct Case
    {
        const char* name;
        bool withCurrentUser;
    } cases[] = {{"dual.ppt", true}, {"dual-no-user.ppt", false}};
    for (const Case& c : cases) {
        CompoundStreams streams = root;
        streams.emplace_back("PP97_DUALSTORAGE/PowerPoint Document", b.DocumentStream());
        if (c.withCurrentUser)
            streams.emplace_back("PP97_DUALSTORAGE/Current User", b.CurrentUserStream());
        ASSERT_TRUE(WriteCompoundFile(PathOf(c.name), streams));
        CPptStructure s;
        EXPECT_EQ(CPptReader::ReadFile(PathOf(c.name), s), Failure::NoFailure) << c.name;
        EXPECT_EQ(s.slideIds, (std::vector<uint32_t>{256, 257, 258, 259, 260})) << c.name;
        EXPECT_EQ(GetPowerPointVersion(PathOf(c.name)), 8) << c.name;
    }
    // Without the storage the same file is of the older generation.
    ASSERT_TRUE(WriteCompoundFile(PathOf("pp95.ppt"), root));
    CPptStructure s;
    EXPECT_EQ(CPptReader::ReadFile(PathOf("pp95.ppt"), s), Failure::TooOld);
}

TEST_F(PptReaderFieldFiles, PasswordProtectedPresentationIsToldAsSuch)
{
    CPptBuilder token(3);
    token.headerToken = 0xF3D1C4DFu;
    CPptBuilder edit(3);
    edit.encryptedEdit = true;
    ASSERT_TRUE(token.Write(PathOf("rc4.ppt")));
    ASSERT_TRUE(edit.Write(PathOf("cryptoapi.ppt")));
    for (const char* name : {"rc4.ppt", "cryptoapi.ppt"}) {
        CSlidePPTObj presentation;
        presentation.SetWorkFolder(m_dir.path().toStdString() + "/work/");
        presentation.SetCacheFolder(m_dir.path().toStdString() + "/cache/");
        EXPECT_FALSE(presentation.OpenPresentation(PathOf(name), 160, 120, nullptr, false)) << name;
        EXPECT_EQ(presentation.LastFailure().reason(), CFileFailure::PasswordProtected) << name;
        EXPECT_EQ(GetPowerPointVersion(PathOf(name)), 8) << name;
    }
}

TEST(PptReaderField, SlidesAreCountedFromTheSlideListWhereverItStands)
{
    // Notes and masters listed before the slides, with more and with fewer
    // entries than there are slides: the count is the slide list's, whether
    // the lists carry their own instances, all that of the slides, or
    // numbers in the order they are written.
    struct Case
    {
        int notes;
        int masters;
        int listInstance;
        int slideListInstance = 0;
    } cases[] = {
        {12, 0, -1}, {1, 2, -1}, {0, 3, -1},   {12, 2, 0},   {0, 1, 0},
        {11, 0, 0},  {0, 11, 0}, {0, 1, 0, 1}, {2, 0, 0, 1}, {12, 2, 2, 1},
    };
    for (const Case& c : cases) {
        CPptBuilder b(3);
        b.notesBefore = c.notes;
        b.mastersBefore = c.masters;
        b.listInstance = c.listInstance;
        b.slideListInstance = c.slideListInstance;
        b.hiddenSlides = {2};
        CPptStructure s;
        ASSERT_EQ(CPptReader::Read(b.CurrentUserStream(), b.DocumentStream(), s),
                  Failure::NoFailure)
            << c.notes << " notes, " << c.masters << " masters, instances " << c.listInstance << " "
            << c.slideListInstance;
        EXPECT_EQ(s.slideIds, (std::vector<uint32_t>{256, 257, 258}))
            << c.notes << " notes, " << c.masters << " masters, instances " << c.listInstance << " "
            << c.slideListInstance;
        EXPECT_EQ(s.slideHidden, (std::vector<uint8_t>{0, 0, 1}));
    }

    // Lists of masters and notes alone are never taken for the slides.
    CPptBuilder none(0);
    none.mastersBefore = 2;
    none.notesBefore = 1;
    none.hiddenSlides = {0};
    for (const int instance : {-1, 1}) {
        none.slideListInstance = instance < 0 ? 0 : 3;
        CPptStructure s;
        ASSERT_EQ(CPptReader::Read(none.CurrentUserStream(), none.DocumentStream(), s),
                  Failure::NoFailure);
        EXPECT_TRUE(s.slideIds.empty()) << instance;
    }
}
