#include "cli/cardroot.h"

#include "base/msgid.h"
#include "base/pathutils.h"
#include "cli/cliprompt.h"

#include <QDir>
#include <QFileInfo>
#include <QString>

std::string CardRootArgument(const std::string& argument)
{
    if (argument.empty())
        return {};
    std::string root =
        QDir::cleanPath(QFileInfo(QString::fromStdString(argument)).absoluteFilePath())
            .toStdString();
    AddBackslash(root);
    return root;
}

bool CardReadable(const std::string& root, CCliPrompt& prompt)
{
    if (!root.empty() && FolderExists(root))
        return true;
    prompt.Message(MsgId::CardNotReady, CUserPrompt::Exclamation, CUserPrompt::Ok, root);
    return false;
}
