// Counts the allocations (malloc, calloc, realloc, and so new) that the calling thread makes while
// t_counting is set. Include it in one file of a benchmark program: it replaces the allocator's entry
// points for that program.
#pragma once
#include <atomic>
#include <cstddef>

extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

namespace {
std::atomic<long> g_allocations{0};
thread_local bool t_counting = false;
}  // namespace

extern "C" void* malloc(size_t n) {
  if (t_counting) ++g_allocations;
  return __libc_malloc(n);
}
extern "C" void* calloc(size_t n, size_t size) {
  if (t_counting) ++g_allocations;
  return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, size_t n) {
  if (t_counting) ++g_allocations;
  return __libc_realloc(p, n);
}
