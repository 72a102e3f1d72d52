// zelm export-video: the show as the player plays it, written as a video file.
#include "base/msgid.h"
#include "cli/clicommand.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "cli/terminalprogress.h"
#include "show/showsequence.h"
#include "show/videoexport.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace {

int runExportVideo(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kExportVideo = {
    "export-video",
    "export-video PROJECT.sic|CARD/NAME.SIT OUT [--size WxH] [--fps N] [--manual-seconds S] "
    "[--quality Q]",
    "Writes the show as the player plays it, once through, as a video file: the slides that\n"
    "are on in their order, each for its interval, with its transition; a slide or control\n"
    "step that waits for the remote control lasts S seconds (--manual-seconds, 1 to 3600,\n"
    "default 5). A card folder plays its autorun list. OUT's extension gives the format:\n"
    ".mp4 (H.264), .webm (VP9) or .mkv (H.264). --size WIDTHxHEIGHT (even, 160x120 to\n"
    "3840x2160, default 1920x1080; the 4:3 slides are centred on the background colour;\n"
    "1024x768 is the card's own), --fps 1 to 60 (default 30), --quality 1 to 100 (default\n"
    "75). The file is written under a temporary name and takes OUT's name when it is\n"
    "complete. Missing pictures are named and nothing is written (exit status 1); Ctrl-C\n"
    "cancels (exit status 3).",
    {"size", "fps", "manual-seconds", "quality"},
    {},
    runExportVideo,
};

bool parseOptions(const CCliArgs& args, CCliPrompt& prompt, CVideoExport::Options& options)
{
    if (args.Has("size")) {
        const std::string text = args.Value("size");
        static const QRegularExpression form(QStringLiteral("^(\\d{1,5})[xX](\\d{1,5})$"));
        const QRegularExpressionMatch match = form.match(QString::fromStdString(text));
        options.width = match.hasMatch() ? match.captured(1).toInt() : 0;
        options.height = match.hasMatch() ? match.captured(2).toInt() : 0;
        if (!CVideoExport::ValidSize(options.width, options.height)) {
            prompt.Message(MsgId::VideoSizeOutOfRange, CUserPrompt::Exclamation, CUserPrompt::Ok,
                           text);
            return false;
        }
    }
    const struct
    {
        const char* name;
        int low, high;
        int* value;
        int message;
    } numbers[] = {
        {"fps", 1, CVideoExport::MaxFps, &options.fps, MsgId::VideoFpsOutOfRange},
        {"manual-seconds", 1, CVideoExport::MaxWaitSeconds, &options.waitSeconds,
         MsgId::VideoManualOutOfRange},
        {"quality", 1, 100, &options.quality, MsgId::VideoQualityOutOfRange},
    };
    for (const auto& n : numbers) {
        if (args.Has(n.name) && !CliParseInt(args.Value(n.name), n.low, n.high, *n.value)) {
            prompt.Message(n.message, CUserPrompt::Exclamation, CUserPrompt::Ok,
                           args.Value(n.name));
            return false;
        }
    }
    return true;
}

int runExportVideo(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() != 2)
        return CliUsage(kExportVideo, "export-video takes a show and a video file");
    CVideoExport::Options options;
    if (!parseOptions(args, prompt, options))
        return ExitUsage;
    const std::string source = args.positional[0];
    CShowSequence sequence;
    sequence.FromPath(source);
    CTerminalProgress progress(args.quiet, MsgId::VideoExportCaption);
    CVideoExport video(&prompt, &progress);
    if (!video.Prepare(sequence, source, args.positional[1], options))
        return ExitFailed;
    switch (video.Run()) {
    case CVideoExport::Cancelled:
        return ExitDeclined;
    case CVideoExport::Failed:
        return ExitFailed;
    case CVideoExport::Written:
        break;
    }
    const QFileInfo out(QString::fromStdString(args.positional[1]));
    prompt.Message(MsgId::VideoExported, CUserPrompt::Information, CUserPrompt::Ok,
                   out.absoluteFilePath().toStdString(), video.Summary());
    return ExitDone;
}

const CCliCommandRegistrar registrar(kExportVideo);

} // namespace
