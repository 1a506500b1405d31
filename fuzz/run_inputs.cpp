// The entry of a fuzz target built without a fuzzer: runs every file of the folders (and files)
// given, in name order, through the target once. A reader's fault ends the program through the
// sanitizers or the target's checks, after the input's path was printed ("input: PATH") to stderr;
// a missing folder is skipped, but some input must run.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  namespace fs = std::filesystem;
  std::vector<fs::path> inputs;
  for (int i = 1; i < argc; ++i) {
    std::error_code ec;
    // Absolute: the target makes a temporary game folder its current folder.
    const fs::path arg = fs::absolute(argv[i]);
    if (fs::is_regular_file(arg, ec)) {
      inputs.push_back(arg);
    } else if (fs::is_directory(arg, ec)) {
      for (const auto& entry : fs::recursive_directory_iterator(arg, ec))
        if (entry.is_regular_file()) inputs.push_back(entry.path());
    } else {
      std::printf("no inputs at %s\n", argv[i]);
    }
  }
  std::sort(inputs.begin(), inputs.end());
  for (const fs::path& p : inputs) {
    std::ifstream in(p, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::fprintf(stderr, "input: %s\n", p.string().c_str());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  std::printf("ran %zu inputs\n", inputs.size());
  return inputs.empty() ? 1 : 0;
}
