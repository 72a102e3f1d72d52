// zelm list: one line per visible cell, in row order.
#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "cli/clicommand.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "document/projectcheck.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"

#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// The effects' names are texts 7220 to 7261, by effect number.
constexpr int kLastEffect = 41;

int runList(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kList = {
    "list",
    "list PROJECT.sic [--json]",
    "Prints one line per visible cell, in aligned columns: row, kind\n"
    "(image/control), on/off, motion, interval, effect (number and name) or input\n"
    "device, label, display and thumbnail file names.\n"
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

// The fields of a cell's line; names from outside escaped.
std::vector<std::string> lineFields(const CCellInfo* cell, int row)
{
    std::vector<std::string> f = {std::to_string(row), "", cell->CellValid ? "on" : "off",
                                  "motion " + std::to_string(cell->MotionType),
                                  std::to_string(cell->AutoIntervalSec) + "s"};
    if (const auto* image = dynamic_cast<const CCellBmpInfo*>(cell)) {
        f[1] = "image";
        const bool known = image->Effect >= 0 && image->Effect <= kLastEffect;
        f.push_back("effect " + std::to_string(image->Effect) +
                    (known ? " " + CResourceBundle::Text(MsgId::EffectCut + image->Effect) : ""));
        f.push_back(CliEscapeControls(image->GetLabel()));
        f.push_back(CliEscapeControls(image->FileName));
        f.push_back(CliEscapeControls(image->ThumbFileName));
    } else if (const auto* control = dynamic_cast<const CCellCtrlInfo*>(cell)) {
        f[1] = "control";
        f.push_back("input " + std::to_string(control->InputDev));
        f.push_back(CliEscapeControls(control->GetLabel()));
    }
    return f;
}

// Characters, not bytes: a UTF-8 sequence counts once.
size_t characters(const std::string& s)
{
    size_t n = 0;
    for (const unsigned char c : s)
        n += (c & 0xC0) != 0x80 ? 1 : 0;
    return n;
}

// Prints the lines in columns as wide as their widest field; the row
// number and the interval are aligned right.
void printColumns(const std::vector<std::vector<std::string>>& lines)
{
    std::vector<size_t> widths;
    for (const auto& fields : lines) {
        widths.resize(std::max(widths.size(), fields.size()), 0);
        for (size_t i = 0; i < fields.size(); ++i)
            widths[i] = std::max(widths[i], characters(fields[i]));
    }
    for (const auto& fields : lines) {
        std::string line;
        for (size_t i = 0; i < fields.size(); ++i) {
            const std::string pad(widths[i] - characters(fields[i]), ' ');
            const bool right = i == 0 || i == 4;
            const bool last = i + 1 == fields.size();
            line += right ? pad + fields[i] : fields[i] + (last ? "" : pad);
            if (!last)
                line += "  ";
        }
        std::printf("%s\n", line.c_str());
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
    std::vector<std::vector<std::string>> lines;
    int row = 0;
    for (int i = 0; i < cellList.GetCount(); ++i) {
        const CCellInfo* cell = cellList.GetAt(i);
        if (!cell->IsVisible())
            continue;
        ++row;
        if (args.json)
            cells.append(cellJson(cell, row));
        else
            lines.push_back(lineFields(cell, row));
    }
    printColumns(lines);
    if (args.json) {
        QJsonObject o;
        o.insert(QStringLiteral("cells"), cells);
        CliPrintJson(QJsonDocument(o));
    }
    return ExitDone;
}

const CCliCommandRegistrar registrar(kList);

} // namespace
