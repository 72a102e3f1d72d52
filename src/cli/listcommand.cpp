// zelm list: one line per visible cell, in row order.
#include "cli/clicommand.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "document/projectcheck.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"

#include <QJsonArray>
#include <QJsonObject>

#include <cstdio>

namespace {

int runList(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kList = {
    "list",
    "list PROJECT.sic [--json]",
    "Prints one line per visible cell: row, kind (image/control), on/off, motion,\n"
    "interval, effect or input device, label, display and thumbnail file names.\n"
    "The rows are those of the project window; cells an open would drop are not\n"
    "listed (see zelm check). Changes nothing.\n"
    "--json prints {\"cells\": [...]} with the cells' fields.",
    {},
    {},
    runList,
};

QJsonArray pair(const int32_t* values)
{
    return QJsonArray{values[0], values[1]};
}

QJsonObject cellJson(const CCellInfo* cell, int row)
{
    QJsonObject o;
    o.insert(QStringLiteral("row"), row);
    o.insert(QStringLiteral("CellType"), static_cast<int>(cell->CellType));
    o.insert(QStringLiteral("CellValid"), cell->CellValid);
    o.insert(QStringLiteral("MotionType"), cell->MotionType);
    o.insert(QStringLiteral("AutoIntervalSec"), cell->AutoIntervalSec);
    o.insert(QStringLiteral("label"), QString::fromStdString(cell->GetLabel()));
    if (const auto* image = dynamic_cast<const CCellBmpInfo*>(cell)) {
        QJsonArray disolve;
        for (int32_t v : image->Disolve)
            disolve.append(v);
        o.insert(QStringLiteral("Effect"), image->Effect);
        o.insert(QStringLiteral("Disolve"), disolve);
        o.insert(QStringLiteral("FileName"), QString::fromStdString(image->FileName));
        o.insert(QStringLiteral("DispFileName"), QString::fromStdString(image->DispFileName));
        o.insert(QStringLiteral("ThumbFileName"), QString::fromStdString(image->ThumbFileName));
        o.insert(QStringLiteral("RefFilePath"), QString::fromStdString(image->RefFilePath));
        o.insert(QStringLiteral("RefPage"), image->RefPage);
        o.insert(QStringLiteral("Resize"), pair(image->Resize));
        o.insert(QStringLiteral("BmpSize"), pair(image->BmpSize));
        o.insert(QStringLiteral("SourceKind"), image->SourceKind);
    } else if (const auto* control = dynamic_cast<const CCellCtrlInfo*>(cell)) {
        o.insert(QStringLiteral("InputDev"), control->InputDev);
    }
    return o;
}

void printLine(const CCellInfo* cell, int row)
{
    const char* onOff = cell->CellValid ? "on " : "off";
    if (const auto* image = dynamic_cast<const CCellBmpInfo*>(cell)) {
        std::printf("%4d  image    %s  motion %d  %4ds  effect %2d  %s  %s  %s\n", row, onOff,
                    image->MotionType, image->AutoIntervalSec, image->Effect,
                    image->GetLabel().c_str(), image->FileName.c_str(),
                    image->ThumbFileName.c_str());
    } else if (const auto* control = dynamic_cast<const CCellCtrlInfo*>(cell)) {
        std::printf("%4d  control  %s  motion %d  %4ds  input  %2d  %s\n", row, onOff,
                    control->MotionType, control->AutoIntervalSec, control->InputDev,
                    control->GetLabel().c_str());
    }
}

int runList(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() != 1)
        return CliUsage(kList, "list takes exactly one PROJECT.sic");
    CProjectCheck check;
    if (!CliReadProject(args.positional[0], check, prompt))
        return ExitFailed;
    const CCellInfoList& cellList = check.Cells;
    QJsonArray cells;
    int row = 0;
    for (int i = 0; i < cellList.GetCount(); ++i) {
        const CCellInfo* cell = cellList.GetAt(i);
        if (!cell->IsVisible())
            continue;
        ++row;
        if (args.json)
            cells.append(cellJson(cell, row));
        else
            printLine(cell, row);
    }
    if (args.json) {
        QJsonObject o;
        o.insert(QStringLiteral("cells"), cells);
        CliPrintJson(QJsonDocument(o));
    }
    return ExitDone;
}

const CCliCommandRegistrar registrar(kList);

} // namespace
