// Reference counting of the DirectDraw and Direct3D stand-ins: each object starts with one
// reference and is destroyed by the Release that drops the last one.
#pragma once
#include <atomic>

#include "platform/win/types.h"

namespace video {

class RefCounted {
 public:
  RefCounted() = default;
  RefCounted(const RefCounted&) = delete;
  RefCounted& operator=(const RefCounted&) = delete;

  virtual ULONG AddRef() { return ++refs_; }
  // Returns the references left.
  virtual ULONG Release() {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  ULONG RefCount() const { return refs_; }

 protected:
  virtual ~RefCounted() = default;

 private:
  std::atomic<ULONG> refs_{1};
};

// Releases the object a pointer holds, if any, and clears the pointer.
template <class T>
void ReleaseAndClear(T*& object) {
  if (object) object->Release();
  object = nullptr;
}

}  // namespace video
