#pragma once

#include <QLineEdit>

// A line edit that takes only characters of chosen classes, typed or pasted:
// a refused typed character is dropped with a beep, a pasted text keeps its
// accepted characters only. The project-name fields take letters and digits.
class CParsedEdit : public QLineEdit
{
    Q_OBJECT
public:
    enum Classes : unsigned
    {
        Digits = 0x0001,
        Letters = 0x0002,
        OtherChars = 0x0004, // punctuation, blanks and the like
        WideChars = 0x0008,  // characters outside ASCII
        Digits1To5 = 0x0010,
    };

    explicit CParsedEdit(unsigned classes, QWidget* parent = nullptr);

    unsigned Classes() const { return m_classes; }
    // The class bits of one character (control characters: none).
    static unsigned ClassOf(QChar c);
    // Whether the edit takes `c`.
    bool Accepts(QChar c) const { return (ClassOf(c) & m_classes) != 0; }
    // `text` without the characters the edit refuses.
    QString Filtered(const QString& text) const;

Q_SIGNALS:
    // A character was refused.
    void BadInput();

private:
    unsigned m_classes;
};
