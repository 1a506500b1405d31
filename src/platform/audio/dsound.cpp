#include "platform/audio/dsound.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include "platform/audio/mixer.h"

namespace {

std::mutex g_formatMutex;
WAVEFORMATEX g_primaryFormat{};
std::atomic<int> g_liveBuffers{0};

// The PCM of one sound, converted to the mixer's stereo float frames; shared by duplicates.
struct Pcm {
  std::vector<uint8_t> staging;  // the bytes written between Lock and Unlock
  std::vector<float> frames;     // interleaved stereo at the mixer's rate
  WAVEFORMATEX format{};
};

class Device;

class Buffer final : public IDirectSoundBuffer {
 public:
  Buffer(Device* device, std::shared_ptr<Pcm> pcm, bool primary);
  HRESULT SetFormat(const WAVEFORMATEX* format) override;
  HRESULT Lock(DWORD offset, DWORD bytes, void** p1, DWORD* b1, void** p2, DWORD* b2, DWORD flags) override;
  HRESULT Unlock(void* p1, DWORD b1, void* p2, DWORD b2) override;
  HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override;
  HRESULT Stop() override;
  HRESULT SetCurrentPosition(DWORD bytes) override;
  HRESULT GetCurrentPosition(DWORD* play, DWORD* write) override;
  HRESULT SetVolume(LONG volume) override;
  HRESULT GetVolume(LONG* volume) override;
  HRESULT GetStatus(DWORD* status) override;
  ULONG Release() override;

  // Mixer side, under the device lock.
  void MixInto(float* out, int frames);

  Device* device_;
  std::shared_ptr<Pcm> pcm_;
  bool primary_;
  size_t pos_ = 0;  // frame at the mixer's rate
  bool playing_ = false;
  bool looping_ = false;
  LONG volume_ = 0;
  float gain_ = 1.0f;
};

class Device final : public IDirectSound, public audio::Source {
 public:
  Device() : rate(audio::Rate()) { audio::AddSource(this); }
  HRESULT SetCooperativeLevel(HWND, DWORD) override { return DS_OK; }
  HRESULT CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** out, void*) override;
  HRESULT DuplicateSoundBuffer(IDirectSoundBuffer* source, IDirectSoundBuffer** out) override;
  ULONG Release() override {
    audio::RemoveSource(this);
    delete this;
    return 0;
  }
  void Mix(float* out, int frames) override {
    std::lock_guard<std::mutex> lock(mutex);
    for (Buffer* b : voices)
      if (b->playing_) b->MixInto(out, frames);
  }
  Buffer* Add(Buffer* b) {
    std::lock_guard<std::mutex> lock(mutex);
    voices.push_back(b);
    ++g_liveBuffers;
    return b;
  }
  void Remove(Buffer* b) {
    std::lock_guard<std::mutex> lock(mutex);
    voices.erase(std::remove(voices.begin(), voices.end(), b), voices.end());
    --g_liveBuffers;
  }

  const int rate;    // the mixer's rate, taken once (the mixer is never asked under the lock below)
  std::mutex mutex;  // guards every voice's state and the PCM conversion
  std::vector<Buffer*> voices;
};

bool AcceptedFormat(const WAVEFORMATEX& f) {
  return f.wFormatTag == WAVE_FORMAT_PCM && (f.wBitsPerSample == 8 || f.wBitsPerSample == 16) &&
         (f.nChannels == 1 || f.nChannels == 2) && f.nSamplesPerSec >= 100 && f.nSamplesPerSec <= 384000 &&
         f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8;
}

float SampleAt(const uint8_t* frame, const WAVEFORMATEX& f, int channel) {
  if (f.nChannels == 1) channel = 0;
  if (f.wBitsPerSample == 8) return (static_cast<int>(frame[channel]) - 128) / 128.0f;
  const uint8_t* p = frame + 2 * channel;
  return static_cast<int16_t>(p[0] | (p[1] << 8)) / 32768.0f;
}

