// The calendar time of the machine in the Windows form that save files and replay names store.
#pragma once
#include "platform/win/types.h"

struct SYSTEMTIME {
  WORD wYear;
  WORD wMonth;  // 1-12
  WORD wDayOfWeek;  // 0 Sunday
  WORD wDay;
  WORD wHour;
  WORD wMinute;
  WORD wSecond;
  WORD wMilliseconds;
};
static_assert(sizeof(SYSTEMTIME) == 16, "stored as 16 bytes");

// The local date and time now.
void GetLocalTime(SYSTEMTIME* time);

// For tests: while an instance lives, GetLocalTime reports its time. One at a time.
class FakeLocalTime {
 public:
  explicit FakeLocalTime(const SYSTEMTIME& time);
  ~FakeLocalTime();
  FakeLocalTime(const FakeLocalTime&) = delete;
  FakeLocalTime& operator=(const FakeLocalTime&) = delete;
};
