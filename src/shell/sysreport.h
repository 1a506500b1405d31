// System queries that other parts of the program use.
#pragma once

// The display driver's DDI version: 9 on every system this program runs on.
int GetDisplayDdiVersion();

// Hands the queries the graphics library asks to it; the start-up calls it before the library starts.
void RegisterSystemQueries();

// Free and total video memory in megabytes. With DirectDraw running its object is asked; otherwise
// (Direct3D, or before the start) a DirectDraw object is made for the question, so the total is
// never 0 while a display exists. Both 0 when no DirectDraw object can be made.
void GetVideoMemory(int* freeMB, int* totalMB);

// The screen mode lines of the report log ("Mode : Window\nBpp : 32\n" and the back end's lines).
void SystemReportMode();
// Whether the system's version is major.minor or later.
bool IsWindowsVersionAtLeast(int major, int minor);
