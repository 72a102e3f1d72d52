#pragma once

#include <string>

// Whether the card at `root` has gone since it was chosen: its folder is
// missing, or `wasMountRoot` and `root` is no longer a mount point (the
// card was taken out and only its empty mount folder is left).
bool CardGone(const std::string& root, bool wasMountRoot);
