#pragma once

#include <QLabel>

// A one-line text that shortens itself in the middle with an ellipsis when
// it is too long, so that the end of a path stays readable.
class CPathLabel : public QLabel
{
    Q_OBJECT
public:
    explicit CPathLabel(QWidget* parent = nullptr);

    void SetFullText(const QString& text);
    const QString& FullText() const { return m_full; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    QSize minimumSizeHint() const override;

private:
    void Elide();

    QString m_full;
};
