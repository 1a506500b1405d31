// Pixel access to any surface of the library through one guard on the caller's stack: a DirectDraw
// surface, the lockable Direct3D back buffer, a Direct3D texture in system or managed memory, or a
// Direct3D render-target texture, which is read back into its system-memory twin at the lock and
// uploaded again at the unlock.
#pragma once
#include <cstdint>

#include "gfx/records.h"

class cDDLock {
 public:
  DDSURFACEDATA* m_lpSD = nullptr;  // the surface actually locked (after partner and redirection)
  BYTE* m_pBits = nullptr;          // pixel (x, y) is element x + y * m_nPitch
  int32_t m_nPitch = 0;             // row length in pixels
  int32_t m_nBpp = 32;
  int32_t m_nBytesPerPixel = 4;

  cDDLock() = default;
  cDDLock(const cDDLock&) = delete;
  cDDLock& operator=(const cDDLock&) = delete;
  ~cDDLock() { Unlock(); }

  // Locks the surface; FALSE when it cannot be locked (a surface stored before the failure is still
  // unlocked by Unlock, which then only reports).
  BOOL Lock(DDSURFACEDATA* lpSD);
  void Unlock();

  uint8_t* Row8(int y) const { return m_pBits + static_cast<size_t>(y) * m_nPitch; }
  uint16_t* Row16(int y) const { return reinterpret_cast<uint16_t*>(m_pBits) + static_cast<size_t>(y) * m_nPitch; }
  uint32_t* Row32(int y) const { return reinterpret_cast<uint32_t*>(m_pBits) + static_cast<size_t>(y) * m_nPitch; }
  // The pixel as a number of the locked depth (8, 16 or 32 bits); 24-bit pixels are not read.
  uint32_t Get(int x, int y) const;
  void Set(int x, int y, uint32_t pixel) const;

 private:
  BOOL m_bDirect3D = FALSE;
};

// The DirectDraw lock of the whole surface; in Direct3D it only reports and returns TRUE.
BOOL DDLock(DDSURFACEDATA* lpSD, DDSURFACEDESC2* desc, void** bits, int bpp);
