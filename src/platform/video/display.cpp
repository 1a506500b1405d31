#include "platform/video/display.h"

#include <algorithm>
#include <mutex>

#include "platform/video/presenter.h"

namespace video {

namespace {

struct Machine {
  DisplayMode desktop{1920, 1080, 32, 60};
  Area work{0, 0, 1920, 1080};
  bool canRunAt60 = true;
  bool rgb555 = false;
  int pitchPad = 0;
  size_t videoMemory = size_t(256) << 20;
  size_t videoUsed = 0;
  TextureLimits limits;
  bool failD3DCreate = false;
  int failCreateDevice = 0;
  const void* exclusiveOwner = nullptr;
  DisplayMode exclusive;
};

std::mutex g_mutex;
Machine g_machine;

}  // namespace

DisplayMode DesktopMode() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_machine.desktop;
}

Area WorkArea() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_machine.work;
}

void SetDesktopArea(int width, int height, const Area& work) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_machine.desktop.width = width;
  g_machine.desktop.height = height;
  g_machine.work = work;
}

DisplayMode CurrentMode() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_machine.exclusiveOwner ? g_machine.exclusive : g_machine.desktop;
}

void EnterExclusive(const void* owner, const DisplayMode& mode) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_machine.exclusiveOwner = owner;
    g_machine.exclusive = mode;
    if (g_machine.exclusive.refresh == 0) g_machine.exclusive.refresh = g_machine.desktop.refresh;
  }
  CurrentPresenter()->SetFullScreen(true);
}

void LeaveExclusive(const void* owner) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_machine.exclusiveOwner != owner) return;
    g_machine.exclusiveOwner = nullptr;
  }
  CurrentPresenter()->SetFullScreen(false);
}

bool HasExclusive(const void* owner) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return owner && g_machine.exclusiveOwner == owner;
}

bool FormatForDepth(int bpp, PixelFormat* format) {
  std::lock_guard<std::mutex> lock(g_mutex);
  switch (bpp) {
    case 8: *format = PixelFormat::P8; return true;
    case 16: *format = g_machine.rgb555 ? PixelFormat::X1R5G5B5 : PixelFormat::R5G6B5; return true;
    case 32: *format = PixelFormat::X8R8G8B8; return true;
    default: return false;
  }
}

int PitchPad() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_machine.pitchPad;
}

bool RefreshSupported(int hz) {
  std::lock_guard<std::mutex> lock(g_mutex);
  return hz == 0 || hz == g_machine.desktop.refresh || (hz == 60 && g_machine.canRunAt60);
}

bool SetDesktopRefresh(int hz) {
  if (!RefreshSupported(hz)) return false;
  std::lock_guard<std::mutex> lock(g_mutex);
  if (hz != 0) g_machine.desktop.refresh = hz;
  return true;
}

bool ChargeVideoMemory(size_t bytes) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (bytes > g_machine.videoMemory - std::min(g_machine.videoUsed, g_machine.videoMemory)) return false;
  g_machine.videoUsed += bytes;
  return true;
}

void RefundVideoMemory(size_t bytes) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_machine.videoUsed -= std::min(bytes, g_machine.videoUsed);
}

size_t VideoMemoryTotal() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_machine.videoMemory;
}

size_t VideoMemoryFree() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_machine.videoMemory - std::min(g_machine.videoUsed, g_machine.videoMemory);
}

TextureLimits GetTextureLimits() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_machine.limits;
}

bool Direct3DCreateFails() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_machine.failD3DCreate;
}

int DeviceCreationFailures() {
  std::lock_guard<std::mutex> lock(g_mutex);
  return g_machine.failCreateDevice;
}

namespace test {

void ResetMachine() {
  std::lock_guard<std::mutex> lock(g_mutex);
  size_t used = g_machine.videoUsed;
  const void* owner = g_machine.exclusiveOwner;
  DisplayMode exclusive = g_machine.exclusive;
  g_machine = Machine{};
  g_machine.videoUsed = used;
  g_machine.exclusiveOwner = owner;
  g_machine.exclusive = exclusive;
}

void SetDesktop(int width, int height, int bpp) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_machine.desktop.width = width;
  g_machine.desktop.height = height;
  g_machine.desktop.bpp = bpp;
  g_machine.work = Area{0, 0, width, height};
}

void SetRefresh(int hz, bool canRunAt60) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_machine.desktop.refresh = hz;
  g_machine.canRunAt60 = canRunAt60;
}

void Use555(bool on) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_machine.rgb555 = on;
}

void SetPitchPad(int bytes) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_machine.pitchPad = bytes;
}

void SetVideoMemory(size_t bytes) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_machine.videoMemory = bytes;
}

void SetTextureLimits(const TextureLimits& limits) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_machine.limits = limits;
}

void FailDirect3DCreate(bool on) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_machine.failD3DCreate = on;
}

void FailCreateDevice(int failures) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_machine.failCreateDevice = failures;
}

}  // namespace test

}  // namespace video
