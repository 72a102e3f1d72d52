#pragma once

#include <string>

class CCliPrompt;

// The card argument of the card commands: a mounted volume or any folder
// standing for a card, made absolute with a trailing '/'.
std::string CardRootArgument(const std::string& argument);
// false, with message 7115, when the card's root cannot be listed.
bool CardReadable(const std::string& root, CCliPrompt& prompt);
