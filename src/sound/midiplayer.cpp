#include "sound/midiplayer.h"

#include <cstring>

#include "core/log.h"
#include "core/paths.h"
#include "platform/time/clock.h"
#include "platform/win/messages.h"
#include "sound/bgmslots.h"

namespace {
constexpr DWORD kEndOfTrackWord = 0x002FFF;  // FF 2F 00 as a short message
}

cMidiStream::cMidiStream(const char* file) : cMidiFile(file) {
  if (HasImage()) Open();
}

cMidiStream::~cMidiStream() { Close(); }

const char* cMidiStream::ErrorText(MMRESULT result) {
  if (result != 0) mciGetErrorStringA(result, m_szError, sizeof m_szError);
  return m_szError;
}

void cMidiStream::Check(MMRESULT result, const char* step) {
  if (result != MMSYSERR_BASE_NOERROR)
    ReportLogEcho("Midi %s %s %s", m_strFile.c_str(), step, ErrorText(result));
}

void cMidiStream::Open() {
  m_nCurrent = 0;
  m_vHeaders.assign(kBufferCount, MIDIHDR{});
  m_vBuffers.assign(kBufferCount, std::vector<char>(kBufferSize, 0));
  for (int i = 0; i < kBufferCount; ++i) {
    m_vHeaders[i].lpData = m_vBuffers[i].data();
    m_vHeaders[i].dwBufferLength = kBufferSize;
    m_vHeaders[i].dwUser = static_cast<uintptr_t>(i);
  }
  m_hThread = BeginThread(ThreadProc, this, &m_dwThreadId);
  if (m_hThread)
    while (!PostThreadMessage(m_dwThreadId, WM_APP, 0, 0)) Sleep(1);
  UINT device = MIDI_MAPPER;
  const MMRESULT opened = midiStreamOpen(&m_hStream, &device, 1, m_dwThreadId, 0, CALLBACK_THREAD);
  Check(opened, "Open");
  if (opened != MMSYSERR_BASE_NOERROR) m_hStream = nullptr;
  MIDIPROPTIMEDIV division{sizeof(MIDIPROPTIMEDIV), static_cast<DWORD>((m_vImage[12] << 8) | m_vImage[13])};
  if (m_hStream)
    Check(midiStreamProperty(m_hStream, reinterpret_cast<BYTE*>(&division), MIDIPROP_SET | MIDIPROP_TIMEDIV),
          "Property");
  const uint32_t length = (uint32_t{m_vImage[18]} << 24) | (m_vImage[19] << 16) | (m_vImage[20] << 8) | m_vImage[21];
  m_nTrackEnd = kImageHeader + length;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_nReadPos = kImageHeader;
  m_nState = 0;
  QueueNext();
}

size_t cMidiStream::FillBuffer(size_t pos, MIDIHDR* header) {
  char* out = header->lpData;
  std::memset(out, 0, header->dwBufferLength);
  const uint8_t* image = m_vImage.data();
  const size_t start = pos;
  size_t used = 0;
  MIDIEVENT* last = nullptr;
  uint32_t carried = 0;  // delta times of skipped events, handed to the next event packed
  while (pos < m_nTrackEnd) {
    uint32_t delta = 0;
    const int dl = ReadVarLen(image + pos, &delta, m_nTrackEnd - pos);
    if (dl == 0) break;
    size_t p = pos + dl;
    const uint8_t status = image[p++];
    DWORD word = 0;
    const uint8_t* longData = nullptr;
    uint32_t longLength = 0;
    bool skip = false, end = false;
    if (status == 0xFF) {
      const uint8_t type = image[p++];
      uint32_t n = 0;
      p += ReadVarLen(image + p, &n, m_nTrackEnd - p);
      if (type == 0x2F) {
        word = MEVT_F_CALLBACK | kEndOfTrackWord;
        end = true;
      } else if (type == 0x51 && n == 3) {
        word = (DWORD{MEVT_TEMPO} << 24) | (image[p] << 16) | (image[p + 1] << 8) | image[p + 2];
      } else {
        skip = true;
      }
      p += n;
    } else if (status == 0xF0 || status == 0xF7) {
      uint32_t n = 0;
      p += ReadVarLen(image + p, &n, m_nTrackEnd - p);
      longData = image + p;
      longLength = n;
      word = MEVT_F_LONG | (n + 1);
      p += n;
    } else if (status >= 0xC0 && status <= 0xDF) {
      word = status | (image[p] << 8);
      p += 1;
    } else {
      word = status | (image[p] << 8) | (image[p + 1] << 16);
      p += 2;
    }
    if (skip) {
      carried += delta;
      pos = p;
      continue;
    }
    const size_t size = longData || (word & MEVT_F_LONG) ? 12 + ((longLength + 1 + 3) & ~size_t{3}) : 12;
    if (used + size > header->dwBufferLength) {
      if (used > 0) break;  // it goes into the next buffer
      // Larger than a whole buffer: it can never be sent, so it is left out.
      ReportLogEcho("Midi %s Out イベントが大きすぎます(%u)", m_strFile.c_str(), static_cast<unsigned>(size));
      carried += delta;
      pos = p;
      continue;
    }
    auto* ev = reinterpret_cast<MIDIEVENT*>(out + used);
    ev->dwDeltaTime = delta + carried;
    carried = 0;
    ev->dwStreamID = 0;
    ev->dwEvent = word;
    if (word & MEVT_F_LONG) {
      auto* params = reinterpret_cast<uint8_t*>(ev->dwParms);
      params[0] = status;
      std::memcpy(params + 1, longData, longLength);
    }
    last = ev;
    used += size;
    pos = p;
    if (end) break;
  }
  if (last) last->dwEvent |= MEVT_F_CALLBACK;
  header->dwBytesRecorded = static_cast<DWORD>(used);
  header->dwFlags = 0;
  header->lpNext = nullptr;
  header->reserved = 0;
  header->dwOffset = 0;
  std::memset(header->dwReserved, 0, sizeof header->dwReserved);
  return pos - start;
}

