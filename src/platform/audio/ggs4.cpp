#include "platform/audio/ggs4.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/audio/gmsynth.h"
#include "platform/fs/path.h"

namespace {
constexpr int kFailed = 1;
std::mutex g_mutex;
std::map<int, std::vector<uint8_t>> g_list;
std::atomic<ggs4::FileCheck> g_check{nullptr};
std::atomic<float> g_gain{1.0f};
bool g_open = false;
// Ticks from the first to the last event of a single-track image (the form the MIDI reader makes);
// -1 when the bytes are not such an image.
int64_t TrackTicks(const std::vector<uint8_t>& b) {
  if (b.size() < 22 || b[9] != 0 || b[11] != 1) return -1;
  const size_t end = std::min<size_t>(b.size(), 22 + ((size_t{b[18]} << 24) | (b[19] << 16) | (b[20] << 8) | b[21]));
  auto varLen = [&](size_t& p) {
    uint32_t v = 0;
    for (int i = 0; i < 4 && p < end; ++i) {
      const uint8_t c = b[p++];
      v = (v << 7) | (c & 0x7F);
      if (!(c & 0x80)) break;
    }
    return v;
  };
  int64_t ticks = 0;
  size_t p = 22;
  while (p < end) {
    ticks += varLen(p);
    if (p >= end) break;
    const uint8_t status = b[p++];
    if (status == 0xFF) {
      ++p;
      p += varLen(p);
    } else if (status == 0xF0 || status == 0xF7) {
      p += varLen(p);
    } else {
      p += (status >= 0xC0 && status <= 0xDF) ? 1 : 2;
    }
  }
  return ticks;
}

}  // namespace

int GGS4OpenDevice(int, int) {
  if (!gmsynth::Open()) return kFailed;
  std::lock_guard<std::mutex> lock(g_mutex);
  g_open = true;
  return 0;
}

void GGS4CloseDevice() {
  gmsynth::PlayerStop();
  gmsynth::FinishLoading();
  std::lock_guard<std::mutex> lock(g_mutex);
  g_list.clear();
  g_open = false;
}

int GGS4AddDlsW(const wchar_t*) { return 0; }
int GGS4AddDlsA(const char*) { return 0; }

int GGS4Play(int options, int listNumber, int, int, int) {
  std::vector<uint8_t> image;
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_list.find(listNumber);
    if (!g_open || it == g_list.end()) return kFailed;
    image = it->second;
  }
  gmsynth::SetSequencer(nullptr);
  gmsynth::SetGain(g_gain.load());
  // A music of no length would restart without end inside one pull: it plays once.
  const bool loop = (options & 1) != 0 && TrackTicks(image) != 0;
  return gmsynth::PlayerStart(image, loop) ? 0 : kFailed;
}

void GGS4Stop(int) { gmsynth::PlayerStop(); }
void GGS4Pause() { gmsynth::PlayerPause(); }
void GGS4Restart() {}
void GGS4SetMasterTempo(float) {}

void GGS4SetMasterVolume(int volume) {
  volume = std::clamp(volume, -127, 0);
  g_gain.store((volume + 127) / 127.0f);
  gmsynth::SetGain(g_gain.load());
}

void GGS4SetMasterPitch(int) {}

void GGS4GetPlayerStatus(GGS4PLAYERSTATUS* status, int size) {
  if (!status || size < static_cast<int>(sizeof(GGS4PLAYERSTATUS))) return;
  bool playing = false;
  int tick = 0;
  gmsynth::PlayerStatus(&playing, &tick);
  *status = GGS4PLAYERSTATUS{playing ? 1 : 0, 0, tick, 0, 0};
}

int GGS4AddListFromFileW(const wchar_t*, int, int) { return 0; }

int GGS4AddListFromFileA(const char* file, int, int listNumber) {
  if (!file) return kFailed;
  FILE* fp = OpenGameFile(file, "rb", PathOrigin::Data);
  if (!fp) return kFailed;
  std::vector<uint8_t> bytes;
  uint8_t chunk[8192];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, fp)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
  std::fclose(fp);
  std::vector<uint8_t> image;
  if (ggs4::FileCheck check = g_check.load())
    image = check(file, bytes);
  else if (bytes.size() >= 4 && std::memcmp(bytes.data(), "MThd", 4) == 0)
    image = std::move(bytes);
  if (image.empty()) return kFailed;
  std::lock_guard<std::mutex> lock(g_mutex);
  g_list[listNumber] = std::move(image);
  return 0;
}

int GGS4AddListFromMemory(int, const void*, int, int) { return 0; }

void GGS4DeleteListItem(int listNumber) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_list.erase(listNumber);
}

void GGS4ClearList() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_list.clear();
}

int GGS4EnumList(int*, int) { return 0; }
int GGS4GetSmfInformation(void*, int, int) { return 0; }

namespace ggs4 {
void SetFileCheck(FileCheck check) { g_check.store(check); }
float MasterGain() { return g_gain.load(); }
}  // namespace ggs4
