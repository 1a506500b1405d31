// Stage files for tests, written through the stage record's own writer (the stages themselves are
// built with the authoring helpers of stagedata/stageauthor.h, which the demo game uses too).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "authoring/stageauthor.h"

// Writes the sample stage (BuildSampleStage), named `name`, to a game path in an existing folder;
// true when the whole file was written.
bool SaveSampleStage(const std::string& path, const std::string& name = "Sample", int width = 20, int height = 15);
// The bytes of the file the stage writes (through a scratch file in the current folder).
std::vector<uint8_t> StageFileBytes(cStageData& stage);