// Converts whole frames of PCM to stereo float at the mixer's rate (linear interpolation when the
// rates differ).
std::vector<float> Convert(const std::vector<uint8_t>& bytes, const WAVEFORMATEX& f, int mixRate) {
  const size_t inFrames = bytes.size() / f.nBlockAlign;
  std::vector<float> out;
  if (inFrames == 0) return out;
  if (static_cast<int>(f.nSamplesPerSec) == mixRate) {
    out.resize(inFrames * 2);
    for (size_t i = 0; i < inFrames; ++i)
      for (int c = 0; c < 2; ++c) out[2 * i + c] = SampleAt(bytes.data() + i * f.nBlockAlign, f, c);
    return out;
  }
  const double step = static_cast<double>(f.nSamplesPerSec) / mixRate;
  const size_t outFrames = static_cast<size_t>(std::ceil(inFrames / step));
  out.resize(outFrames * 2);
  for (size_t i = 0; i < outFrames; ++i) {
    const double src = i * step;
    const size_t a = std::min(static_cast<size_t>(src), inFrames - 1);
    const size_t b = std::min(a + 1, inFrames - 1);
    const float t = static_cast<float>(src - a);
    for (int c = 0; c < 2; ++c) {
      const float va = SampleAt(bytes.data() + a * f.nBlockAlign, f, c);
      const float vb = SampleAt(bytes.data() + b * f.nBlockAlign, f, c);
      out[2 * i + c] = va + (vb - va) * t;
    }
  }
  return out;
}

Buffer::Buffer(Device* device, std::shared_ptr<Pcm> pcm, bool primary)
    : device_(device), pcm_(std::move(pcm)), primary_(primary) {}

HRESULT Buffer::SetFormat(const WAVEFORMATEX* format) {
  if (!primary_ || !format) return DSERR_INVALIDCALL;
  std::lock_guard<std::mutex> lock(g_formatMutex);
  g_primaryFormat = *format;
  return DS_OK;
}

HRESULT Buffer::Lock(DWORD offset, DWORD bytes, void** p1, DWORD* b1, void** p2, DWORD* b2, DWORD flags) {
  if (primary_ || !p1 || !b1) return DSERR_INVALIDCALL;
  std::lock_guard<std::mutex> lock(device_->mutex);
  std::vector<uint8_t>& staging = pcm_->staging;
  if (flags & DSBLOCK_ENTIREBUFFER) {
    offset = 0;
    bytes = static_cast<DWORD>(staging.size());
  }
  if (offset > staging.size() || bytes > staging.size() - offset) return DSERR_INVALIDPARAM;
  *p1 = staging.data() + offset;
  *b1 = bytes;
  if (p2) *p2 = nullptr;
  if (b2) *b2 = 0;
  return DS_OK;
}

HRESULT Buffer::Unlock(void*, DWORD, void*, DWORD) {
  if (primary_) return DSERR_INVALIDCALL;
  std::vector<float> frames = Convert(pcm_->staging, pcm_->format, device_->rate);
  std::lock_guard<std::mutex> lock(device_->mutex);
  pcm_->frames = std::move(frames);
  return DS_OK;
}

HRESULT Buffer::Play(DWORD, DWORD, DWORD flags) {
  if (primary_) return DS_OK;
  std::lock_guard<std::mutex> lock(device_->mutex);
  playing_ = true;
  looping_ = (flags & DSBPLAY_LOOPING) != 0;
  return DS_OK;
}

HRESULT Buffer::Stop() {
  std::lock_guard<std::mutex> lock(device_->mutex);
  playing_ = false;
  return DS_OK;
}

HRESULT Buffer::SetCurrentPosition(DWORD bytes) {
  if (primary_) return DSERR_INVALIDCALL;
  std::lock_guard<std::mutex> lock(device_->mutex);
  const WAVEFORMATEX& f = pcm_->format;
  const double frame = static_cast<double>(bytes / f.nBlockAlign) * device_->rate / f.nSamplesPerSec;
  pos_ = std::min(static_cast<size_t>(frame), pcm_->frames.size() / 2);
  return DS_OK;
}

HRESULT Buffer::GetCurrentPosition(DWORD* play, DWORD* write) {
  if (primary_) return DSERR_INVALIDCALL;
  std::lock_guard<std::mutex> lock(device_->mutex);
  const WAVEFORMATEX& f = pcm_->format;
  const DWORD bytes = static_cast<DWORD>(static_cast<double>(pos_) * f.nSamplesPerSec / device_->rate) * f.nBlockAlign;
  if (play) *play = bytes;
  if (write) *write = bytes;
  return DS_OK;
}

HRESULT Buffer::SetVolume(LONG volume) {
  if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
  std::lock_guard<std::mutex> lock(device_->mutex);
  volume_ = volume;
  gain_ = dsound::GainOf(volume);
  return DS_OK;
}

