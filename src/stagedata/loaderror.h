// The shared report of a data file that failed to load.
#pragma once
#include <string>

// Reports the failed load of path through the report log and an error box; the text says so when
// the file was refused for being newer than this program.
void ShowLoadError(const std::string& path);
