#include "platform/audio/midistream.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/audio/gmsynth.h"
#include "platform/audio/mixer.h"
#include "platform/win/messages.h"

struct MidiStreamObject {
  DWORD threadId = 0;
  MidiSink* sink = nullptr;
  int rate = 44100;
  uint16_t timeDiv = 96;
  uint32_t tempo = 500000;  // microseconds per quarter note
  bool running = false;     // a new stream waits paused
  MIDIHDR* queue[8] = {};
  int queueHead = 0;
  int queueCount = 0;
  DWORD offset = 0;         // of the next event in the front buffer
  uint64_t clock = 0;       // frames the stream has run
  uint64_t tick = 0;        // ticks of the last event reached
  uint64_t baseTick = 0;    // tick and frame of the last tempo change
  uint64_t baseSample = 0;
  bool pending = false;     // the front event's time is counted in `tick`
  uint64_t due = 0;
  uint64_t endPull = ~uint64_t{0};  // the pull in which an end of track played
};

namespace {

std::mutex g_mutex;  // every stream's state; taken inside the pull after the mixer lock
MidiStreamObject* g_streams[8] = {};
MidiSink* g_testSink = nullptr;

bool Valid(HMIDISTRM s) {
  if (!s) return false;
  for (MidiStreamObject* o : g_streams)
    if (o == s) return true;
  return false;
}

uint64_t SampleOfTick(const MidiStreamObject& s, uint64_t tick) {
  const unsigned __int128 ticks = tick - s.baseTick;
  unsigned __int128 samples;
  if (s.timeDiv & 0x8000) {
    // SMPTE: frames per second (29 meaning 29.97) times ticks per frame; tempo does not apply.
    const int fps = -static_cast<int8_t>(s.timeDiv >> 8);
    const unsigned tpf = std::max(1u, static_cast<unsigned>(s.timeDiv & 0xFF));
    const uint64_t fpsMilli = fps == 29 ? 29970 : static_cast<uint64_t>(std::max(1, fps)) * 1000;
    samples = ticks * s.rate * 1000 / (fpsMilli * tpf);
  } else {
    const uint64_t ppqn = std::max<uint16_t>(1, s.timeDiv);
    samples = ticks * s.tempo * s.rate / (uint64_t{1000000} * ppqn);
  }
  return s.baseSample + static_cast<uint64_t>(samples);
}

void PopFront(MidiStreamObject& s) {
  MIDIHDR* h = s.queue[s.queueHead];
  h->dwFlags = (h->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
  s.queueHead = (s.queueHead + 1) % 8;
  --s.queueCount;
  s.offset = 0;
}

void ReturnAll(MidiStreamObject& s) {
  while (s.queueCount > 0) PopFront(s);
  s.pending = false;
  if (s.sink) s.sink->AllNotesOff();
}

// Plays the stream's due events; the frames that may pass before its next one.
int AdvanceStream(MidiStreamObject& s, int maxFrames, uint64_t pull) {
  if (s.endPull == pull) return maxFrames;  // at most one end of track, so one restart, per pull
  while (s.running && s.queueCount > 0) {
    MIDIHDR* h = s.queue[s.queueHead];
    const DWORD recorded = std::min(h->dwBytesRecorded, h->dwBufferLength);
    if (s.offset + 12 > recorded) {
      PopFront(s);
      continue;
    }
    const auto* ev = reinterpret_cast<const MIDIEVENT*>(h->lpData + s.offset);
    if (!s.pending) {
      s.tick += ev->dwDeltaTime;
      s.due = SampleOfTick(s, s.tick);
      s.pending = true;
    }
    if (s.due > s.clock) {
      const uint64_t n = std::min<uint64_t>(static_cast<uint64_t>(maxFrames), s.due - s.clock);
      s.clock += n;
      return static_cast<int>(n);
    }
    const DWORD eventOffset = s.offset;
    const DWORD word = ev->dwEvent;
    const BYTE type = static_cast<BYTE>((word >> 24) & 0x3F);
    bool endOfTrack = false;
    DWORD size = 12;
    if (word & MEVT_F_LONG) {
      const DWORD length = word & 0x00FFFFFF;
      if (length > recorded - s.offset - 12) {  // runs past the buffer: the rest is dropped
        PopFront(s);
        s.pending = false;
        continue;
      }
      size += (length + 3) & ~3u;
      if (s.sink) s.sink->SysEx(s.clock, reinterpret_cast<const uint8_t*>(ev->dwParms), length, h->dwUser);
    } else if (type == MEVT_TEMPO) {
      const uint32_t tempo = word & 0x00FFFFFF;
      if (tempo) {
        s.baseSample = SampleOfTick(s, s.tick);
        s.baseTick = s.tick;
        s.tempo = tempo;
      }
    } else if (type == MEVT_SHORTMSG) {
      const uint32_t message = word & 0x00FFFFFF;
      if ((message & 0xFF) == 0xFF)
        endOfTrack = true;  // a meta event: nothing for the synthesizer
      else if (s.sink)
        s.sink->ShortMessage(s.clock, message, h->dwUser);
    }
    s.pending = false;
    s.offset += size;
    if (s.offset + 12 > recorded) PopFront(s);  // done before its callback: the player refills it
    if (word & MEVT_F_CALLBACK) {
      h->dwOffset = eventOffset;
      PostThreadMessage(s.threadId, MM_MOM_POSITIONCB, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(h));
    }
    if (endOfTrack) {
      s.endPull = pull;
      return maxFrames;
    }
  }
  return maxFrames;
}

int AdvanceAll(int maxFrames) {
  std::lock_guard<std::mutex> lock(g_mutex);
  const uint64_t pull = audio::PullCount();
  int n = maxFrames;
  for (MidiStreamObject* s : g_streams)
    if (s) n = std::min(n, AdvanceStream(*s, maxFrames, pull));
  return n;
}

}  // namespace

MMRESULT midiStreamOpen(HMIDISTRM* out, UINT* deviceId, DWORD cMidi, uintptr_t callback, uintptr_t, DWORD flags) {
  if (!out) return MMSYSERR_INVALPARAM;
  *out = nullptr;
  if (deviceId && *deviceId != MIDI_MAPPER) return MMSYSERR_BADDEVICEID;
  if (cMidi != 1) return MMSYSERR_INVALPARAM;
  if ((flags & CALLBACK_THREAD) == 0) return MMSYSERR_INVALFLAG;
  MidiSink* sink = g_testSink;
  if (!sink) {
    if (!gmsynth::Open()) return MMSYSERR_NODRIVER;
    sink = gmsynth::Sink();
  }
  gmsynth::EnsureSource();
  gmsynth::SetSequencer(AdvanceAll);
  gmsynth::SetGain(1.0f);
  const int rate = audio::Rate();
  std::lock_guard<std::mutex> lock(g_mutex);
  for (MidiStreamObject*& slot : g_streams) {
    if (!slot) {
      slot = new MidiStreamObject;
      slot->threadId = static_cast<DWORD>(callback);
      slot->sink = sink;
      slot->rate = rate;
      *out = slot;
      return MMSYSERR_BASE_NOERROR;
    }
  }
  return MMSYSERR_NOMEM;
}

MMRESULT midiStreamClose(HMIDISTRM stream) {
  gmsynth::FinishLoading();
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!Valid(stream)) return MMSYSERR_INVALHANDLE;
  ReturnAll(*stream);
  for (MidiStreamObject*& slot : g_streams)
    if (slot == stream) slot = nullptr;
  delete stream;
  return MMSYSERR_BASE_NOERROR;
}

