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
  m_vEntry.clear();
  m_vByLeft.clear();
  m_dMaxW = 0;
  int markPos = -1;
  for (auto it = list.begin(); it != list.end(); ++it) {
    if (it == mark) markPos = static_cast<int>(m_vEntry.size());
    cCharaBase* obj = *it;
    const cHitRect& r = obj->*rect;
    m_vEntry.push_back({r.m_dLeft, r.m_dTop, r.m_dRight, r.m_dBottom, obj, it});
    if (HasNaN(r.m_dLeft, r.m_dTop, r.m_dRight, r.m_dBottom)) continue;  // overlaps nothing
    m_vByLeft.push_back(static_cast<int>(m_vEntry.size()) - 1);
    const double w = r.m_dRight - r.m_dLeft;
    if (std::isnan(w)) m_dMaxW = std::numeric_limits<double>::infinity();  // infinite edges
    else if (w > m_dMaxW) m_dMaxW = w;
  }
  std::sort(m_vByLeft.begin(), m_vByLeft.end(), [this](int a, int b) {
    const double la = m_vEntry[static_cast<size_t>(a)].m_dLeft, lb = m_vEntry[static_cast<size_t>(b)].m_dLeft;
    return la < lb || (la == lb && a < b);
  });
  return markPos < 0 ? static_cast<int>(m_vEntry.size()) : markPos;
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
