// What the software pixel effects share: the 8-bit blend table and its file, the locking of a
// destination and a source, the per-pixel tests against both surfaces, the transparent-pixel test of
// each back end and depth, the packing of 16-bit results and the colour-operation pair in software.
#pragma once
#include <cstdint>

#include "gfx/lock.h"
#include "gfx/records.h"

// 256 rows (destination or current index) of 256 bytes (source or tint index): the index that stands
// for the source colour drawn translucently over the destination colour. Zero until loaded.
extern BYTE DDBlendTable[65536];

// Fills the table from a blend-table file (a game path). Direct3D: true at once, the table unchanged.
// False only when the file cannot be opened; a short file fills its own length, a long one its first
// 65,536 bytes.
bool DDLoadBlendTable(BYTE* table, const char* path);

// The two locks of one effect: the destination first, then the source; released in the other order
// on every return. In Direct3D both surfaces stand for their partner and BackBuffer for VirBackBuffer
// in virtual mode. A destination that is its own source is locked once and read and written through
// that one lock.
class cDDEffectLocks {
 public:
  cDDEffectLocks() = default;
  cDDEffectLocks(const cDDEffectLocks&) = delete;
  cDDEffectLocks& operator=(const cDDEffectLocks&) = delete;
  ~cDDEffectLocks() { Unlock(); }

  // FALSE when either lock fails; whatever was locked is unlocked again.
  BOOL Lock(DDSURFACEDATA* dst, DDSURFACEDATA* src);
  void Unlock();

  const cDDLock& Dst() const { return m_Dst; }
  const cDDLock& Src() const { return m_bSame ? m_Dst : m_Src; }
  DDSURFACEDATA* DstSD() const { return m_Dst.m_lpSD; }
  DDSURFACEDATA* SrcSD() const { return Src().m_lpSD; }
  bool Same() const { return m_bSame; }
  // Whether the point lies inside the locked destination, or source.
  bool InDst(int x, int y) const;
  bool InSrc(int x, int y) const;

 private:
  cDDLock m_Dst;
  cDDLock m_Src;
  bool m_bSame = false;
};

// The pixel loop of the running back end and depth: 8, 16 or 32, or 0 for a depth without one
// (24 bits; 8 bits in Direct3D), where an effect locks and unlocks and draws nothing.
int DDEffectDepth();

// Whether a source pixel counts as transparent under an effect's colour-key flag: DirectDraw the
// colour-key value; Direct3D 16 bits neither bit 15 nor bit 13 set; Direct3D 32 bits alpha 0.
bool DDIsTransparentPixel(uint32_t pixel);

// A 16-bit Direct3D result from channels in texture units (5-bit green): for the full-screen back
// buffer in its own format with the green doubled and no alpha bit, otherwise in the texture format
// with the alpha bit.
uint16_t DDPack16(const DDSURFACEDATA* dst, uint32_t r, uint32_t g, uint32_t b);
// The channels of a 16-bit texture pixel in texture units.
void DDUnpack16(uint32_t pixel, uint32_t* r, uint32_t* g, uint32_t* b);

// The colour-operation pair (colour 0xAARRGGBB, texture operation) as the software loops apply it:
// only operation 7 (add) does anything. At 16 bits the colour is scaled to the channel maxima once.
class cDDColorOp {
 public:
  explicit cDDColorOp(const DWORD* pair);
  bool Active() const { return m_bAdd; }
  // The source pixel of the locked depth with the colour added and each channel clamped.
  uint32_t Apply(uint32_t pixel) const;

 private:
  bool m_bAdd = false;
  uint32_t m_r = 0, m_g = 0, m_b = 0;
};