MMRESULT midiStreamProperty(HMIDISTRM stream, BYTE* property, DWORD flags) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!Valid(stream)) return MMSYSERR_INVALHANDLE;
  if (!property || (flags & MIDIPROP_TIMEDIV) == 0) return MMSYSERR_INVALPARAM;
  auto* p = reinterpret_cast<MIDIPROPTIMEDIV*>(property);
  if (flags & MIDIPROP_SET) {
    stream->baseSample = SampleOfTick(*stream, stream->tick);
    stream->baseTick = stream->tick;
    stream->timeDiv = static_cast<uint16_t>(p->dwTimeDiv);
  } else {
    p->dwTimeDiv = stream->timeDiv;
  }
  return MMSYSERR_BASE_NOERROR;
}

MMRESULT midiOutPrepareHeader(HMIDIOUT out, MIDIHDR* header, UINT) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!Valid(out)) return MMSYSERR_INVALHANDLE;
  if (!header || !header->lpData) return MMSYSERR_INVALPARAM;
  header->dwFlags |= MHDR_PREPARED;
  return MMSYSERR_BASE_NOERROR;
}

MMRESULT midiOutUnprepareHeader(HMIDIOUT out, MIDIHDR* header, UINT) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!Valid(out)) return MMSYSERR_INVALHANDLE;
  if (!header) return MMSYSERR_INVALPARAM;
  if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
  header->dwFlags &= ~MHDR_PREPARED;
  return MMSYSERR_BASE_NOERROR;
}

