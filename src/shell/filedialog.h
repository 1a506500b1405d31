// The open and save file choosers as the program calls them, and the quit question.
#pragma once
#include <string>
#include <vector>

#include "platform/win/dialogs.h"

// 1 when a file was chosen; the buffer (bufferSize bytes) holds its path. The buffer is cleared first.
int OpenFileDialog(HWND owner, char* buffer, int bufferSize, const char* initialFolder, const char* title,
                   const char* filter, const char* defaultExt, int multiSelect, std::vector<std::string>* outFiles);
// 1 when a name was chosen; the 260-byte buffer holds it. Cleared first unless keepName.
int SaveFileDialog(HWND owner, char* buffer, const char* initialFolder, const char* title, const char* filter,
                   const char* defaultExt, int keepName);
