// The shared holders through which a command keeps its movement, shot and condition blocks. A
// command never shares a block with another command: copying a holder gives the target a fresh
// block of its own.
#pragma once
#include <memory>

// Empties the target when the source is empty; otherwise the target gets a new default block into
// which every field of the source's block is copied.
template <class T>
void AssignRecordHolder(std::shared_ptr<T>& target, const std::shared_ptr<T>& source) {
  if (!source) {
    target.reset();
    return;
  }
  std::shared_ptr<T> keep = source;  // the source may be the target itself
  target = std::make_shared<T>();
  *target = *keep;
}
