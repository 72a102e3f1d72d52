#include "gui/player/showlauncher.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "base/userprompt.h"
#include "gui/dialogs/cardcommands.h"
#include "gui/player/playerwnd.h"
#include "output/cardoffer.h"
#include "show/showsequence.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QFileInfo>
#include <QScreen>

namespace {

std::string shown(const std::string& path)
{
    // Paths are shown without a trailing '/'.
    std::string p = path;
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    return p;
}

} // namespace

std::unique_ptr<CShowSequence> CShowLauncher::Load(const std::string& path, CUserPrompt* prompt)
{
    auto sequence = std::make_unique<CShowSequence>();
    sequence->FromPath(path);
    if (sequence->ReportUnplayable(path, prompt))
        return nullptr;
    return sequence;
}

CPlayerWnd* CShowLauncher::Launch(std::unique_ptr<CShowSequence> sequence, int step,
                                  CUserPrompt* prompt, QWidget* parent, bool windowed)
{
    auto* player = new CPlayerWnd(std::move(sequence), step);
    player->setAttribute(Qt::WA_DeleteOnClose);
    // The program's windows wait while the show plays.
    player->setWindowModality(Qt::ApplicationModal);
    QScreen* screen =
        parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    QObject::connect(player, &CPlayerWnd::Ended, player, [player, prompt] {
        if (player->Reason() == CPlayerWnd::EndedCardGone)
            AskUser(prompt, MsgId::ShowCardGone, CUserPrompt::Exclamation, CUserPrompt::Ok,
                    shown(player->GoneCard()));
    });
    if (!player->Start(screen, windowed)) {
        delete player;
        return nullptr;
    }
    return player;
}

int CShowLauncher::PlayFromCommandLine(const QString& path, CUserPrompt* prompt, bool windowed)
{
    std::unique_ptr<CShowSequence> sequence = Load(path.toStdString(), prompt);
    if (!sequence)
        return 1;
    QEventLoop loop;
    bool cardGone = false;
    CPlayerWnd* player = Launch(std::move(sequence), 0, prompt, nullptr, windowed);
    if (!player)
        return 1;
    QObject::connect(player, &CPlayerWnd::Ended, &loop, [&loop, &cardGone, player] {
        cardGone = player->Reason() == CPlayerWnd::EndedCardGone;
        loop.quit();
    });
    loop.exec();
    return cardGone ? 1 : 0;
}

CPlayerWnd* CShowLauncher::PlayProject(const CCellInfoList& cells, uint32_t backColor,
                                       const std::string& projectName, int row, CUserPrompt* prompt,
                                       QWidget* parent)
{
    auto sequence = std::make_unique<CShowSequence>();
    sequence->FromCells(cells, backColor);
    if (sequence->ReportUnplayable(projectName, prompt))
        return nullptr;
    const int step = sequence->StepOfRow(row);
    return Launch(std::move(sequence), step, prompt, parent, false);
}

CPlayerWnd* CShowLauncher::PlayScenario(CUserPrompt* prompt, QWidget* parent,
                                        const std::string& lastRoot)
{
    // On the card the other card commands offer: the last one while it is
    // there, else a removable one.
    const std::string start = CCardOffer::DefaultRoot(CCardCommands::Volumes(), lastRoot);
    QFileDialog dialog(parent,
                       QString::fromStdString(CResourceBundle::Text(MsgId::PlayScenarioTitle)),
                       QString::fromStdString(start));
    dialog.setObjectName(QStringLiteral("playScenarioDialog"));
    dialog.setAccessibleName(dialog.windowTitle());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilter(QStringLiteral("*.sit *.SIT *.Sit"));
    dialog.setOption(QFileDialog::ReadOnly, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return nullptr;
    std::unique_ptr<CShowSequence> sequence =
        Load(dialog.selectedFiles().constFirst().toStdString(), prompt);
    if (!sequence)
        return nullptr;
    return Launch(std::move(sequence), 0, prompt, parent, false);
}
