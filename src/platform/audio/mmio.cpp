#include "platform/audio/mmio.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/fs/path.h"

struct MmioFile {
  std::vector<uint8_t> bytes;
  size_t pos = 0;
};

namespace {
DWORD Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<DWORD>(p[3]) << 24); }
constexpr FOURCC kRiff = mmioFOURCC('R', 'I', 'F', 'F');
}  // namespace

HMMIO mmioOpenA(const char* file, MMIOINFO*, DWORD) {
  if (!file || !*file) return nullptr;
  FILE* fp = OpenGameFile(file, "rb", PathOrigin::Data);
  if (!fp) return nullptr;
  auto* h = new MmioFile;
  uint8_t chunk[8192];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, fp)) > 0) h->bytes.insert(h->bytes.end(), chunk, chunk + got);
  std::fclose(fp);
  return h;
}

UINT mmioDescend(HMMIO h, MMCKINFO* ck, const MMCKINFO* parent, UINT flags) {
  if (!h || !ck) return MMIOERR_CHUNKNOTFOUND;
  const size_t size = h->bytes.size();
  size_t end = size;
  if (parent) {
    const size_t parentEnd = static_cast<size_t>(parent->dwDataOffset) + parent->cksize;
    if (parentEnd < end) end = parentEnd;
  }
  size_t pos = h->pos;
  while (pos < end && end - pos >= 8) {
    const uint8_t* p = h->bytes.data() + pos;
    const FOURCC id = Le32(p);
    const DWORD ckSize = Le32(p + 4);
    bool match;
    if (flags & MMIO_FINDRIFF)
      match = id == kRiff && end - pos >= 12 && Le32(p + 8) == ck->fccType;
    else if (flags & MMIO_FINDCHUNK)
      match = id == ck->ckid;
    else
      match = true;
    if (match) {
      ck->ckid = id;
      ck->cksize = ckSize;
      ck->dwDataOffset = static_cast<DWORD>(pos + 8);
      ck->dwFlags = 0;
      h->pos = pos + 8;
      if (id == kRiff) {
        ck->fccType = (end - pos >= 12) ? Le32(p + 8) : 0;
        h->pos += 4;
      }
      return MMSYSERR_NOERROR;
    }
    pos += 8 + static_cast<size_t>(ckSize) + (ckSize & 1);
  }
  return MMIOERR_CHUNKNOTFOUND;
}

UINT mmioAscend(HMMIO h, MMCKINFO* ck, UINT) {
  if (!h || !ck) return MMIOERR_CANNOTSEEK;
  const size_t end = static_cast<size_t>(ck->dwDataOffset) + ck->cksize + (ck->cksize & 1);
  h->pos = end < h->bytes.size() ? end : h->bytes.size();
  return MMSYSERR_NOERROR;
}

LONG mmioRead(HMMIO h, char* buffer, LONG bytes) {
  if (!h || !buffer || bytes < 0) return -1;
  const size_t left = h->bytes.size() - h->pos;
  const size_t n = static_cast<size_t>(bytes) < left ? static_cast<size_t>(bytes) : left;
  std::memcpy(buffer, h->bytes.data() + h->pos, n);
  h->pos += n;
  return static_cast<LONG>(n);
}

LONG mmioSeek(HMMIO h, LONG offset, int origin) {
  if (!h) return -1;
  const long long base = origin == SEEK_END_MMIO ? static_cast<long long>(h->bytes.size()) : 0;
  const long long target = base + offset;
  if (target < 0 || target > static_cast<long long>(h->bytes.size())) return -1;
  h->pos = static_cast<size_t>(target);
  return static_cast<LONG>(target);
}

UINT mmioClose(HMMIO h, UINT) {
  delete h;
  return MMSYSERR_NOERROR;
}
