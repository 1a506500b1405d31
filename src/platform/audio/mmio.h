// RIFF reading in the manner of the multimedia file calls. The file is opened through the path
// resolver and read whole; chunk searches honour pad bytes and never leave the parent chunk or the
// file, and reads stop at the end of the file.
#pragma once
#include "platform/win/types.h"

typedef DWORD FOURCC;
struct MmioFile;
typedef MmioFile* HMMIO;

struct MMCKINFO {
  FOURCC ckid;
  DWORD cksize;
  FOURCC fccType;
  DWORD dwDataOffset;
  DWORD dwFlags;
};
struct MMIOINFO;

constexpr FOURCC mmioFOURCC(char a, char b, char c, char d) {
  return static_cast<FOURCC>(static_cast<uint8_t>(a)) | (static_cast<FOURCC>(static_cast<uint8_t>(b)) << 8) |
         (static_cast<FOURCC>(static_cast<uint8_t>(c)) << 16) | (static_cast<FOURCC>(static_cast<uint8_t>(d)) << 24);
}

constexpr DWORD MMIO_READ = 0x00000000;
constexpr DWORD MMIO_ALLOCBUF = 0x00010000;
constexpr UINT MMIO_FINDCHUNK = 0x0010;
constexpr UINT MMIO_FINDRIFF = 0x0020;
constexpr UINT MMSYSERR_NOERROR = 0;
constexpr UINT MMIOERR_CHUNKNOTFOUND = 265;
constexpr UINT MMIOERR_CANNOTSEEK = 266;
constexpr int SEEK_SET_MMIO = 0;
constexpr int SEEK_END_MMIO = 2;

// Opens a game path (from data) for reading; null when it cannot be opened.
HMMIO mmioOpenA(const char* file, MMIOINFO* info, DWORD flags);
// Finds the chunk (MMIO_FINDCHUNK: by ckid; MMIO_FINDRIFF: a "RIFF" chunk of form fccType) from the
// current position, inside the parent when one is given, and moves to its data.
UINT mmioDescend(HMMIO h, MMCKINFO* ck, const MMCKINFO* parent, UINT flags);
// Moves past the end of the chunk and its pad byte.
UINT mmioAscend(HMMIO h, MMCKINFO* ck, UINT flags);
// Bytes read (fewer at the end of the file); -1 on a bad call.
LONG mmioRead(HMMIO h, char* buffer, LONG bytes);
// The new position, or -1. Origin SEEK_SET_MMIO or SEEK_END_MMIO.
LONG mmioSeek(HMMIO h, LONG offset, int origin);
UINT mmioClose(HMMIO h, UINT flags);
