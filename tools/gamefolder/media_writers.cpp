#include "gamefolder/media_writers.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& b, uint16_t v) {
  b.push_back(static_cast<uint8_t>(v));
  b.push_back(static_cast<uint8_t>(v >> 8));
}
void PutTag(std::vector<uint8_t>& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }
void PutChunk(std::vector<uint8_t>& b, const char* tag, const std::vector<uint8_t>& body, int64_t claimed = -1) {
  PutTag(b, tag);
  Put32(b, static_cast<uint32_t>(claimed < 0 ? body.size() : claimed));
  b.insert(b.end(), body.begin(), body.end());
  if (body.size() & 1) b.push_back(0);
}
void PutBe32(std::vector<uint8_t>& b, uint32_t v) {
  for (int i = 3; i >= 0; --i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
}  // namespace

std::vector<uint8_t> Pcm16(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> b;
  for (int16_t s : samples) Put16(b, static_cast<uint16_t>(s));
  return b;
}

std::vector<uint8_t> WaveBytes(const WaveSpec& s, const std::vector<uint8_t>& pcm) {
  std::vector<uint8_t> fmt;
  Put16(fmt, s.tag);
  Put16(fmt, s.channels);
  Put32(fmt, s.rate);
  const uint16_t align = static_cast<uint16_t>(s.channels * s.bits / 8);
  Put32(fmt, s.rate * align);
  Put16(fmt, align);
  Put16(fmt, s.bits);
  if (s.fmtSize >= 18) Put16(fmt, s.cbSize);
  fmt.resize(s.fmtSize, 0);
  std::vector<uint8_t> body;
  PutTag(body, s.waveForm ? "WAVE" : "AVI ");
  if (!s.extraChunkBeforeFmt.empty()) PutChunk(body, "LIST", s.extraChunkBeforeFmt);
  if (s.dataBeforeFmt) PutChunk(body, "data", pcm, s.dataSizeClaimed);
  PutChunk(body, "fmt ", fmt);
  if (!s.dataBeforeFmt) PutChunk(body, "data", pcm, s.dataSizeClaimed);
  std::vector<uint8_t> file;
  PutChunk(file, "RIFF", body);
  return file;
}

void AppendVarLen(std::vector<uint8_t>& out, uint32_t v) {
  uint8_t groups[5];
  int n = 0;
  do {
    groups[n++] = v & 0x7F;
    v >>= 7;
  } while (v && n < 5);
  while (n-- > 0) out.push_back(static_cast<uint8_t>(groups[n] | (n ? 0x80 : 0)));
}

SmfWriter& SmfWriter::Track() {
  trackChunks_.push_back(chunks_.size());
  chunks_.push_back({});
  return *this;
}

SmfWriter& SmfWriter::Ev(uint32_t delta, std::vector<uint8_t> bytes) {
  std::vector<uint8_t>& t = chunks_[trackChunks_.back()];
  AppendVarLen(t, delta);
  t.insert(t.end(), bytes.begin(), bytes.end());
  return *this;
}

SmfWriter& SmfWriter::Tempo(uint32_t delta, uint32_t us) {
  return Ev(delta, {0xFF, 0x51, 0x03, uint8_t(us >> 16), uint8_t(us >> 8), uint8_t(us)});
}

SmfWriter& SmfWriter::SysEx(uint32_t delta, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> e{0xF0};
  AppendVarLen(e, static_cast<uint32_t>(data.size()));
  e.insert(e.end(), data.begin(), data.end());
  return Ev(delta, e);
}

SmfWriter& SmfWriter::Meta(uint32_t delta, uint8_t type, const std::vector<uint8_t>& data) {
  std::vector<uint8_t> e{0xFF, type};
  AppendVarLen(e, static_cast<uint32_t>(data.size()));
  e.insert(e.end(), data.begin(), data.end());
  return Ev(delta, e);
}

SmfWriter& SmfWriter::Pad(size_t n) {
  chunks_[trackChunks_.back()].insert(chunks_[trackChunks_.back()].end(), n, 0);
  return *this;
}

SmfWriter& SmfWriter::AlienChunk(const std::string& tag, size_t n) {
  std::vector<uint8_t> c(tag.begin(), tag.end());
  c.resize(4, ' ');
  PutBe32(c, static_cast<uint32_t>(n));
  c.insert(c.end(), n, 0x55);
  chunks_.push_back(c);
  return *this;
}

std::vector<uint8_t> SmfWriter::Bytes() const {
  std::vector<uint8_t> b;
  PutTag(b, "MThd");
  PutBe32(b, 6);
  b.push_back(0);
  b.push_back(static_cast<uint8_t>(format_));
  b.push_back(static_cast<uint8_t>(trackChunks_.size() >> 8));
  b.push_back(static_cast<uint8_t>(trackChunks_.size()));
  b.push_back(static_cast<uint8_t>(division_ >> 8));
  b.push_back(static_cast<uint8_t>(division_));
  size_t next = 0;
  for (size_t i = 0; i < chunks_.size(); ++i) {
    if (next < trackChunks_.size() && trackChunks_[next] == i) {
      PutTag(b, "MTrk");
      PutBe32(b, static_cast<uint32_t>(chunks_[i].size()));
      ++next;
    }
    b.insert(b.end(), chunks_[i].begin(), chunks_[i].end());
  }
  return b;
}
