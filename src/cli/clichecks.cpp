#include "cli/clichecks.h"

#include "cli/clicommand.h"
#include "cli/cliprompt.h"

int CliCheckStatus(CProjectDlgChecks::Outcome outcome, CCliPrompt& prompt)
{
    switch (outcome) {
    case CProjectDlgChecks::Accepted:
        return ExitDone;
    case CProjectDlgChecks::Cancelled:
        return ExitDeclined;
    case CProjectDlgChecks::Refused:
        break;
    }
    return prompt.FailureStatus();
}