HRESULT Buffer::GetVolume(LONG* volume) {
  if (!volume) return DSERR_INVALIDPARAM;
  std::lock_guard<std::mutex> lock(device_->mutex);
  *volume = volume_;
  return DS_OK;
}

HRESULT Buffer::GetStatus(DWORD* status) {
  if (!status) return DSERR_INVALIDPARAM;
  std::lock_guard<std::mutex> lock(device_->mutex);
  *status = (playing_ ? DSBSTATUS_PLAYING : 0) | (playing_ && looping_ ? DSBSTATUS_LOOPING : 0);
  return DS_OK;
}

ULONG Buffer::Release() {
  if (!primary_) device_->Remove(this);
  delete this;
  return 0;
}

void Buffer::MixInto(float* out, int frames) {
  const std::vector<float>& pcm = pcm_->frames;
  const size_t total = pcm.size() / 2;
  int done = 0;
  while (done < frames) {
    if (pos_ >= total) {
      if (!looping_ || total == 0) {
        playing_ = false;
        return;
      }
      pos_ = 0;
    }
    const size_t n = std::min(static_cast<size_t>(frames - done), total - pos_);
    const float* src = pcm.data() + 2 * pos_;
    float* dst = out + 2 * done;
    if (gain_ > 0.0f)
      for (size_t i = 0; i < 2 * n; ++i) dst[i] += src[i] * gain_;
    pos_ += n;
    done += static_cast<int>(n);
  }
}

HRESULT Device::CreateSoundBuffer(const DSBUFFERDESC* desc, IDirectSoundBuffer** out, void*) {
  if (!desc || !out) return DSERR_INVALIDPARAM;
  *out = nullptr;
  if (desc->dwFlags & DSBCAPS_PRIMARYBUFFER) {
    *out = new Buffer(this, nullptr, true);
    return DS_OK;
  }
  if (!desc->lpwfxFormat || !AcceptedFormat(*desc->lpwfxFormat)) return DSERR_BADFORMAT;
  if (desc->dwBufferBytes < desc->lpwfxFormat->nBlockAlign || desc->dwBufferBytes > 0x0FFFFFFF)
    return DSERR_INVALIDPARAM;
  auto pcm = std::make_shared<Pcm>();
  pcm->format = *desc->lpwfxFormat;
  try {
    pcm->staging.assign(desc->dwBufferBytes, 0);
  } catch (const std::bad_alloc&) {
    return DSERR_OUTOFMEMORY;
  }
  *out = Add(new Buffer(this, std::move(pcm), false));
  return DS_OK;
}

HRESULT Device::DuplicateSoundBuffer(IDirectSoundBuffer* source, IDirectSoundBuffer** out) {
  if (!source || !out) return DSERR_INVALIDPARAM;
  auto* src = static_cast<Buffer*>(source);
  if (src->primary_) return DSERR_INVALIDCALL;
  auto* dup = new Buffer(this, src->pcm_, false);
  {
    std::lock_guard<std::mutex> lock(mutex);
    dup->volume_ = src->volume_;
    dup->gain_ = src->gain_;
  }
  *out = Add(dup);
  return DS_OK;
}

}  // namespace

HRESULT DirectSoundEnumerateA(LPDSENUMCALLBACKA callback, void* context) {
  if (!callback) return DSERR_INVALIDPARAM;
  if (!callback(nullptr, "Primary Sound Driver", "", context)) return DS_OK;
  if (audio::Available()) {
    static GUID device{0x4f7a2c10, 0x5b1e, 0x4c3d, {0x8a, 0x01, 0x2f, 0x6e, 0x10, 0x33, 0x54, 0x01}};
    callback(&device, "Audio output", "mixer", context);
  }
  return DS_OK;
}

HRESULT DirectSoundCreate(const GUID*, IDirectSound** out, void*) {
  if (!out) return DSERR_INVALIDPARAM;
  *out = nullptr;
  if (!audio::Available()) return DSERR_NODRIVER;
  *out = new Device;
  return DS_OK;
}

namespace dsound {
WAVEFORMATEX LastPrimaryFormat() {
  std::lock_guard<std::mutex> lock(g_formatMutex);
  return g_primaryFormat;
}
int LiveBufferCount() { return g_liveBuffers.load(); }
float GainOf(LONG millibels) {
  if (millibels <= DSBVOLUME_MIN) return 0.0f;
  return static_cast<float>(std::pow(10.0, millibels / 2000.0));
}
}  // namespace dsound
