#pragma once
// The three things the board is asked to do: read the parameters, write them, and the
// program-load exchange with its debug monitor. Each opens the port at its start and closes
// it at its end, on every path, and returns what came of it as data.

#include "operations/parameters.h"   // IWYU pragma: export
#include "operations/program_load.h" // IWYU pragma: export
