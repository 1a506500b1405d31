// What every fuzz target shares: a temporary game folder that is the current folder, the process
// set up as the player starts (headless boxes, data-file values, a main window for close requests),
// the input written to a game path, a fault that ends the run with its reason, and a watch on the
// memory a load holds.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/datafile.h"

using FuzzBytes = std::vector<uint8_t>;

// Once per process: the game folder with "data\database", "user_data\story", "user_data\challenge",
// "user_data\free" and "user_data\rpl4", the player's start-up values and a main window.
void FuzzSetUp();

// Writes bytes to a game path (the folders exist); a failed write ends the run.
void FuzzWriteFile(const std::string& gamePath, const uint8_t* data, size_t size);
void FuzzWriteFile(const std::string& gamePath, const FuzzBytes& bytes);
// The bytes of a game path; empty when it cannot be read.
FuzzBytes FuzzReadFile(const std::string& gamePath);

// Drops what a load left for the person at the screen: recorded boxes and close requests to the main
// window. The number of close requests.
int FuzzTakeMessages();

// Ends the run with a report: a reader broke a promise.
[[noreturn]] void FuzzFail(const char* what, const char* file, int line);
#define FUZZ_CHECK(cond) ((cond) ? (void)0 : FuzzFail(#cond, __FILE__, __LINE__))

// The most bytes held at once by the calling thread between Start and Stop (0 without the sanitizer
// runtime). Stop ends the run when that exceeds a multiple of the input's size: a reader
// allocates in proportion to what the file holds, never to what its counts claim.
class FuzzAllocWatch {
 public:
  void Start();
  void Stop(size_t inputSize, int factor);
};

// Runs load() under the allocation watch; `factor` times the input's size is what it may hold
// beyond the fixed allowance.
template <class Load>
int FuzzWatchedLoad(size_t inputSize, Load&& load, int factor = 64) {
  FuzzAllocWatch watch;
  watch.Start();
  const int result = load();
  watch.Stop(inputSize, factor);
  FUZZ_CHECK(result == 0 || result == 1);
  return result;
}

// The bytes a record writes to a scratch file, or empty when it could not be written.
template <class R>
FuzzBytes FuzzWrittenBytes(R& record) {
  if (!record.Save("fuzz_written.bin")) return {};
  return FuzzReadFile("fuzz_written.bin");
}

// A record written, read back into a fresh one and written again gives the same bytes.
template <class R>
void FuzzCheckRoundTrip(R& record) {
  const FuzzBytes written = FuzzWrittenBytes(record);
  FUZZ_CHECK(!written.empty());
  R again;
  FUZZ_CHECK(again.Load("fuzz_written.bin") == 1);
  FUZZ_CHECK(FuzzWrittenBytes(again) == written);
}

// The bodies of several records written one after the other into one scratch file (one file costs
// less than several when the records are compared after every input).
template <class... R>
FuzzBytes FuzzWrittenBodies(R&... records) {
  cDataFile* f = DataFileOpenWrite("fuzz_bodies.bin");
  if (!f) return {};
  (records.Write(*f), ...);
  if (!DataFileClose(f)) return {};
  return FuzzReadFile("fuzz_bodies.bin");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
