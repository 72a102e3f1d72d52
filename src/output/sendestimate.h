#pragma once

#include <cstdint>
#include <string>

class CCellInfoList;

// About how much room a send takes on a card, before anything is made: the
// send dialog warns with it while the user still chooses. Card pictures of
// the uncompressed quality have one size; a JPEG's size depends on the
// picture, so each counts as a detailed photo at its quality does, which
// rather warns once too often than too seldom. Every file is rounded up to
// the card's allocation unit.
class CSendEstimate
{
public:
    // The room the scenario `name` of `cells` at `imageQuality` (0 BMP, 1
    // and 2 JPEG) takes on the card at `root` beyond what the scenario of
    // that name it replaces frees.
    static uint64_t Growth(const CCellInfoList& cells, int imageQuality, const std::string& name,
                           const std::string& root);
    // The same for `pictures` image cells and `steps` rows in all on a card
    // with allocation unit `unit`.
    static uint64_t CardBytes(int pictures, int steps, int imageQuality, uint64_t unit);
};
