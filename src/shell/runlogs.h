// The start of the run's logs, the first thing the program entry does.
#pragma once

#include <string>

// Switches the debug log off ("DI_Zaze.txt"), creates the report log "Report_Game.txt" in the current
// folder under its absolute path and writes the version entry. 0 when the report log cannot be made,
// with what the user is told in `failure` (when given): the program then ends at once.
int StartRunLogs(std::string* failure = nullptr);
