#include "platform/audio/vox.h"

#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <vector>

#include "platform/audio/mixer.h"
#include "platform/fs/path.h"

namespace {

std::atomic<int> g_live{0};

// The file's bytes, read by the decoder through these callbacks.
struct Memory {
  std::vector<uint8_t> bytes;
  size_t pos = 0;
};

size_t ReadMem(void* dst, size_t size, size_t count, void* src) {
  auto* m = static_cast<Memory*>(src);
  const size_t want = size * count;
  const size_t n = std::min(want, m->bytes.size() - m->pos);
  std::memcpy(dst, m->bytes.data() + m->pos, n);
  m->pos += n;
  return size ? n / size : 0;
}

int SeekMem(void* src, ogg_int64_t offset, int whence) {
  auto* m = static_cast<Memory*>(src);
  ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<ogg_int64_t>(m->pos) : static_cast<ogg_int64_t>(m->bytes.size());
  const ogg_int64_t target = base + offset;
  if (target < 0 || target > static_cast<ogg_int64_t>(m->bytes.size())) return -1;
  m->pos = static_cast<size_t>(target);
  return 0;
}

long TellMem(void* src) { return static_cast<long>(static_cast<Memory*>(src)->pos); }

class Vox final : public IVox, public audio::Source {
 public:
  Vox() : rate_(audio::Rate()) {
    ++g_live;
    audio::AddSource(this);
  }

  BOOL Open(const char* file) override {
    Memory mem;
    if (file && *file) {
      if (FILE* fp = OpenGameFile(file, "rb", PathOrigin::Data)) {
        uint8_t chunk[8192];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, fp)) > 0) mem.bytes.insert(mem.bytes.end(), chunk, chunk + got);
        std::fclose(fp);
      }
    }
    std::lock_guard<std::mutex> lock(mutex_);
    CloseLocked();
    if (mem.bytes.empty()) return FALSE;
    mem_ = std::move(mem);
    static const ov_callbacks kCallbacks = {ReadMem, SeekMem, nullptr, TellMem};
    if (ov_open_callbacks(&mem_, &file_, nullptr, 0, kCallbacks) != 0) return FALSE;
    const vorbis_info* info = ov_info(&file_, -1);
    if (!info || info->channels < 1 || info->rate <= 0) {
      ov_clear(&file_);
      return FALSE;
    }
    open_ = true;
    channels_ = info->channels;
    step_ = static_cast<double>(info->rate) / rate_;
    return TRUE;
  }
  void AfterPlay() override {}
  void Stop() override {
    std::lock_guard<std::mutex> lock(mutex_);
    playing_ = false;
  }
  void Prepare() override {
    std::lock_guard<std::mutex> lock(mutex_);
    volume_ = 1.0f;  // a music played without a volume gets the full one, not the last music's
  }
  BOOL Play(int loops) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!open_) return FALSE;
    ov_pcm_seek(&file_, 0);
    loopsLeft_ = loops;
    count_ = 0;
    start_ = 0;
    pos_ = 0;
    passFrames_ = 0;
    ended_ = false;
    playing_ = true;
    return TRUE;
  }
  void Pause() override { Stop(); }
  void SetVolume(float volume) override {
    std::lock_guard<std::mutex> lock(mutex_);
    volume_ = std::clamp(volume, 0.0f, 1.0f);
  }
  float GetVolume() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return volume_;
  }
  BOOL IsPlaying() override {
    std::lock_guard<std::mutex> lock(mutex_);
    return playing_;
  }
  void Destroy() override {
    audio::RemoveSource(this);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      CloseLocked();
    }
    --g_live;
    delete this;
  }

  void Mix(float* out, int frames) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!playing_) return;
    for (int i = 0; i < frames; ++i) {
      const size_t a = static_cast<size_t>(pos_);
      if (!Have(a + 1) && !Have(a)) {
        playing_ = false;
        return;
      }
      const float* fa = Frame(a);
      const float* fb = Have(a + 1) ? Frame(a + 1) : fa;
      const float t = static_cast<float>(pos_ - static_cast<double>(a));
      out[2 * i] += (fa[0] + (fb[0] - fa[0]) * t) * volume_;
      out[2 * i + 1] += (fa[1] + (fb[1] - fa[1]) * t) * volume_;
      pos_ += step_;
    }
  }

 private:
  static constexpr size_t kCapacity = 8192;  // decoded frames held

  const float* Frame(size_t index) const { return buffer_ + 2 * (index - start_); }

  // Whether the decoded frame `index` is there, decoding ahead as needed. A stream that ends starts
  // again while loops remain; a pass that gives no frame at all ends the music, so that an empty
  // file never spins.
  bool Have(size_t index) {
    if (index < start_ + count_) return index >= start_;
    if (ended_) return false;
    const size_t keep = static_cast<size_t>(pos_) > start_ ? static_cast<size_t>(pos_) - start_ : 0;
    if (keep > 0 && count_ + 1024 > kCapacity) {
      const size_t drop = std::min(keep, count_);
      std::memmove(buffer_, buffer_ + 2 * drop, sizeof(float) * 2 * (count_ - drop));
      start_ += drop;
      count_ -= drop;
    }
    for (int attempts = 0; attempts < 64 && index >= start_ + count_; ++attempts) {
      if (count_ + 1024 > kCapacity) return false;
      float** pcm = nullptr;
      int bitstream = 0;
      const long n = ov_read_float(&file_, &pcm, 1024, &bitstream);
      if (n == OV_HOLE) continue;  // a gap in the stream: go on after it
      if (n < 0) {
        ended_ = true;
        return false;
      }
      if (n == 0) {
        if (loopsLeft_ > 0 && passFrames_ > 0) {
          if (loopsLeft_ != 0x7fffffff) --loopsLeft_;
          passFrames_ = 0;
          if (ov_pcm_seek(&file_, 0) != 0) ended_ = true;
          if (ended_) return false;
          continue;
        }
        ended_ = true;
        return false;
      }
      float* dst = buffer_ + 2 * count_;
      for (long i = 0; i < n; ++i) {
        dst[2 * i] = pcm[0][i];
        dst[2 * i + 1] = pcm[channels_ > 1 ? 1 : 0][i];
      }
      count_ += static_cast<size_t>(n);
      passFrames_ += static_cast<size_t>(n);
    }
    return index >= start_ && index < start_ + count_;
  }

  void CloseLocked() {
    if (open_) ov_clear(&file_);
    open_ = false;
    playing_ = false;
  }

  const int rate_;
  std::mutex mutex_;
  Memory mem_;
  OggVorbis_File file_{};
  bool open_ = false;
  bool playing_ = false;
  bool ended_ = false;
  int channels_ = 2;
  double step_ = 1.0;
  double pos_ = 0;        // in source frames since play
  size_t start_ = 0;      // source frame of buffer_[0]
  size_t count_ = 0;      // frames in buffer_
  size_t passFrames_ = 0; // frames decoded since the stream last started
  int loopsLeft_ = 0;
  float volume_ = 1.0f;
  float buffer_[2 * kCapacity];
};

}  // namespace

IVox* CreateVox() { return new Vox; }

namespace vox {
int LiveCount() { return g_live.load(); }
}
