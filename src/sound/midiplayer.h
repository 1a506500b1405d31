// The program's own MIDI player: the merged image of a MIDI file packed into two stream buffers that
// a player thread refills whenever the device reports that one has played. Used when the software
// synthesizer cannot be opened.
#pragma once
#include <cstdint>
#include <mutex>
#include <vector>

#include "core/checked.h"
#include "platform/audio/midistream.h"
#include "platform/thread/thread.h"
#include "sound/midifile.h"

struct BgmMidiSlot;

class cMidiStream : public cMidiFile {
 public:
  static constexpr int kBufferCount = 2;
  static constexpr int kBufferSize = 24000;

  explicit cMidiStream(const char* file);
  ~cMidiStream() override;

  void Restart(int loop);
  void Stop(int pause);
  // 0 stopped, 1 playing, 2 paused; read under the lock, since the player thread changes it.
  int State() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nState;
  }
  const MIDIHDR& Header(int i) const { return m_vHeaders[i]; }
  HMIDISTRM Stream() const { return m_hStream; }

  // Packs events from the image at `pos` into the buffer of the header; the image bytes consumed.
  size_t FillBuffer(size_t pos, MIDIHDR* header);

 private:
  void Open();
  void QueueNext();
  void Close();
  void OnPosition(const MIDIHDR* header);
  bool AllQueued() const { return m_nReadPos >= m_nTrackEnd; }
  const char* ErrorText(MMRESULT result);
  void Check(MMRESULT result, const char* step);
  static unsigned ThreadProc(void* self);

  mutable std::mutex m_mutex;  // the state below, shared by the caller and the player thread
  int m_nCurrent = 0;
  HMIDISTRM m_hStream = nullptr;
  std::vector<MIDIHDR> m_vHeaders;
  std::vector<std::vector<char>> m_vBuffers;
  size_t m_nReadPos = cMidiFile::kImageHeader;
  size_t m_nTrackEnd = cMidiFile::kImageHeader;
  int m_nState = 0;
  HTHREAD m_hThread = nullptr;
  DWORD m_dwThreadId = 0;
  int m_bLoop = 0;
  char m_szError[512] = {};
};

class cMidiPlayerList {
 public:
  ~cMidiPlayerList() { Clear(); }
  bool Play(int player, BgmMidiSlot* entry, int loop);
  void StopAll(int pause);
  void Resize(int n) {
    Clear();
    m_vPlayers.assign(n, nullptr);
  }
  void Clear();
  int Size() const { return m_vPlayers.Size(); }
  cMidiStream* Player(int i) { return i >= 0 && i < m_vPlayers.Size() ? m_vPlayers[i] : nullptr; }

 private:
  cCheckedVector<cMidiStream*> m_vPlayers;
};
