#pragma once

#include "testcompound.h"

#include <QByteArray>
#include <cstdint>
#include <string>
#include <vector>

// Builds the two streams of a small presentation record by record, so tests
// can make presentations LibreOffice would never write: thousands of slides,
// odd first slide numbers, broken offsets and lengths.
class CPptBuilder
{
public:
    struct Show
    {
        std::string name;
        std::vector<uint32_t> ids;
    };

    // Slides with identifiers 256, 257, ...
    explicit CPptBuilder(int slides = 3);

    int firstSlideNumber = 1;
    std::vector<uint32_t> slideIds;
    int rangeType = 1; // 1 all, 2 range, 3 named show
    int startSlide = 0;
    int endSlide = 0;
    std::string showName;
    std::vector<Show> shows;
    bool withShowSettings = true;
    uint32_t headerToken = 0xE391C05Fu;
    uint16_t fileVersion = 1012;
    uint8_t majorVersion = 3;
    bool encryptedEdit = false;
    // Indexes (from 0) of slides hidden in the show. When given, every slide
    // gets its own slide container with its show settings.
    std::vector<int> hiddenSlides;
    // Lists of notes (instance 2) and masters (instance 1) with that many
    // entries, put before the slide list, in that order: some writers do,
    // and the instance, not the place, tells which list holds the slides.
    int notesBefore = 0;
    int mastersBefore = 0;
    // When 0 or more, the instance of those lists instead of their own: some
    // writers give every list the instance of the slides. With hiddenSlides
    // given, their entries name containers of notes and of masters.
    int listInstance = -1;
    // The instance of the slide list (some writers number the lists in the
    // order they write them).
    int slideListInstance = 0;

    QByteArray DocumentStream() const;
    QByteArray CurrentUserStream() const;
    // Offsets inside DocumentStream(), for tests that damage it.
    int UserEditOffset() const;
    int PersistDirectoryOffset() const;
    CompoundStreams Streams() const;
    bool Write(const std::string& path) const;

private:
    struct OtherList
    {
        int count;
        int instance;
        uint32_t firstPersist;
        int containerType;
    };
    std::vector<OtherList> OtherLists() const;
};
