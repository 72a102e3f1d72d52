#pragma once

// A planted back-arrow: the layout check must fail on this tree.
#include "model/archive.h"
#include "editor/scenarioeditor.h"
