#include "gamefolder/filebytes.h"

#include <fstream>
#include <iterator>

std::vector<uint8_t> ReadFileBytes(const std::string& hostPath) {
  std::ifstream in(hostPath, std::ios::binary);
  return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::string& hostPath, const std::vector<uint8_t>& bytes) {
  std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}
