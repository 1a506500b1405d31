// The most memory the calling thread holds at once between Start and Stop, read through the
// sanitizer runtime's allocation hooks. Without that runtime (a build without the sanitizers) the
// watch is inactive and Stop returns 0. Shared by the damaged-file tests and the fuzz targets, which
// check that a reader allocates in proportion to what a file holds, never to what its counts claim.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>

extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*)(const volatile void*, size_t), void (*)(const volatile void*))
    __attribute__((weak));
size_t __sanitizer_get_allocated_size(const volatile void*) __attribute__((weak));
}

namespace allocwatch {

// Per thread: the hooks see every thread's allocations, a watch only its own thread's.
inline thread_local bool t_bWatching = false;
inline thread_local int64_t t_nLiveBytes = 0;
inline thread_local int64_t t_nPeakBytes = 0;

inline void OnMalloc(const volatile void*, size_t size) {
  if (!t_bWatching) return;
  t_nLiveBytes += static_cast<int64_t>(size);
  t_nPeakBytes = std::max(t_nPeakBytes, t_nLiveBytes);
}

inline void OnFree(const volatile void* p) {
  if (t_bWatching && p) t_nLiveBytes -= static_cast<int64_t>(__sanitizer_get_allocated_size(p));
}

// Installs the hooks once per process; false without the sanitizer runtime.
inline bool Installed() {
  static const bool installed = __sanitizer_install_malloc_and_free_hooks && __sanitizer_get_allocated_size &&
                                __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
  return installed;
}

}  // namespace allocwatch

class cAllocWatch {
 public:
  void Start() {
    allocwatch::t_nLiveBytes = allocwatch::t_nPeakBytes = 0;
    allocwatch::t_bWatching = allocwatch::Installed();
  }
  // The peak since Start.
  int64_t Stop() {
    allocwatch::t_bWatching = false;
    return allocwatch::t_nPeakBytes;
  }
};
