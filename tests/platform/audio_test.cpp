#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/audio/dsound.h"
#include "platform/audio/gmsynth.h"
#include "platform/audio/midistream.h"
#include "platform/audio/mixer.h"
#include "platform/win/messages.h"
#include "support/eventually.h"
#include "support/recording_sink.h"

namespace {

constexpr int kRate = 44100;

// Stream events written by hand into one buffer.
class EventBuffer {
 public:
  EventBuffer() : data_(4096, 0) {
    header.lpData = data_.data();
    header.dwBufferLength = static_cast<DWORD>(data_.size());
  }
  EventBuffer& Short(DWORD delta, DWORD word) {
    DWORD e[3] = {delta, 0, word};
    std::memcpy(data_.data() + used_, e, 12);
    used_ += 12;
    header.dwBytesRecorded = static_cast<DWORD>(used_);
    return *this;
  }
  MIDIHDR header{};

 private:
  std::vector<char> data_;
  size_t used_ = 0;
};

class StreamDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    audio::Configure(audio::Backend::Null, kRate);
    midistream::SetSinkForTest(&sink);
    EnsureThreadQueue();  // the callbacks come to this thread
    UINT device = MIDI_MAPPER;
    ASSERT_EQ(midiStreamOpen(&stream, &device, 1, GetCurrentThreadId(), 0, CALLBACK_THREAD), 0u);
  }
  void TearDown() override {
    midiStreamClose(stream);
    midistream::SetSinkForTest(nullptr);
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
  void SetDivision(DWORD division) {
    MIDIPROPTIMEDIV p{sizeof p, division};
    ASSERT_EQ(midiStreamProperty(stream, reinterpret_cast<BYTE*>(&p), MIDIPROP_SET | MIDIPROP_TIMEDIV), 0u);
  }
  void Queue(EventBuffer& b) {
    ASSERT_EQ(midiOutPrepareHeader(stream, &b.header, sizeof(MIDIHDR)), 0u);
    ASSERT_EQ(midiStreamOut(stream, &b.header, sizeof(MIDIHDR)), 0u);
  }
  std::vector<uint64_t> Frames() {
    std::vector<uint64_t> f;
    for (const RecordedMidi& e : sink.Events()) f.push_back(e.sample);
    return f;
  }
  void PullFrames(int frames) {
    std::vector<float> out(2 * 1024);
    for (int done = 0; done < frames; done += 1024) audio::Pull(out.data(), 1024);
  }
  RecordingSink sink;
  HMIDISTRM stream = nullptr;
};

TEST_F(StreamDeviceTest, SmpteAndTempoTiming) {
  // 25 frames a second of 40 ticks: 1000 ticks a second, whatever the tempo.
  SetDivision(0xE728);
  EventBuffer b;
  b.Short(0, 0x403C90).Short(1000, 0x003C80).Short(0, (DWORD{MEVT_TEMPO} << 24) | 250000).Short(1500, 0x403C90);
  Queue(b);
  ASSERT_EQ(midiStreamRestart(stream), 0u);
  PullFrames(3 * kRate);
  EXPECT_EQ(Frames(), (std::vector<uint64_t>{0, 44100, 110250}));
}

TEST_F(StreamDeviceTest, TempoChangesTheTickLengthFromItsTick) {
  SetDivision(96);
  EventBuffer b;
  b.Short(0, 0x403C90).Short(96, (DWORD{MEVT_TEMPO} << 24) | 1000000).Short(96, 0x003C80).Short(48, 0x403C90);
  Queue(b);
  ASSERT_EQ(midiStreamRestart(stream), 0u);
  PullFrames(4 * kRate);
  // A quarter at 0.5 s, then quarters of 1 s.
  EXPECT_EQ(Frames(), (std::vector<uint64_t>{0, 22050 + 44100, 22050 + 44100 + 22050}));
}