void cMidiStream::QueueNext() {
  if (AllQueued()) return;
  MIDIHDR* header = &m_vHeaders[m_nCurrent];
  if (header->dwFlags & MHDR_INQUEUE) return;
  m_nReadPos += FillBuffer(m_nReadPos, header);
  if (header->dwBytesRecorded == 0) return;  // only skipped events were left
  if (!m_hStream) return;
  Check(midiOutPrepareHeader(m_hStream, header, sizeof(MIDIHDR)), "Prepare");
  Check(midiStreamOut(m_hStream, header, sizeof(MIDIHDR)), "Out");
  m_nCurrent = (m_nCurrent + 1) % kBufferCount;
}

void cMidiStream::Restart(int loop) {
  if (!HasImage()) return;
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bLoop = loop;
  if (m_nState == 1) return;
  if (m_hStream) Check(midiStreamRestart(m_hStream), "Restart");
  const int was = m_nState;
  m_nState = 1;
  if (was == 2) return;
  QueueNext();
}

void cMidiStream::Stop(int pause) {
  if (!HasImage()) return;
  std::lock_guard<std::mutex> lock(m_mutex);
  if (pause == 0) {
    if (m_hStream) Check(midiStreamStop(m_hStream), "Stop");
    m_nState = 0;
    m_nReadPos = kImageHeader;
    QueueNext();
  } else if (m_nState == 1) {
    if (m_hStream) Check(midiStreamPause(m_hStream), "Pause");
    m_nState = 2;
  }
}

void cMidiStream::OnPosition(const MIDIHDR* header) {
  std::unique_lock<std::mutex> lock(m_mutex);
  int index = -1;
  for (int i = 0; i < kBufferCount; ++i)
    if (header == &m_vHeaders[i]) index = i;
  if (index < 0 || header->dwOffset + 12 > kBufferSize) return;  // not one of ours: ignored
  const auto* ev = reinterpret_cast<const MIDIEVENT*>(header->lpData + header->dwOffset);
  if ((ev->dwEvent & 0x00FFFFFF) == kEndOfTrackWord) {
    const int loop = m_bLoop;
    lock.unlock();
    Stop(0);
    if (loop) Restart(1);
  } else if (!AllQueued()) {
    QueueNext();
  }
}

unsigned cMidiStream::ThreadProc(void* self) {
  auto* stream = static_cast<cMidiStream*>(self);
  for (;;) {
    WaitMessageTimeout(~0u);
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) return 0;
      if (msg.message == MM_MOM_POSITIONCB) stream->OnPosition(reinterpret_cast<const MIDIHDR*>(msg.lParam));
    }
  }
}

void cMidiStream::Close() {
  if (!HasImage()) return;
  // The player thread is ended first: no callback can reach the stream after this.
  if (m_hThread) {
    PostThreadMessage(m_dwThreadId, WM_QUIT, 0, 0);
    WaitForSingleObject(m_hThread, INFINITE);
    CloseHandle(m_hThread);
    m_hThread = nullptr;
  }
  if (m_hStream) {
    Check(midiOutReset(m_hStream), "Reset");
    for (MIDIHDR& h : m_vHeaders)
      if (h.dwFlags & MHDR_PREPARED) Check(midiOutUnprepareHeader(m_hStream, &h, sizeof(MIDIHDR)), "Unprepare");
    Check(midiStreamClose(m_hStream), "Close");  // the stream leaves the mixer here
    m_hStream = nullptr;
  }
  m_vBuffers.clear();
  m_vHeaders.clear();
}

void cMidiPlayerList::StopAll(int pause) {
  for (cMidiStream* p : m_vPlayers)
    if (p) p->Stop(pause);
}

void cMidiPlayerList::Clear() {
  for (cMidiStream*& p : m_vPlayers) {
    delete p;
    p = nullptr;
  }
}

bool cMidiPlayerList::Play(int player, BgmMidiSlot* entry, int loop) {
  StopAll(1);
  Clear();
  if (!entry) return false;
  std::string ext;
  if (!PathGetExt(ext, entry->szFile) || ext != "mid") return false;
  cMidiStream*& slot = m_vPlayers.At(player);  // a bad index is reported and closes the program
  if (player < 0 || player >= m_vPlayers.Size()) return false;
  auto* stream = new cMidiStream(entry->szFile.c_str());
  slot = stream;
  if (!stream->HasImage()) return false;
  stream->Restart(loop);
  return true;
}
