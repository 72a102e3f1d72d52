#pragma once

#include "base/volumelist.h"

#include <QComboBox>
#include <string>
#include <vector>

// A drop-down list of the volumes (all but optical ones) by label and mount
// point; picks the volume to work on or to jump to.
class CDriveComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit CDriveComboBox(QWidget* parent = nullptr);

    void FillDrives(const std::vector<CVolumeList::Volume>& volumes);
    // The mount point of the chosen volume (trailing '/'); false when none.
    bool GetSelectedPath(std::string& path) const;
    bool SelectPath(const std::string& path);
};
