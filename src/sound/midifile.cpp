#include "sound/midifile.h"

#include <cstdio>
#include <cstring>
#include <queue>

#include "core/log.h"
#include "platform/fs/path.h"

int WriteVarLen(uint8_t* out, uint32_t value) {
  if (value > 0x0FFFFFFF) return 0;
  int n = 1;
  while (n < 4 && (value >> (7 * n)) != 0) ++n;
  for (int i = 0; i < n; ++i) {
    const uint8_t group = static_cast<uint8_t>((value >> (7 * (n - 1 - i))) & 0x7F);
    out[i] = (i < n - 1) ? static_cast<uint8_t>(group | 0x80) : group;
  }
  return n;
}

int ReadVarLen(const uint8_t* bytes, uint32_t* value, size_t avail) {
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) {
    if (static_cast<size_t>(i) >= avail) return 0;
    v = (v << 7) | (bytes[i] & 0x7F);
    if ((bytes[i] & 0x80) == 0) {
      *value = v;
      return i + 1;
    }
  }
  return 0;
}

namespace {

uint32_t Be32(const uint8_t* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }

bool TagAt(const uint8_t* bytes, size_t size, size_t pos, const char* tag) {
  return pos <= size && size - pos >= 4 && std::memcmp(bytes + pos, tag, 4) == 0;
}

}  // namespace

cMidiFile::cMidiFile(const char* file) { Load(file); }

cMidiFile::~cMidiFile() = default;

void cMidiFile::Refuse(const char* reason) { ReportLogEcho("Midi %s Init %s", m_strFile.c_str(), reason); }

void cMidiFile::Load(const char* file) {
  m_strFile = file ? file : "";
  m_vImage.clear();
  FILE* fp = OpenGameFile(m_strFile, "rb", PathOrigin::Data);
  if (!fp) {
    ReportLogEcho("Midi %s Create ファイルが開けません", m_strFile.c_str());
    return;
  }
  std::vector<uint8_t> bytes;
  uint8_t chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, fp)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  std::fclose(fp);
  m_vImage = Parse(bytes.data(), bytes.size());
}

std::vector<uint8_t> cMidiFile::Parse(const uint8_t* bytes, size_t size) {
  if (!TagAt(bytes, size, 0, "MThd")) {
    Refuse("標準MIDIでない(4)");
    return {};
  }
  if (size < 8 || Be32(bytes + 4) != 6) {
    Refuse("標準MIDIでない(6)");
    return {};
  }
  const unsigned format = size >= 10 ? Be16(bytes + 8) : 0xFFFF;
  if (format == 2) {
    Refuse("対応フォーマットが2でない");
    return {};
  }
  if (format > 2) {
    Refuse("対応フォーマットが0または1でない");
    return {};
  }
  if (!TagAt(bytes, size, 14, "MTrk")) {
    Refuse("標準MIDIでない(4)");
    return {};
  }
  return MergeTracks(bytes, size);
}