MMRESULT midiStreamOut(HMIDISTRM stream, MIDIHDR* header, UINT) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!Valid(stream)) return MMSYSERR_INVALHANDLE;
  if (!header) return MMSYSERR_INVALPARAM;
  if ((header->dwFlags & MHDR_PREPARED) == 0) return MIDIERR_UNPREPARED;
  if ((header->dwFlags & MHDR_INQUEUE) || stream->queueCount == 8) return MIDIERR_STILLPLAYING;
  header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
  stream->queue[(stream->queueHead + stream->queueCount) % 8] = header;
  ++stream->queueCount;
  return MMSYSERR_BASE_NOERROR;
}

MMRESULT midiStreamRestart(HMIDISTRM stream) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!Valid(stream)) return MMSYSERR_INVALHANDLE;
  stream->running = true;
  return MMSYSERR_BASE_NOERROR;
}

MMRESULT midiStreamPause(HMIDISTRM stream) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!Valid(stream)) return MMSYSERR_INVALHANDLE;
  stream->running = false;
  if (stream->sink) stream->sink->AllNotesOff();
  return MMSYSERR_BASE_NOERROR;
}

MMRESULT midiStreamStop(HMIDISTRM stream) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!Valid(stream)) return MMSYSERR_INVALHANDLE;
  MidiStreamObject& s = *stream;
  ReturnAll(s);
  s.running = false;
  s.tick = s.baseTick = 0;
  s.baseSample = s.clock;
  s.tempo = 500000;
  return MMSYSERR_BASE_NOERROR;
}

MMRESULT midiOutReset(HMIDIOUT out) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (!Valid(out)) return MMSYSERR_INVALHANDLE;
  ReturnAll(*out);
  out->running = false;
  return MMSYSERR_BASE_NOERROR;
}

BOOL mciGetErrorStringA(DWORD error, char* text, UINT size) {
  static const struct {
    DWORD code;
    const char* text;
  } kTexts[] = {
      {MMSYSERR_BASE_NOERROR, "no error"},
      {MMSYSERR_ERROR, "unspecified error"},
      {MMSYSERR_BADDEVICEID, "bad device id"},
      {MMSYSERR_INVALHANDLE, "invalid handle"},
      {MMSYSERR_NODRIVER, "no MIDI driver (no SoundFont)"},
      {MMSYSERR_NOMEM, "out of memory"},
      {MMSYSERR_INVALFLAG, "invalid flag"},
      {MMSYSERR_INVALPARAM, "invalid parameter"},
      {MIDIERR_UNPREPARED, "header not prepared"},
      {MIDIERR_STILLPLAYING, "buffer still queued"},
  };
  if (!text || size == 0) return FALSE;
  for (const auto& t : kTexts) {
    if (t.code == error) {
      std::snprintf(text, size, "%s", t.text);
      return TRUE;
    }
  }
  std::snprintf(text, size, "error %u", static_cast<unsigned>(error));
  return FALSE;
}

namespace midistream {
void SetSinkForTest(MidiSink* sink) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_testSink = sink;
}
int OpenStreamCount() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return static_cast<int>(std::count_if(std::begin(g_streams), std::end(g_streams), [](auto* s) { return s != nullptr; }));
}
bool IsClockRunning(HMIDISTRM stream) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return Valid(stream) && stream->running && stream->queueCount > 0;
}
}  // namespace midistream
