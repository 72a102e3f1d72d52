#pragma once

#include "document/zurdoc.h"
#include "model/cellctrlinfo.h"

#include <QDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>

// Saves a new project `name` in `folder` (made when missing; ends in '/')
// with `controls` control cells told apart by their interval 1, 2, ...;
// the path of its project file.
inline std::string SaveControlProject(const std::string& folder, const std::string& name,
                                      int controls)
{
    QDir().mkpath(QString::fromStdString(folder));
    CZurDoc doc;
    CProjectSettings settings;
    settings.name = name;
    settings.folder = folder;
    EXPECT_TRUE(doc.NewProject(settings));
    for (int i = 0; i < controls; ++i) {
        auto cell = std::make_unique<CCellCtrlInfo>();
        cell->AutoIntervalSec = i + 1;
        doc.Cells.Append(std::move(cell));
    }
    EXPECT_TRUE(doc.Save());
    return folder + name + ".sic";
}
