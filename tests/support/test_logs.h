// The logs and the main window of a started program, for tests that watch what failures report:
// both logs fresh in the current folder ("Report_Game.txt" and "DI_Zaze.txt", the debug log on),
// message boxes recorded from a clean slate, and a main window (g_hMainWnd) that collects close
// requests. StopTestLogs destroys the window and turns the logs off again.
#pragma once
#include <string>
#include <vector>

#include "support/closerequests.h"

void StartTestLogs();
void StopTestLogs();

// The texts of the message boxes shown since the last call.
std::vector<std::string> TakeBoxTexts();
// The entries of a log file (lines ended by CR LF).
std::vector<std::string> LogLines(const char* file);
