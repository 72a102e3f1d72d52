// zelm info: the project's fields and cell counts.
#include "cli/clicommand.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "cli/terminalprogress.h"
#include "document/projectfile.h"
#include "document/zurdoc.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cstdio>

namespace {

int runInfo(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kInfo = {
    "info",
    "info PROJECT.sic [--json]",
    "Prints the project's fields (name, folder, background colour, image quality,\n"
    "version, times) and the numbers of its cells, image cells and control cells.\n"
    "--json prints {\"ProjectName\", \"ProjectPath\", \"BackColor\": [r, g, b],\n"
    "\"ImageQuality\", \"Version\", \"CreateDateTime\", \"LastWriteDateTime\", \"cells\",\n"
    "\"imageCells\", \"controlCells\"}.",
    {},
    {},
    runInfo,
};

int runInfo(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() != 1)
        return CliUsage(kInfo, "info takes exactly one PROJECT.sic");
    CTerminalProgress progress(args.quiet);
    CZurDoc doc;
    if (!CliOpenProject(args.positional[0], doc, prompt, &progress))
        return prompt.FailureStatus();

    const int cells = doc.Cells.VisibleCount();
    const int images = doc.Cells.VisibleImageCount();
    const int controls = cells - images;
    const int red = int(doc.BackColor & 0xFF), green = int((doc.BackColor >> 8) & 0xFF),
              blue = int((doc.BackColor >> 16) & 0xFF);
    const std::string created = CProjectFile::FormatDateTime(doc.CreateDateTime);
    const std::string written = CProjectFile::FormatDateTime(doc.LastWriteDateTime);
    if (args.json) {
        QJsonObject o;
        o.insert(QStringLiteral("ProjectName"), QString::fromStdString(doc.ProjectName));
        o.insert(QStringLiteral("ProjectPath"), QString::fromStdString(doc.ProjectPath));
        o.insert(QStringLiteral("BackColor"), QJsonArray{red, green, blue});
        o.insert(QStringLiteral("ImageQuality"), doc.ImageQuality);
        o.insert(QStringLiteral("Version"), doc.Version);
        o.insert(QStringLiteral("CreateDateTime"), QString::fromStdString(created));
        o.insert(QStringLiteral("LastWriteDateTime"), QString::fromStdString(written));
        o.insert(QStringLiteral("cells"), cells);
        o.insert(QStringLiteral("imageCells"), images);
        o.insert(QStringLiteral("controlCells"), controls);
        CliPrintJson(QJsonDocument(o));
        return ExitDone;
    }
    std::printf("ProjectName:       %s\n", doc.ProjectName.c_str());
    std::printf("ProjectPath:       %s\n", doc.ProjectPath.c_str());
    std::printf("BackColor:         %d,%d,%d\n", red, green, blue);
    std::printf("ImageQuality:      %d\n", doc.ImageQuality);
    std::printf("Version:           %d\n", doc.Version);
    std::printf("CreateDateTime:    %s\n", created.c_str());
    std::printf("LastWriteDateTime: %s\n", written.c_str());
    std::printf("Cells:             %d (%d image, %d control)\n", cells, images, controls);
    return ExitDone;
}

const CCliCommandRegistrar registrar(kInfo);

} // namespace
