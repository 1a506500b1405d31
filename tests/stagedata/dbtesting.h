// Byte images of database entries as files of a given data version store them, helpers that write
// a record's body and read one back, and the printing of sequence frames.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/datafile.h"
#include "core/record.h"
#include "stagedata/animframes.h"
#include "stagedata/database.h"
#include "support/bytes.h"

inline void PrintTo(const cAnimSeqFrame& f, std::ostream* os) {
  *os << "{" << f.m_nValue << ", " << f.m_nTicks << ", " << f.m_bHold << "}";
}

namespace dbbody {

using Bytes = std::vector<uint8_t>;

inline ByteWriter& Append(ByteWriter& w, const Bytes& b) { return w.Raw(b.data(), b.size()); }

// u32 count, then the elements.
inline ByteWriter& List(ByteWriter& w, const std::vector<Bytes>& elements) {
  w.U32(static_cast<uint32_t>(elements.size()));
  for (const Bytes& e : elements) Append(w, e);
  return w;
}

inline Bytes Frame(int32_t value, int32_t duration, int32_t hold) {
  return ByteWriter().U32(3).I32(value).I32(duration).I32(hold).U32(0).bytes;
}

struct AnimeExtras {
  int16_t a = 0;
  int8_t b = 1;
  int16_t c = 0;
};

inline Bytes Anime(uint32_t version, const std::string& name, const std::vector<Bytes>& frames,
                   AnimeExtras x = {}) {
  ByteWriter w;
  if (version >= 55) w.U32(3).I16(x.a).I8(x.b).I16(x.c);
  else w.U32(0);
  w.U32(1).Str(name);
  return List(w, frames).bytes;
}

inline Bytes AnimeSet(uint32_t version, const std::string& name, int32_t invincible, int32_t status,
                      int32_t flying, const std::vector<Bytes>& motions) {
  ByteWriter w;
  w.U32(version >= 119 ? 3 : 2).I32(invincible).I32(status);
  if (version >= 119) w.I32(flying);
  w.U32(1).Str(name);
  return List(w, motions).bytes;
}

inline Bytes BmpCharaExc(uint32_t version, int32_t aux, int32_t largeCells, int32_t cellSize,
                         const std::string& name = "chara", const std::string& file = "chara.bmp") {
  ByteWriter w;
  w.U32(version >= 172 ? 3 : version >= 152 ? 1 : 0);
  if (version >= 152) w.I32(aux);
  if (version >= 172) w.I32(largeCells).I32(cellSize);
  w.U32(2).Str(name).Str(file);
  return w.bytes;
}

struct SwordPart {
  int32_t ofsX = 0, ofsY = 0, mirrorX = 1, mirrorY = 0, place = 0, srcX = 0, srcY = 0, width = 0, height = 0,
          duration = 1;
};

inline Bytes SwordTypePart(uint32_t version, const SwordPart& p) {
  ByteWriter w;
  w.U32(version >= 138 ? 10 : 8).I32(p.ofsX).I32(p.ofsY);
  if (version >= 138) w.I32(p.mirrorX).I32(p.mirrorY);
  w.I32(p.place).I32(p.srcX).I32(p.srcY).I32(p.width).I32(p.height).I32(p.duration).U32(0);
  return w.bytes;
}

inline Bytes SwordType(uint32_t version, int32_t aux, const std::vector<SwordPart>& parts,
                       const std::string& name = "sword") {
  ByteWriter w;
  w.U32(version >= 151 ? 1 : 0);
  if (version >= 151) w.I32(aux);
  w.U32(3).Str(name).Str(name + "_l.bmp").Str(name + "_r.bmp");
  std::vector<Bytes> elements;
  for (const SwordPart& p : parts) elements.push_back(SwordTypePart(version, p));
  return List(w, elements).bytes;
}

inline Bytes EffectPart(int32_t value, int32_t duration) {
  return ByteWriter().U32(2).I32(value).I32(duration).U32(0).bytes;
}

inline Bytes Effect(uint32_t version, int32_t aux, int32_t frameW, int32_t frameH, int32_t scale,
                    const std::vector<Bytes>& parts, const std::string& name = "spark") {
  ByteWriter w;
  w.U32(version >= 151 ? 4 : 3);
  if (version >= 151) w.I32(aux);
  w.I32(frameW).I32(frameH).I32(scale).U32(2).Str(name).Str(name + ".bmp");
  return List(w, parts).bytes;
}

// Character and screen effects share this body.
inline Bytes EffectDef(int32_t kind, const std::vector<int32_t>& params, const std::string& name = "fx") {
  ByteWriter w;
  w.U32(2).I32(kind);
  for (int32_t p : params) w.I32(p);
  w.U32(1).Str(name);
  return w.bytes;
}

// Pictures and sounds.
inline Bytes NamedFile(uint32_t version, int32_t aux, const std::string& name = "media",
                       const std::string& file = "media.wav") {
  ByteWriter w;
  w.U32(version >= 151 ? 1 : 0);
  if (version >= 151) w.I32(aux);
  w.U32(2).Str(name).Str(file);
  return w.bytes;
}

inline Bytes Bgm(uint32_t version, int32_t aux, int32_t volume, const std::string& name = "song",
                 const std::string& file = "song.mid") {
  ByteWriter w;
  w.U32(version >= 814 ? 2 : version >= 151 ? 1 : 0);
  if (version >= 151) w.I32(aux);
  if (version >= 814) w.I32(volume);
  w.U32(2).Str(name).Str(file);
  return w.bytes;
}

// The body a record writes, without the file's version.
inline Bytes BodyOf(cDataRecord& r) {
  EXPECT_EQ(r.Save("body.dat"), 1);
  Bytes b = ReadFileBytes("body.dat");
  if (b.size() < 4) return {};
  return Bytes(b.begin() + 4, b.end());
}

// Reads a body stored under a file version; true when it read and used the whole body.
inline bool ReadBody(cDataRecord& r, uint32_t version, const Bytes& body) {
  ByteWriter w;
  w.U32(version);
  Append(w, body);
  if (!WriteFileBytes("body.dat", w.bytes)) return false;
  cDataFile* f = DataFileOpenRead("body.dat");
  if (!f) return false;
  bool ok = r.Read(*f) == 1 && f->BytesLeft() == 0;
  return DataFileClose(f) == 1 && ok;
}

// The files the ten lists of a database write, in load order.
inline std::vector<Bytes> ListImages(cDatabase& db) {
  std::vector<Bytes> images;
  db.ForEachFile([&](auto& list, const char*) {
    EXPECT_EQ(WriteDbList(list, "image.dat"), 1);
    images.push_back(ReadFileBytes("image.dat"));
    return true;
  });
  return images;
}

}  // namespace dbbody
