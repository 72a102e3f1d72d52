#include "gui/browser/drivecombobox.h"

#include <QStyle>

CDriveComboBox::CDriveComboBox(QWidget* parent) : QComboBox(parent)
{
    setAccessibleName(QStringLiteral("Drive"));
}

void CDriveComboBox::FillDrives(const std::vector<CVolumeList::Volume>& volumes)
{
    const QSignalBlocker block(this);
    const QString before = currentData().toString();
    clear();
    for (const CVolumeList::Volume& volume : volumes) {
        if (volume.kind == CVolumeList::Optical)
            continue;
        const QString root = QString::fromStdString(volume.root);
        const QString text =
            volume.label.empty()
                ? root
                : QStringLiteral("%1 (%2)").arg(QString::fromStdString(volume.label), root);
        const auto icon = volume.kind == CVolumeList::Removable ? QStyle::SP_DriveFDIcon
                          : volume.kind == CVolumeList::Network ? QStyle::SP_DriveNetIcon
                                                                : QStyle::SP_DriveHDIcon;
        addItem(style()->standardIcon(icon), text, root);
    }
    const int again = findData(before);
    setCurrentIndex(again >= 0 ? again : (count() > 0 ? 0 : -1));
}

bool CDriveComboBox::GetSelectedPath(std::string& path) const
{
    if (currentIndex() < 0)
        return false;
    path = currentData().toString().toStdString();
    return !path.empty();
}

bool CDriveComboBox::SelectPath(const std::string& path)
{
    const int index = findData(QString::fromStdString(path));
    if (index < 0)
        return false;
    setCurrentIndex(index);
    return true;
}
