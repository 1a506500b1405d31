#include "scenes/hitindex.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "scenes/collision.h"

namespace {

bool HasNaN(double l, double t, double r, double b) {
  return std::isnan(l) || std::isnan(t) || std::isnan(r) || std::isnan(b);
}

}  // namespace

int cHitIndex::Build(List& list, cHitRect cCharaBase::*rect, List::iterator mark) {
  // The same characters as last time keep last time's order as the start of the sort: they moved
  // little, so it is nearly sorted already.
  const size_t before = m_vEntry.size();
  bool sameObjects = true;
  size_t count = 0, plain = 0;
  int markPos = -1;
  m_dMaxW = 0;
  for (auto it = list.begin(); it != list.end(); ++it, ++count) {
    if (it == mark) markPos = static_cast<int>(count);
    cCharaBase* obj = *it;
    const cHitRect& r = obj->*rect;
    const Entry e{r.m_dLeft, r.m_dTop, r.m_dRight, r.m_dBottom, obj, it};
    if (count < before) {
      sameObjects = sameObjects && m_vEntry[count].m_pObj == obj;
      m_vEntry[count] = e;
    } else {
      sameObjects = false;
      m_vEntry.push_back(e);
    }
    if (HasNaN(r.m_dLeft, r.m_dTop, r.m_dRight, r.m_dBottom)) continue;  // overlaps nothing
    ++plain;
    const double w = r.m_dRight - r.m_dLeft;
    if (std::isnan(w)) m_dMaxW = std::numeric_limits<double>::infinity();  // infinite edges
    else if (w > m_dMaxW) m_dMaxW = w;
  }
  m_vEntry.resize(count);
  const auto less = [this](int a, int b) {
    const double la = m_vEntry[static_cast<size_t>(a)].m_dLeft, lb = m_vEntry[static_cast<size_t>(b)].m_dLeft;
    return la < lb || (la == lb && a < b);
  };
  bool reuse = sameObjects && count == before && plain == m_vByLeft.size();
  for (size_t k = 0; reuse && k < m_vByLeft.size(); ++k) {
    const Entry& e = m_vEntry[static_cast<size_t>(m_vByLeft[k])];
    reuse = !HasNaN(e.m_dLeft, e.m_dTop, e.m_dRight, e.m_dBottom);
  }
  if (reuse) {
    for (size_t k = 1; k < m_vByLeft.size(); ++k) {
      const int v = m_vByLeft[k];
      size_t at = k;
      for (; at > 0 && less(v, m_vByLeft[at - 1]); --at) m_vByLeft[at] = m_vByLeft[at - 1];
      m_vByLeft[at] = v;
    }
  } else {
    m_vByLeft.clear();
    for (size_t pos = 0; pos < count; ++pos) {
      const Entry& e = m_vEntry[pos];
      if (!HasNaN(e.m_dLeft, e.m_dTop, e.m_dRight, e.m_dBottom)) m_vByLeft.push_back(static_cast<int>(pos));
    }
    std::sort(m_vByLeft.begin(), m_vByLeft.end(), less);
  }
  return markPos < 0 ? static_cast<int>(count) : markPos;
}

void cHitIndex::Collect(double l, double t, double r, double b, int from, std::vector<int>& out) const {
  out.clear();
  if (HasNaN(l, t, r, b)) return;
  // An entry that reaches l starts at l - m_dMaxW or later; the margin covers the rounding of the
  // widths. A NaN bound (infinite edges) compares false and widens the range to the whole index.
  double low = l - m_dMaxW;
  low -= 1 + std::fabs(low) * 1e-9;
  const auto leftOf = [this](int pos) { return m_vEntry[static_cast<size_t>(pos)].m_dLeft; };
  auto first = std::lower_bound(m_vByLeft.begin(), m_vByLeft.end(), low,
                                [&](int pos, double v) { return leftOf(pos) < v; });
  for (auto it = first; it != m_vByLeft.end() && leftOf(*it) <= r; ++it) {
    const Entry& e = m_vEntry[static_cast<size_t>(*it)];
    if (*it >= from && BoxesOverlap(l, t, r, b, e.m_dLeft, e.m_dTop, e.m_dRight, e.m_dBottom)) out.push_back(*it);
  }
  std::sort(out.begin(), out.end());
}
