#pragma once

#include "document/projectdlgchecks.h"

class CCliPrompt;

// The exit status of a project check (new project, properties, save as):
// ExitDone when it accepted the name and folder, ExitDeclined when the user
// cancelled at a question, and the prompt's failure status when it refused.
int CliCheckStatus(CProjectDlgChecks::Outcome outcome, CCliPrompt& prompt);
