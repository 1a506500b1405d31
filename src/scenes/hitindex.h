// The characters of one side list with one of their hit rectangles, for the hit pass: sorted by the
// left edge, so that the characters a rectangle may overlap are found without testing the whole list,
// and handed back in list order, the order the hit pass visits them in.
#pragma once
#include <vector>

#include "core/checked.h"
#include "objects/charabase.h"

class cHitIndex {
 public:
  using List = cCheckedList<cCharaBase*>;

  struct Entry {
    double m_dLeft, m_dTop, m_dRight, m_dBottom;
    cCharaBase* m_pObj;
    List::iterator m_It;
  };

  // Made anew from the list with each character's rectangle `rect`. Returns the list position of
  // `mark` (the list's size for its end).
  int Build(List& list, cHitRect cCharaBase::*rect, List::iterator mark);
  // The list positions, from `from` on and ascending, of the characters whose rectangle overlaps
  // (l, t, r, b), touching included; a rectangle with a NaN edge overlaps nothing.
  void Collect(double l, double t, double r, double b, int from, std::vector<int>& out) const;
  const Entry& At(int pos) const { return m_vEntry[static_cast<size_t>(pos)]; }

  unsigned m_nStamp = ~0u;  // the hit pass's generation it was built in

 private:
  std::vector<Entry> m_vEntry;  // in list order
  std::vector<int> m_vByLeft;   // positions of the entries without a NaN edge, by left edge then position
  double m_dMaxW = 0;           // the widest entry (right - left), at least 0
};
