#include "gui/dialogs/fontui.h"

#include <QRegularExpression>
#include <QSettings>
#include <algorithm>

namespace {

constexpr int kMaxFaceLength = 31;

} // namespace

int CFontUI::NextPointSize(int pointSize, int direction) const
{
    const int step = pointSize <= 12 ? 1 : pointSize < 32 ? 2 : pointSize < 48 ? 4 : 8;
    return direction > 0 ? pointSize + step : pointSize - step;
}

int CFontUI::GetPointSize(const QFont& font)
{
    return font.pointSize() > 0 ? font.pointSize() : qRound(font.pointSizeF());
}

void CFontUI::SetPointSize(QFont& font, int pointSize)
{
    font.setPointSize(std::max(1, pointSize));
}

QString CFontUI::Describe(const QFont& font)
{
    return QStringLiteral("%1,%2,%3,%4")
        .arg(font.family())
        .arg(GetPointSize(font))
        .arg(static_cast<int>(font.weight()))
        .arg(font.italic() ? 1 : 0);
}

bool CFontUI::Parse(const QString& text, QFont& font)
{
    static const QRegularExpression pattern(
        QStringLiteral("^([a-zA-Z ]+),(-?\\d+),(-?\\d+),(-?\\d+)"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch() || m.captured(1).size() > kMaxFaceLength)
        return false;
    bool ok1 = false, ok2 = false, ok3 = false;
    const int points = m.captured(2).toInt(&ok1);
    const int weight = m.captured(3).toInt(&ok2);
    const int italic = m.captured(4).toInt(&ok3);
    if (!ok1 || !ok2 || !ok3 || points <= 0 || points > 1638)
        return false;
    font.setFamily(m.captured(1));
    font.setPointSize(points);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(weight == 0 ? 400 : weight, 1, 1000)));
    font.setItalic((italic & 0xFF) != 0);
    return true;
}

bool CFontUI::ReadFont(QSettings& settings, const QString& section, const QString& name,
                       QFont& font) const
{
    const QString text = settings.value(section + QLatin1Char('/') + name).toString();
    if (text.isEmpty())
        return false;
    QFont read = font;
    if (!Parse(text, read))
        return false;
    font = read;
    return true;
}

void CFontUI::WriteFont(QSettings& settings, const QString& section, const QString& name,
                        const QFont& font) const
{
    settings.setValue(section + QLatin1Char('/') + name, Describe(font));
}
