// Whole files as bytes, by host path.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

std::vector<uint8_t> ReadFileBytes(const std::string& hostPath);
// False when the file could not be written whole.
bool WriteFileBytes(const std::string& hostPath, const std::vector<uint8_t>& bytes);
