#include "support/media_writers.h"

#include <vorbis/vorbisenc.h>

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

std::vector<uint8_t> OggSineBytes(int rate, double seconds, double freq, double amplitude) {
  vorbis_info vi;
  vorbis_info_init(&vi);
  vorbis_encode_init_vbr(&vi, 2, rate, 0.4f);
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block vb;
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, 1234);
  std::vector<uint8_t> out;
  auto putPage = [&](const ogg_page& og) {
    out.insert(out.end(), og.header, og.header + og.header_len);
    out.insert(out.end(), og.body, og.body + og.body_len);
  };
  ogg_packet header, comment, code;
  vorbis_analysis_headerout(&vd, &vc, &header, &comment, &code);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &comment);
  ogg_stream_packetin(&os, &code);
  ogg_page og;
  while (ogg_stream_flush(&os, &og)) putPage(og);
  const long total = static_cast<long>(rate * seconds);
  long done = 0;
  bool eos = false;
  while (!eos) {
    const long n = std::min(1024L, total - done);
    if (n > 0) {
      float** buf = vorbis_analysis_buffer(&vd, static_cast<int>(n));
      for (long i = 0; i < n; ++i) {
        const float v = static_cast<float>(amplitude * std::sin(2 * M_PI * freq * (done + i) / rate));
        buf[0][i] = v;
        buf[1][i] = v;
      }
      vorbis_analysis_wrote(&vd, static_cast<int>(n));
      done += n;
    } else {
      vorbis_analysis_wrote(&vd, 0);
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet op;
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        while (ogg_stream_pageout(&os, &og)) {
          putPage(og);
          if (ogg_page_eos(&og)) eos = true;
        }
      }
    }
    if (n <= 0 && !eos) {
      while (ogg_stream_flush(&os, &og)) {
        putPage(og);
        if (ogg_page_eos(&og)) eos = true;
      }
      eos = true;
    }
  }
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return out;
}
