// The presentation tests' helpers (compound files, decks made by
// LibreOffice), shared here for the browser's widget tests.
#include "presentation/presentationfixtures.cpp"
#include "presentation/testcompound.cpp"
