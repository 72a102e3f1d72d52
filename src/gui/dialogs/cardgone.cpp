#include "gui/dialogs/cardgone.h"

#include "output/cardoffer.h"

bool CardGone(const std::string& root, bool wasMountRoot)
{
    return CCardOffer::Gone(root, wasMountRoot);
}
