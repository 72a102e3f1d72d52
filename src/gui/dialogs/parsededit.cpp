#include "gui/dialogs/parsededit.h"

#include <QApplication>
#include <QValidator>

namespace {
// Strips what the edit refuses from every change, whether typed, pasted,
// dropped or chosen from the context menu.
class CClassValidator : public QValidator
{
public:
    explicit CClassValidator(CParsedEdit* edit) : QValidator(edit), m_edit(edit) {}

    State validate(QString& input, int& pos) const override
    {
        const QString kept = m_edit->Filtered(input);
        if (kept.size() != input.size()) {
            // Keep the caret where it was relative to the characters kept.
            pos = m_edit->Filtered(input.left(pos)).size();
            input = kept;
            QMetaObject::invokeMethod(m_edit, &CParsedEdit::BadInput, Qt::QueuedConnection);
        }
        return Acceptable;
    }

private:
    CParsedEdit* m_edit;
};
} // namespace

CParsedEdit::CParsedEdit(unsigned classes, QWidget* parent) : QLineEdit(parent), m_classes(classes)
{
    setValidator(new CClassValidator(this));
    connect(this, &CParsedEdit::BadInput, this, [] { QApplication::beep(); });
}

unsigned CParsedEdit::ClassOf(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 32 || u == 127)
        return 0; // never part of a name, also when pasted
    if (u > 127)
        return WideChars;
    if ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z'))
        return Letters;
    if (u >= '1' && u <= '5')
        return Digits | Digits1To5;
    if (u == '0' || (u >= '6' && u <= '9'))
        return Digits;
    return OtherChars;
}

QString CParsedEdit::Filtered(const QString& text) const
{
    QString kept;
    kept.reserve(text.size());
    for (const QChar c : text)
        if (Accepts(c))
            kept.append(c);
    return kept;
}
