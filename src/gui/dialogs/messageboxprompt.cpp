#include "gui/dialogs/messageboxprompt.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon boxIcon(CUserPrompt::Icon icon)
{
    switch (icon) {
    case CUserPrompt::Information:
        return QMessageBox::Information;
    case CUserPrompt::Error:
        return QMessageBox::Critical;
    case CUserPrompt::Question:
        return QMessageBox::Question;
    case CUserPrompt::Exclamation:
        break;
    }
    return QMessageBox::Warning;
}

QMessageBox::StandardButtons boxButtons(CUserPrompt::Buttons buttons)
{
    switch (buttons) {
    case CUserPrompt::OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case CUserPrompt::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case CUserPrompt::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case CUserPrompt::RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    case CUserPrompt::ReplaceCancel:
        return QMessageBox::Yes | QMessageBox::Cancel;
    case CUserPrompt::Ok:
        break;
    }
    return QMessageBox::Ok;
}

// Inserts are paths more often than not; a folder reads better without its
// trailing '/' (the root stays "/").
std::string trimFolders(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const bool slashBeforeBreak =
            text[i] == '/' && i > 0 && text[i - 1] != ' ' && text[i - 1] != '\n' &&
            (i + 1 == text.size() || text[i + 1] == '\n' || text[i + 1] == ' ' ||
             text[i + 1] == '"' || text[i + 1] == '.' || text[i + 1] == ',');
        if (!slashBeforeBreak)
            out += text[i];
    }
    return out;
}

} // namespace

std::string CMessageBoxPrompt::DisplayPath(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

CUserPrompt::Answer CMessageBoxPrompt::Show(int /*id*/, const std::string& text, Icon icon,
                                            Buttons buttons)
{
    QWidget* parent = m_parent ? m_parent.data() : QApplication::activeWindow();
    QMessageBox box(boxIcon(icon), QString::fromStdString(CResourceBundle::Text(MsgId::AppTitle)),
                    QString::fromStdString(trimFolders(text)), boxButtons(buttons), parent);
    box.setAccessibleName(box.windowTitle());
    if (buttons == ReplaceCancel) {
        // Says what happens, as the question does.
        box.button(QMessageBox::Yes)
            ->setText(QString::fromStdString(CResourceBundle::Text(MsgId::ReplaceButton)));
        box.setDefaultButton(QMessageBox::Cancel);
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return AnswerOk;
    case QMessageBox::Yes:
        return AnswerYes;
    case QMessageBox::No:
        return AnswerNo;
    case QMessageBox::Retry:
        return AnswerRetry;
    default:
        break;
    }
    return buttons == Ok ? AnswerOk : buttons == YesNo ? AnswerNo : AnswerCancel;
}
