// Member copies by group, written as tables: each row copies the members of one group between two
// objects of a type, as they are (lists element by element). A row of no members copies nothing.
#pragma once

template <class T>
using cGroupCopy = void (*)(T& dst, const T& src);

template <class T, auto... M>
void CopyMembers([[maybe_unused]] T& dst, [[maybe_unused]] const T& src) {
  ((dst.*M = src.*M), ...);
}
