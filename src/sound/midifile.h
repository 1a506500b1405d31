// Standard MIDI File reader: reads a format-0 or format-1 file whole and merges its tracks into one
// in-memory format-0 image (running status expanded, one end of track at the very end), which the
// MIDI stream player plays.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Variable-length quantities: 7 bits a byte, most significant group first.
// Bytes written (1-4); 0, with nothing written, for a value above 0x0FFFFFFF.
int WriteVarLen(uint8_t* out, uint32_t value);
// Bytes read (1-4); 0 when a fourth byte still has its continuation bit, or when the quantity runs
// past the `avail` bytes that remain.
int ReadVarLen(const uint8_t* bytes, uint32_t* value, size_t avail = 4);

class cMidiFile {
 public:
  // Size of the image's header: "MThd", its length, format, track count, time division, "MTrk" and
  // the track length.
  static constexpr size_t kImageHeader = 22;

  explicit cMidiFile(const char* file);
  virtual ~cMidiFile();
  cMidiFile(const cMidiFile&) = delete;
  cMidiFile& operator=(const cMidiFile&) = delete;

  // Reads and converts the file; the image stays empty on any failure (reported).
  void Load(const char* file);
  // Checks the header of a file image and merges its tracks; empty when refused (reported).
  std::vector<uint8_t> Parse(const uint8_t* bytes, size_t size);

  bool HasImage() const { return !m_vImage.empty(); }
  const std::vector<uint8_t>& Image() const { return m_vImage; }
  const std::string& FileName() const { return m_strFile; }

 protected:
  cMidiFile() = default;

  std::vector<uint8_t> m_vImage;  // the merged format-0 image; empty when the file is unusable
  std::string m_strFile;          // the file name, used in every message

 private:
  struct Event {
    int64_t time;      // absolute time in ticks
    uint8_t status;
    uint32_t data;     // offset in the source of the bytes after the status
    uint32_t length;   // number of those bytes
  };
  // The event lists of every track; false (reported) when the tracks cannot be read safely.
  bool ReadTracks(const uint8_t* bytes, size_t size, std::vector<std::vector<Event>>& tracks);
  std::vector<const Event*> SortEvents(const std::vector<std::vector<Event>>& tracks);
  std::vector<uint8_t> WriteImage(const uint8_t* bytes, const std::vector<const Event*>& sorted);
  std::vector<uint8_t> MergeTracks(const uint8_t* bytes, size_t size);
  void Refuse(const char* reason);
};
