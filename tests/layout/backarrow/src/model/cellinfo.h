#pragma once

// A planted back-arrow: the layout check must fail on this tree.
#include "editor/scenarioeditor.h"
#include "model/archive.h"
