#pragma once

#include <QFuture>
#include <QImage>
#include <QThreadPool>
#include <map>
#include <vector>

class CShowSequence;
struct CShowStep;

// The pictures of a running show, composed as the card's pictures are
// (1024 x 768, centred on the background colour, through the same
// procedure as Send). The next picture is decoded ahead on a worker thread;
// the player keeps only the pictures it names, at most three.
class CShowPictures
{
public:
    static constexpr int MaxHeld = 3;

    explicit CShowPictures(const CShowSequence& sequence);
    ~CShowPictures();
    CShowPictures(const CShowPictures&) = delete;
    CShowPictures& operator=(const CShowPictures&) = delete;

    // The picture of step `step`, waiting for it when it is still being
    // decoded; a missing or undecodable picture gives a frame naming it.
    QImage Get(int step);
    // Starts decoding step `step` unless it is held already.
    void Prefetch(int step);
    // Drops every picture but those of `steps` (at most MaxHeld are kept).
    void Keep(const std::vector<int>& steps);
    // How many pictures are held or being decoded.
    int Held() const { return static_cast<int>(m_pictures.size()); }

    // The card picture of a step, or the frame that names what is missing.
    static QImage Compose(const CShowStep& step);
    // The frame a missing picture shows: its name on the background colour.
    static QImage MissingFrame(const std::string& name, uint32_t backColor);
    // A plain frame in the background colour (0x00BBGGRR).
    static QImage Blank(uint32_t backColor);

private:
    const CShowSequence& m_sequence;
    QThreadPool m_pool;
    std::map<int, QFuture<QImage>> m_pictures;
};
