#include "platform/time/localtime.h"

#include <time.h>

#include <atomic>
#include <mutex>

namespace {

std::atomic<bool> g_fake{false};
std::mutex g_fakeLock;
SYSTEMTIME g_fakeTime{};

}  // namespace

void GetLocalTime(SYSTEMTIME* time) {
  if (g_fake.load()) {
    std::lock_guard<std::mutex> lock(g_fakeLock);
    *time = g_fakeTime;
    return;
  }
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm local{};
  localtime_r(&now.tv_sec, &local);
  time->wYear = static_cast<WORD>(local.tm_year + 1900);
  time->wMonth = static_cast<WORD>(local.tm_mon + 1);
  time->wDayOfWeek = static_cast<WORD>(local.tm_wday);
  time->wDay = static_cast<WORD>(local.tm_mday);
  time->wHour = static_cast<WORD>(local.tm_hour);
  time->wMinute = static_cast<WORD>(local.tm_min);
  // A leap second shows as the last second of its minute.
  time->wSecond = static_cast<WORD>(local.tm_sec > 59 ? 59 : local.tm_sec);
  time->wMilliseconds = static_cast<WORD>(now.tv_nsec / 1000000);
}

FakeLocalTime::FakeLocalTime(const SYSTEMTIME& time) {
  std::lock_guard<std::mutex> lock(g_fakeLock);
  g_fakeTime = time;
  g_fake.store(true);
}

FakeLocalTime::~FakeLocalTime() { g_fake.store(false); }
