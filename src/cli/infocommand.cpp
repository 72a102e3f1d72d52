// zelm info: the project's fields and cell counts.
#include "cli/clicommand.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "document/projectcheck.h"

#include <QJsonArray>
#include <QJsonObject>
#include <cstdio>

namespace {

int runInfo(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kInfo = {
    "info",
    "info PROJECT.sic [--json]",
    "Prints the project's fields (name, folder, background colour, image quality,\n"
    "version, times) and the numbers of its cells, image cells and control cells\n"
    "as opening the project would show them. Changes nothing.\n"
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
    CProjectCheck check;
    if (!CliReadProject(args.positional[0], check, prompt))
        return ExitFailed;
    const CProjectFile& project = check.Project;
    const std::string& projectPath = check.Folder;

    const int cells = check.Cells.VisibleCount();
    const int images = check.Cells.VisibleImageCount();
    const int controls = cells - images;
    const int red = int(project.BackColor & 0xFF), green = int((project.BackColor >> 8) & 0xFF),
              blue = int((project.BackColor >> 16) & 0xFF);
    const std::string created = CProjectFile::FormatDateTime(project.CreateDateTime);
    const std::string written = CProjectFile::FormatDateTime(project.LastWriteDateTime);
    if (args.json) {
        QJsonObject o;
        o.insert(QStringLiteral("ProjectName"), QString::fromStdString(project.ProjectName));
        o.insert(QStringLiteral("ProjectPath"), QString::fromStdString(projectPath));
        o.insert(QStringLiteral("BackColor"), QJsonArray{red, green, blue});
        o.insert(QStringLiteral("ImageQuality"), project.ImageQuality);
        o.insert(QStringLiteral("Version"), project.Version);
        o.insert(QStringLiteral("CreateDateTime"), QString::fromStdString(created));
        o.insert(QStringLiteral("LastWriteDateTime"), QString::fromStdString(written));
        o.insert(QStringLiteral("cells"), cells);
        o.insert(QStringLiteral("imageCells"), images);
        o.insert(QStringLiteral("controlCells"), controls);
        CliPrintJson(QJsonDocument(o));
        return ExitDone;
    }
    std::printf("ProjectName:       %s\n", CliEscapeControls(project.ProjectName).c_str());
    std::printf("ProjectPath:       %s\n", CliEscapeControls(projectPath).c_str());
    std::printf("BackColor:         %d,%d,%d\n", red, green, blue);
    std::printf("ImageQuality:      %d\n", project.ImageQuality);
    std::printf("Version:           %d\n", project.Version);
    std::printf("CreateDateTime:    %s\n", created.c_str());
    std::printf("LastWriteDateTime: %s\n", written.c_str());
    std::printf("Cells:             %d (%d image, %d control)\n", cells, images, controls);
    return ExitDone;
}

const CCliCommandRegistrar registrar(kInfo);

} // namespace
