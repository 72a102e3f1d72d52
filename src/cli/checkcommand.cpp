// zelm check: what opening the project would find, reported without
// changing anything.
#include "cli/clicommand.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "document/projectcheck.h"

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>

namespace {

int runCheck(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kCheck = {
    "check",
    "check PROJECT.sic [--json]",
    "Reads the project as opening it would and reports every cell that would be\n"
    "dropped (its thumbnail can neither be loaded nor made), every missing display\n"
    "image and source file, every display image or thumbnail that does not decode,\n"
    "and, as notes, every file of the project folder that no cell names. Changes\n"
    "nothing. Exit status 1 when something would break a send (notes do not).\n"
    "--json prints {\"ok\", \"problems\": [{\"row\", \"file\", \"message\"}], \"notes\": [...]}.",
    {},
    {},
    runCheck,
};

std::string describe(const CProjectCheck::Problem& p, int version)
{
    switch (p.kind) {
    case CProjectCheck::CellDropped:
        return "cell " + std::to_string(p.cell) +
               " of the project file would be dropped: its thumbnail can neither be loaded nor "
               "made";
    case CProjectCheck::CellCutShort:
        return "cell " + std::to_string(p.cell) +
               " of the project file would be dropped: the file ends inside its record";
    case CProjectCheck::DisplayMissing:
        return "the display image is missing; saving rebuilds it from the source";
    case CProjectCheck::SourceMissing:
        return "the source file is missing";
    case CProjectCheck::UnnamedFile:
        return "no cell names this file";
    case CProjectCheck::DisplayDamaged:
        return "the display image is damaged and cannot be sent";
    case CProjectCheck::ThumbnailDamaged:
        return "the thumbnail is damaged";
    case CProjectCheck::LeftoverFile:
        return "a temporary file left by an interrupted run; the next save removes it";
    case CProjectCheck::NeedsUpgrade:
        return "the project has version " + std::to_string(version) +
               "; opening it offers to bring it up to date";
    }
    return {};
}

int runCheck(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() != 1)
        return CliUsage(kCheck, "check takes exactly one PROJECT.sic");
    const std::string path = args.positional[0];
    CProjectCheck check;
    if (!CliReadProject(path, check, prompt))
        return ExitFailed;
    const bool ok = std::all_of(check.Problems.begin(), check.Problems.end(),
                                [](const auto& p) { return CProjectCheck::IsNote(p.kind); });
    if (args.json) {
        QJsonArray problems;
        QJsonArray notes;
        for (const CProjectCheck::Problem& p : check.Problems) {
            QJsonObject o;
            o.insert(QStringLiteral("row"), p.row ? QJsonValue(p.row) : QJsonValue());
            o.insert(QStringLiteral("file"),
                     p.file.empty() ? QJsonValue() : QJsonValue(QString::fromStdString(p.file)));
            o.insert(QStringLiteral("message"),
                     QString::fromStdString(describe(p, check.Project.Version)));
            (CProjectCheck::IsNote(p.kind) ? notes : problems).append(o);
        }
        QJsonObject o;
        o.insert(QStringLiteral("ok"), ok);
        o.insert(QStringLiteral("problems"), problems);
        o.insert(QStringLiteral("notes"), notes);
        CliPrintJson(QJsonDocument(o));
    } else {
        // Problems first, then the notes.
        for (const bool notes : {false, true}) {
            for (const CProjectCheck::Problem& p : check.Problems) {
                if (CProjectCheck::IsNote(p.kind) != notes)
                    continue;
                std::string where = p.row ? "row " + std::to_string(p.row) : std::string();
                if (!p.file.empty())
                    where += (where.empty() ? "" : ", ") + CliEscapeControls(p.file);
                std::printf("%s%s%s%s\n", notes ? "note: " : "", where.c_str(),
                            where.empty() ? "" : ": ", describe(p, check.Project.Version).c_str());
            }
        }
        if (ok)
            std::printf("%s: no problems found\n", CliEscapeControls(path).c_str());
    }
    return ok ? ExitDone : ExitFailed;
}

const CCliCommandRegistrar registrar(kCheck);

} // namespace