TEST_F(StreamDeviceTest, StopReturnsEveryQueuedBufferAndCallbacksCarryTheOffset) {
  SetDivision(96);
  EventBuffer a, b;
  a.Short(0, 0x403C90).Short(0, MEVT_F_CALLBACK | 0x403E90);
  b.Short(960, 0x403C90);
  Queue(a);
  Queue(b);
  ASSERT_EQ(midiStreamRestart(stream), 0u);
  PullFrames(1024);
  EXPECT_EQ(a.header.dwFlags & (MHDR_INQUEUE | MHDR_DONE), MHDR_DONE);
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, MM_MOM_POSITIONCB);
  EXPECT_EQ(reinterpret_cast<MIDIHDR*>(m.lParam), &a.header);
  EXPECT_EQ(a.header.dwOffset, 12u);
  EXPECT_TRUE(b.header.dwFlags & MHDR_INQUEUE);
  EXPECT_EQ(midiOutUnprepareHeader(stream, &b.header, sizeof(MIDIHDR)), MIDIERR_STILLPLAYING);
  ASSERT_EQ(midiStreamStop(stream), 0u);
  EXPECT_EQ(b.header.dwFlags & (MHDR_INQUEUE | MHDR_DONE), MHDR_DONE);
  EXPECT_FALSE(midistream::IsClockRunning(stream));
}

TEST(AudioDeviceTest, WithoutASoundFontTheStreamDeviceHasNoDriver) {
  gmsynth::Close();
  gmsynth::SetSoundFontForTest("");
  HMIDISTRM s = nullptr;
  UINT device = MIDI_MAPPER;
  EXPECT_EQ(midiStreamOpen(&s, &device, 1, GetCurrentThreadId(), 0, CALLBACK_THREAD), MMSYSERR_NODRIVER);
  char text[64];
  mciGetErrorStringA(MMSYSERR_NODRIVER, text, sizeof text);
  EXPECT_STRNE(text, "");
  gmsynth::SetSoundFontForTest(nullptr);
  gmsynth::Close();
}

// The SDL back end (under SDL's dummy driver in tests) pulls the mixer from its own thread: a
// buffer played on it runs to its end in real time.
TEST(AudioDeviceTest, SdlDevicePullsTheMixer) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  audio::Configure(audio::Backend::Sdl);
  const int rate = audio::Rate();
  ASSERT_GT(rate, 0);
  IDirectSound* ds = nullptr;
  ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
  WAVEFORMATEX f{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
  DSBUFFERDESC desc{sizeof desc, DSBCAPS_STATIC, 2205 * 2, 0, &f};
  IDirectSoundBuffer* b = nullptr;
  ASSERT_EQ(ds->CreateSoundBuffer(&desc, &b, nullptr), DS_OK);
  void* p = nullptr;
  DWORD n = 0;
  ASSERT_EQ(b->Lock(0, 0, &p, &n, nullptr, nullptr, DSBLOCK_ENTIREBUFFER), DS_OK);
  std::memset(p, 0x10, n);
  b->Unlock(p, n, nullptr, 0);
  const uint64_t pulls = audio::PullCount();
  b->Play(0, 0, 0);
  EXPECT_TRUE(Eventually([&] {
    DWORD status = 0;
    b->GetStatus(&status);
    return status == 0;
  }));
  EXPECT_GT(audio::PullCount(), pulls);
  b->Release();
  ds->Release();
  audio::Configure(audio::Backend::Null, kRate);
}

TEST(AudioDeviceTest, FormatsOtherThanPcmAreRefused) {
  audio::Configure(audio::Backend::Null, kRate);
  IDirectSound* ds = nullptr;
  ASSERT_EQ(DirectSoundCreate(nullptr, &ds, nullptr), DS_OK);
  const struct {
    WORD tag, channels, bits;
    bool ok;
  } cases[] = {{1, 1, 8, true}, {1, 2, 16, true}, {3, 2, 32, false}, {1, 2, 24, false}, {1, 3, 16, false}, {2, 1, 16, false}};
  for (const auto& c : cases) {
    WAVEFORMATEX f{c.tag, c.channels, 11025, 0, static_cast<WORD>(c.channels * c.bits / 8), c.bits, 0};
    DSBUFFERDESC desc{sizeof desc, DSBCAPS_STATIC, 64, 0, &f};
    IDirectSoundBuffer* b = nullptr;
    EXPECT_EQ(SUCCEEDED(ds->CreateSoundBuffer(&desc, &b, nullptr)), c.ok) << c.tag << " " << c.bits;
    if (b) b->Release();
  }
  ds->Release();
  EXPECT_EQ(dsound::LiveBufferCount(), 0);
}

}  // namespace
