// The MIDI stream calls in the manner of winmm, on a sequencer driven by the mixer's sample clock.
// Queued buffers of stream events are played at their sample positions to a sink: the General MIDI
// synthesizer, or a recording sink in tests. The clock holds while the stream is paused and while no
// buffer is queued, so that a late refill delays the music instead of bunching it.
#pragma once
#include <cstdint>

#include "platform/win/types.h"

class MidiSink;
struct MidiStreamObject;
typedef MidiStreamObject* HMIDISTRM;
typedef MidiStreamObject* HMIDIOUT;
typedef UINT MMRESULT;

struct MIDIHDR {
  char* lpData;
  DWORD dwBufferLength;
  DWORD dwBytesRecorded;
  uintptr_t dwUser;
  DWORD dwFlags;
  MIDIHDR* lpNext;
  uintptr_t reserved;
  DWORD dwOffset;
  uintptr_t dwReserved[8];
};

struct MIDIEVENT {
  DWORD dwDeltaTime;
  DWORD dwStreamID;
  DWORD dwEvent;
  DWORD dwParms[1];
};

struct MIDIPROPTIMEDIV {
  DWORD cbStruct;
  DWORD dwTimeDiv;
};

constexpr UINT MIDI_MAPPER = 0xFFFFFFFF;
constexpr DWORD CALLBACK_THREAD = 0x00020000;
constexpr DWORD MIDIPROP_SET = 0x80000000;
constexpr DWORD MIDIPROP_GET = 0x40000000;
constexpr DWORD MIDIPROP_TIMEDIV = 0x00000001;
constexpr DWORD MHDR_DONE = 0x00000001;
constexpr DWORD MHDR_PREPARED = 0x00000002;
constexpr DWORD MHDR_INQUEUE = 0x00000004;
constexpr DWORD MEVT_F_SHORT = 0x00000000;
constexpr DWORD MEVT_F_LONG = 0x80000000;
constexpr DWORD MEVT_F_CALLBACK = 0x40000000;
constexpr BYTE MEVT_SHORTMSG = 0x00;
constexpr BYTE MEVT_TEMPO = 0x01;
constexpr BYTE MEVT_NOP = 0x02;
constexpr UINT MM_MOM_POSITIONCB = 0x3CA;

constexpr MMRESULT MMSYSERR_BASE_NOERROR = 0;
constexpr MMRESULT MMSYSERR_ERROR = 1;
constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
constexpr MMRESULT MMSYSERR_NODRIVER = 6;
constexpr MMRESULT MMSYSERR_NOMEM = 7;
constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
constexpr MMRESULT MIDIERR_UNPREPARED = 64;
constexpr MMRESULT MIDIERR_STILLPLAYING = 65;

// Opens a stream on MIDI_MAPPER; callbacks (MM_MOM_POSITIONCB) are posted to the thread `callback`
// (CALLBACK_THREAD). Fails with MMSYSERR_NODRIVER when no SoundFont loads and no test sink is set.
MMRESULT midiStreamOpen(HMIDISTRM* out, UINT* deviceId, DWORD cMidi, uintptr_t callback, uintptr_t instance,
                        DWORD flags);
MMRESULT midiStreamClose(HMIDISTRM stream);
MMRESULT midiStreamProperty(HMIDISTRM stream, BYTE* property, DWORD flags);
MMRESULT midiOutPrepareHeader(HMIDIOUT out, MIDIHDR* header, UINT size);
MMRESULT midiOutUnprepareHeader(HMIDIOUT out, MIDIHDR* header, UINT size);
MMRESULT midiStreamOut(HMIDISTRM stream, MIDIHDR* header, UINT size);
MMRESULT midiStreamRestart(HMIDISTRM stream);
MMRESULT midiStreamPause(HMIDISTRM stream);
// Stop and reset return every queued buffer (MHDR_INQUEUE cleared, MHDR_DONE set) and turn the notes
// off; stop also rewinds the stream's position.
MMRESULT midiStreamStop(HMIDISTRM stream);
MMRESULT midiOutReset(HMIDIOUT out);
// A short text for the code; FALSE for an unknown one.
BOOL mciGetErrorStringA(DWORD error, char* text, UINT size);

namespace midistream {
// Events of every stream go to this sink instead of the synthesizer (null: back to the synthesizer).
void SetSinkForTest(MidiSink* sink);
int OpenStreamCount();
// Whether the stream is running with a buffer queued (its clock moves).
bool IsClockRunning(HMIDISTRM stream);
}  // namespace midistream
