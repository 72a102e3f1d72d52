#pragma once

#include <QRect>
#include <QString>

class QSettings;
class QWidget;

// The main window's placement as ten integer values of a settings section
// ("wp.showCmd" ... "wp.bottom"). Restoring applies the saved place only when
// its normal rectangle lies on a screen that exists now.
class WindowPlacementSettings
{
public:
    // Show commands as the values store them.
    static constexpr int ShowNormal = 1;
    static constexpr int ShowMinimized = 2;
    static constexpr int ShowMaximized = 3;

    int showCmd = 0;
    int flags = 0;
    int minX = 0, minY = 0;
    int maxX = 0, maxY = 0;
    QRect normal; // left, top, right, bottom as the values store them

    void Save(QSettings& settings, const QString& section, const QWidget& window);
    // True when the placement was applied to `window`.
    bool Restore(QSettings& settings, const QString& section, QWidget& window);

    // Whether `normal` meets any screen of the desktop now.
    static bool IsOnAScreen(const QRect& normal);
};
