// Checked access to the game's vectors and lists. A bad position is written to both logs, the main
// window is asked to close, and the caller still gets a usable element so the frame can finish.
#pragma once
#include <cstddef>
#include <list>
#include <vector>

// The shared error path: "err V[...]" or "err L[...]" to both logs, then WM_CLOSE to the main window.
[[gnu::cold]] void CheckedAccessFailed(char kind, int index, int size, int elemSize);

// The default element of a type, made on first use and kept for the whole run. Failing accesses
// that have no element to hand back return it.
template <class T>
T& CheckedDefaultElement() {
  static T* element = new T();
  return *element;
}

template <class T>
class cCheckedVector : public std::vector<T> {
 public:
  using std::vector<T>::vector;

  T& At(int i) {
    if (i >= 0 && static_cast<size_t>(i) < this->size()) return (*this)[i];
    return Failed(i);
  }
  const T& At(int i) const { return const_cast<cCheckedVector*>(this)->At(i); }

  void Fill(const T& value) {
    for (auto& e : *this) e = value;
  }

  int Size() const { return static_cast<int>(this->size()); }

 private:
  [[gnu::noinline]] T& Failed(int i) {
    CheckedAccessFailed('V', i, static_cast<int>(this->size()), static_cast<int>(sizeof(T)));
    if (this->empty()) return CheckedDefaultElement<T>();
    return (*this)[0];
  }
};

template <class T>
class cCheckedList : public std::list<T> {
 public:
  using std::list<T>::list;
  using iterator = typename std::list<T>::iterator;

  T& At(int i) {
    if (i >= 0 && static_cast<size_t>(i) < this->size()) {
      auto it = this->begin();
      std::advance(it, i);
      return *it;
    }
    CheckedAccessFailed('L', i, static_cast<int>(this->size()), static_cast<int>(sizeof(T)));
    return CheckedDefaultElement<T>();
  }

  // 0 inserts at the front, 0 < i < size before element i; any other position appends.
  void InsertAt(int i, const T& value) {
    if (i >= 0 && static_cast<size_t>(i) < this->size()) {
      auto it = this->begin();
      std::advance(it, i);
      this->insert(it, value);
    } else {
      this->push_back(value);
    }
  }

  // Erases element i; returns the position after it, or end() when there is no element i.
  iterator EraseAt(int i) {
    if (i < 0 || static_cast<size_t>(i) >= this->size()) return this->end();
    auto it = this->begin();
    std::advance(it, i);
    return this->erase(it);
  }

  int Size() const { return static_cast<int>(this->size()); }
};
