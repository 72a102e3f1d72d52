#pragma once

#include "imaging/lead.h"
#include "model/cellhost.h"

#include <QImage>
#include <cstdint>
#include <functional>
#include <memory>

// The image services of one owner (the project document, an import worker,
// a card conversion worker): the fixed image procedures on two imaging
// engines of its own, with the project's background colour and card image
// quality. Engines are never shared, so each thread has its own host. The
// owners differ only in which pictures first get a quiet check that the
// destination's volume has room for them.
class CImagingHost : public CCellHost
{
public:
    enum SpaceCheck
    {
        NoSpaceCheck,      // Send checks the growth of its staging folder itself
        CheckWorkAndThumb, // the project's own pictures (the document)
        CheckEveryPicture, // everything an import writes
    };
    using Factory = CCellHost::Factory;

    CImagingHost(uint32_t backColor, int imageQuality, SpaceCheck check);

    // The settings of card pictures, when the project's change.
    void SetCardSettings(uint32_t backColor, int imageQuality);

    int CreateWorkImage(const std::string& source, const std::string& destination,
                        QSize& size) override;
    int CreateThumbImage(const std::string& source, const std::string& destination, int thumbWidth,
                         int thumbHeight, QSize& size) override;
    int CreateCardImage(const std::string& source, const std::string& destination,
                        bool thumbnail) override;
    void SetDurableWrites(bool durable) override;

    // Makes hosts of these settings, one per worker.
    static Factory MakeFactory(uint32_t backColor, int imageQuality, SpaceCheck check);

private:
    bool HasRoom(const std::string& destination, bool cardPicture) const;

    // The display image this host wrote last, kept until its thumbnail is
    // made, so that the file is not decoded again: its pixels are what the
    // lossless file holds. `identity` tells the file as written from one
    // replaced since.
    struct WrittenImage
    {
        std::string path;
        std::string identity;
        QImage image;
    };
    WrittenImage m_lastWork;
    uint32_t m_backColor;
    int m_imageQuality;
    SpaceCheck m_check;
    CLead m_primary;
    CLead m_canvas;
};
