// Placeholders for services that are not built yet: the
// virtual back buffer copy (a blit), and bitmap files. Each writes a debug-log line and does no work;
// this file goes when those services arrive.
#pragma once
#include "gfx/records.h"

