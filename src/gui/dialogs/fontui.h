#pragma once

#include <QFont>
#include <QString>

class QSettings;

// A font kept in the settings as one string "Face,points,weight,italic"
// (for example "Arial,10,400,0"). A face name is read back only when it is
// made of ASCII letters and spaces and has at most 31 of them; anything else
// leaves the caller's font as it was.
class CFontUI
{
public:
    CFontUI() = default;
    virtual ~CFontUI() = default;

    int MinPointSize() const { return m_minPointSize; }
    int MaxPointSize() const { return m_maxPointSize; }

    // One step larger (direction > 0) or smaller: 1 up to 12 points, 2 below
    // 32, 4 below 48, 8 from 48 on.
    virtual int NextPointSize(int pointSize, int direction) const;

    static int GetPointSize(const QFont& font);
    static void SetPointSize(QFont& font, int pointSize);

    // True and `font` changed when the value exists and all four fields parse.
    bool ReadFont(QSettings& settings, const QString& section, const QString& name,
                  QFont& font) const;
    void WriteFont(QSettings& settings, const QString& section, const QString& name,
                   const QFont& font) const;

    // The settings string of `font`, and back (false: malformed).
    static QString Describe(const QFont& font);
    static bool Parse(const QString& text, QFont& font);

private:
    int m_minPointSize = 4;
    int m_maxPointSize = 120;
};
