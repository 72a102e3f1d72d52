// The compound-file writer of the presentation tests, shared here to craft
// office documents for the content checks of the listing.
#include "presentation/testcompound.cpp"
