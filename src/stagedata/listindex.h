// Index checks of stored references. A stored index is signed; a negative one is as far outside its
// list as one beyond the end, so indices are compared unsigned.
#pragma once
#include <cstddef>
#include <cstdint>

inline bool InList(int64_t index, size_t count) { return index >= 0 && static_cast<uint64_t>(index) < count; }
