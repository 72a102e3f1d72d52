#pragma once

#include "show/showsequence.h"
#include "show/showtimeline.h"
#include "show/videoencoder.h"

#include <QImage>
#include <string>

class CProgress;
class CUserPrompt;

// Writes a show as a video file: the frames the player would show, drawn
// off screen, each still picture converted for the encoder once and handed
// to it again for as long as it stays, only the frames of transitions drawn
// one by one. The encoder works on a thread of its own while the next frames
// are drawn. The file is written under a temporary name beside the target
// and takes the target's name only when it is complete.
class CVideoExport
{
public:
    struct Options
    {
        int width = 1920;
        int height = 1080;
        int fps = 30;
        int waitSeconds = 5; // a step that waits for the remote control
        int quality = 75;
    };
    static constexpr int MinWidth = 160, MinHeight = 120, MaxWidth = 3840, MaxHeight = 2160;
    static constexpr int MaxFps = 60, MaxWaitSeconds = 3600;

    enum Result
    {
        Written,
        Failed, // said through the prompt
        Cancelled,
    };

    CVideoExport(CUserPrompt* prompt, CProgress* progress);
    // Where Run reports, when it runs on another thread than Prepare.
    void SetReporting(CUserPrompt* prompt, CProgress* progress)
    {
        m_prompt = prompt;
        m_progress = progress;
    }

    // The format that `path`'s extension asks for; false for none.
    static bool FormatOf(const std::string& path, CVideoEncoder::Format& format);
    static bool ValidSize(int width, int height);

    // Everything that can be checked before any work: the options, the
    // target, the show (`what` names it in messages), the pictures and the
    // video libraries. false after its message.
    bool Prepare(const CShowSequence& sequence, const std::string& what, const std::string& out,
                 const Options& options);
    // Writes the file Prepare accepted.
    Result Run();

    const CShowTimeline& Timeline() const { return m_timeline; }
    // The file Prepare accepted, as an absolute path.
    const std::string& Target() const { return m_target; }
    qint64 FrameCount() const;
    // "1:40, 1920 x 1080, 30 fps, 12.3 MB" of the file written.
    std::string Summary() const;

private:
    bool Refuse(int id, const std::string& insert1 = {}, const std::string& insert2 = {});
    bool CheckTarget(const std::string& out);
    bool CheckPictures(const std::string& what);
    // The card picture of a step (or a blank one for -1), fitted into the
    // video's frame.
    QImage CardPicture(int step, uint32_t backColor) const;
    QImage Framed(const QImage& card, uint32_t backColor) const;
    Result Encode(CVideoEncoder& encoder);
    void ReportWriteFailure(const CVideoEncoder& encoder);

    CUserPrompt* m_prompt;
    CProgress* m_progress;
    CShowSequence m_sequence;
    CShowTimeline m_timeline;
    Options m_options;
    CVideoEncoder::Format m_format = CVideoEncoder::Mp4;
    std::string m_target;
    std::string m_temporary;
    int64_t m_bytes = 0;
};
