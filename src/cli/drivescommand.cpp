// zelm drives: the volumes a card can be chosen from, as the window's card
// choice offers them, with kind, label and free space.
#include "base/pathutils.h"
#include "base/volumelist.h"
#include "cli/clicommand.h"
#include "cli/cliprompt.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>

namespace {

// "931.5 GB": decimal units, as disk sizes are sold.
std::string readableSize(uint64_t bytes)
{
    static const char* const units[] = {"B", "kB", "MB", "GB", "TB", "PB", "EB"};
    double value = static_cast<double>(bytes);
    size_t unit = 0;
    while (value >= 1000.0 && unit + 1 < std::size(units)) {
        value /= 1000.0;
        ++unit;
    }
    char buf[32];
    if (unit == 0)
        std::snprintf(buf, sizeof buf, "%llu B", static_cast<unsigned long long>(bytes));
    else
        std::snprintf(buf, sizeof buf, "%.1f %s", value, units[unit]);
    return buf;
}

void printJson(const std::vector<CVolumeList::Volume>& volumes)
{
    QJsonArray array;
    for (const CVolumeList::Volume& v : volumes) {
        QJsonObject o;
        o.insert(QStringLiteral("root"), QString::fromStdString(v.root));
        o.insert(QStringLiteral("label"), QString::fromStdString(v.label));
        o.insert(QStringLiteral("kind"), QLatin1String(CVolumeList::KindName(v.kind)));
        o.insert(QStringLiteral("free"), static_cast<qint64>(v.freeBytes));
        array.append(o);
    }
    const QByteArray json = QJsonDocument(array).toJson(QJsonDocument::Compact);
    std::fwrite(json.constData(), 1, static_cast<size_t>(json.size()), stdout);
    std::fputc('\n', stdout);
}

void printTable(const std::vector<CVolumeList::Volume>& volumes)
{
    size_t rootWidth = 0, freeWidth = 0;
    std::vector<std::string> sizes;
    for (const CVolumeList::Volume& v : volumes) {
        sizes.push_back(readableSize(v.freeBytes));
        rootWidth = std::max(rootWidth, v.root.size());
        freeWidth = std::max(freeWidth, sizes.back().size());
    }
    for (size_t i = 0; i < volumes.size(); ++i) {
        const CVolumeList::Volume& v = volumes[i];
        std::printf("%-*s  %-9s  %*s free%s%s\n", static_cast<int>(rootWidth), v.root.c_str(),
                    CVolumeList::KindName(v.kind), static_cast<int>(freeWidth), sizes[i].c_str(),
                    v.label.empty() ? "" : "  ", v.label.c_str());
    }
}

int runDrives(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kDrives = {
    "drives",
    "drives [--json]",
    "Lists the volumes a card can be chosen from, removable ones first (never optical or\n"
    "network volumes, nor the volumes of /, /boot and the home folder):\n"
    "mount point, kind (removable, fixed, ram), free space and label.\n"
    "--json prints [{\"root\", \"label\", \"kind\", \"free\"}] with free space in bytes.",
    {},
    {},
    runDrives,
};

int runDrives(const CCliArgs& args, CCliPrompt& prompt)
{
    if (!args.positional.empty())
        return CliUsage(kDrives, "drives takes no arguments");
    CVolumeList list;
    errno = 0;
    if (!list.Load()) {
        ShowSystemError(&prompt, errno ? errno : EIO);
        return ExitFailed;
    }
    const auto volumes = list.CardVolumes();
    if (args.json)
        printJson(volumes);
    else
        printTable(volumes);
    return ExitDone;
}

const CCliCommandRegistrar registrar(kDrives);

} // namespace
