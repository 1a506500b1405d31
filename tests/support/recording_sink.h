// A MIDI sink that records what the stream device sends, with the stream clock of each event.
#pragma once
#include <mutex>
#include <vector>

#include "platform/audio/gmsynth.h"

struct RecordedMidi {
  uint64_t sample;
  uint32_t message;  // short message; 0xF0 for a system-exclusive one
  uintptr_t buffer;  // the user field of the buffer it came from
  size_t length;     // bytes of a system-exclusive message
};

class RecordingSink : public MidiSink {
 public:
  void ShortMessage(uint64_t sample, uint32_t message, uintptr_t user) override {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back({sample, message, user, 0});
  }
  void SysEx(uint64_t sample, const uint8_t* bytes, size_t length, uintptr_t user) override {
    std::lock_guard<std::mutex> lock(mutex_);
    events_.push_back({sample, bytes[0], user, length});
  }
  void AllNotesOff() override {}
  std::vector<RecordedMidi> Events() {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_;
  }
  size_t Count() {
    std::lock_guard<std::mutex> lock(mutex_);
    return events_.size();
  }

 private:
  std::mutex mutex_;
  std::vector<RecordedMidi> events_;
};