// The tracks follow one another: a track ends at its end-of-track event, and the next "MTrk" is taken
// right after it. When something else stands there (padding, or a chunk of another kind), the chunk
// lengths locate the next "MTrk". Every read is bounded by the file: a track that runs past the end
// of the file, has no end of track, or holds a damaged length is refused.
bool cMidiFile::ReadTracks(const uint8_t* bytes, size_t size, std::vector<std::vector<Event>>& tracks) {
  const unsigned n = Be16(bytes + 10);
  if (n == 0) {
    Refuse("トラックがありません");
    return false;
  }
  tracks.assign(n, {});
  int64_t maxTime = 0;
  size_t pos = 14;
  for (unsigned t = 0; t < n; ++t) {
    if (t > 0 && !TagAt(bytes, size, pos, "MTrk")) {
      // Find the next track chunk by the chunk lengths, from the chunk that just ended.
      bool found = false;
      size_t scan = pos;
      while (scan <= size && size - scan >= 8) {
        if (TagAt(bytes, size, scan, "MTrk")) {
          found = true;
          break;
        }
        scan += 8 + static_cast<size_t>(Be32(bytes + scan + 4));
      }
      if (!found) {
        Refuse("トラックが足りません");
        return false;
      }
      pos = scan;
    }
    if (size - pos < 8) {
      Refuse("トラックが途中で切れています");
      return false;
    }
    const size_t chunkEnd = pos + 8 + static_cast<size_t>(Be32(bytes + pos + 4));
    pos += 8;
    int64_t time = 0;
    uint8_t running = 0;
    std::vector<Event>& list = tracks[t];
    for (;;) {
      uint32_t delta = 0;
      const int dl = ReadVarLen(bytes + pos, &delta, size - pos);
      if (dl == 0) {
        Refuse(pos >= size ? "トラックが途中で切れています" : "可変長の値が不正です");
        return false;
      }
      pos += dl;
      time += delta;
      if (pos >= size) {
        Refuse("トラックが途中で切れています");
        return false;
      }
      uint8_t status = bytes[pos];
      if (status & 0x80)
        ++pos;
      else
        status = running;
      if (status == 0) {
        Refuse("ステータスがありません");
        return false;
      }
      running = status;
      size_t length;
      if (status >= 0xC0 && status <= 0xDF) {
        length = 1;
      } else if (status == 0xF0 || status == 0xF7 || status == 0xFF) {
        const size_t typeBytes = status == 0xFF ? 1 : 0;
        if (status == 0xFF && size - pos >= 2 && bytes[pos] == 0x2F && bytes[pos + 1] == 0x00) {
          pos += 2;
          break;
        }
        if (size - pos < typeBytes) {
          Refuse("トラックが途中で切れています");
          return false;
        }
        uint32_t value = 0;
        const int ql = ReadVarLen(bytes + pos + typeBytes, &value, size - pos - typeBytes);
        if (ql == 0) {
          Refuse(pos + typeBytes >= size ? "トラックが途中で切れています" : "可変長の値が不正です");
          return false;
        }
        length = typeBytes + ql + static_cast<size_t>(value);
      } else {
        length = 2;
      }
      if (size - pos < length) {
        Refuse("トラックが途中で切れています");
        return false;
      }
      list.push_back({time, status, static_cast<uint32_t>(pos), static_cast<uint32_t>(length)});
      pos += length;
    }
    if (time > maxTime) maxTime = time;
    // Where the bytes after the end of track are not the next track, its chunk length says where
    // the next chunk starts.
    if (t + 1 < n && !TagAt(bytes, size, pos, "MTrk") && chunkEnd > pos && chunkEnd <= size) pos = chunkEnd;
  }
  tracks.back().push_back({maxTime, 0xFF, 0, 0});  // the one end of track; its bytes are written below
  return true;
}

std::vector<const cMidiFile::Event*> cMidiFile::SortEvents(const std::vector<std::vector<Event>>& tracks) {
  // A heap of (time, track): among equal times the lower track goes first, and within a track the
  // events keep their order because each list is taken from its head only.
  using Head = std::pair<int64_t, size_t>;
  std::priority_queue<Head, std::vector<Head>, std::greater<Head>> heads;
  std::vector<size_t> next(tracks.size(), 0);
  size_t count = 0;
  for (size_t t = 0; t < tracks.size(); ++t) {
    count += tracks[t].size();
    if (!tracks[t].empty()) heads.push({tracks[t][0].time, t});
  }
  std::vector<const Event*> sorted;
  sorted.reserve(count);
  while (!heads.empty()) {
    const size_t t = heads.top().second;
    heads.pop();
    sorted.push_back(&tracks[t][next[t]]);
    if (++next[t] < tracks[t].size()) heads.push({tracks[t][next[t]].time, t});
  }
  return sorted;
}

std::vector<uint8_t> cMidiFile::WriteImage(const uint8_t* bytes, const std::vector<const Event*>& sorted) {
  size_t bound = kImageHeader;
  for (const Event* e : sorted) bound += 4 + 1 + (e->length ? e->length : 2);
  std::vector<uint8_t> image(bound);
  std::memcpy(image.data(), "MThd\0\0\0\6\0\0\0\1", 12);
  image[12] = bytes[12];
  image[13] = bytes[13];
  std::memcpy(image.data() + 14, "MTrk", 4);
  size_t out = kImageHeader;
  int64_t previous = 0;
  for (const Event* e : sorted) {
    const int64_t delta = e->time - previous;
    previous = e->time;
    const int dl = WriteVarLen(image.data() + out, static_cast<uint32_t>(delta > 0x0FFFFFFF ? 0x10000000 : delta));
    if (dl == 0) {
      Refuse("可変長の値が不正です");
      return {};
    }
    out += dl;
    image[out++] = e->status;
    if (e->length == 0) {  // the end of track
      image[out++] = 0x2F;
      image[out++] = 0x00;
    } else {
      std::memcpy(image.data() + out, bytes + e->data, e->length);
      out += e->length;
    }
  }
  image.resize(out);
  const uint32_t trackLength = static_cast<uint32_t>(out - kImageHeader);
  for (int i = 0; i < 4; ++i) image[18 + i] = static_cast<uint8_t>(trackLength >> (24 - 8 * i));
  return image;
}

std::vector<uint8_t> cMidiFile::MergeTracks(const uint8_t* bytes, size_t size) {
  std::vector<std::vector<Event>> tracks;
  if (!ReadTracks(bytes, size, tracks)) return {};
  return WriteImage(bytes, SortEvents(tracks));
}
