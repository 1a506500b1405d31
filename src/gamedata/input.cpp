#include "gamedata/input.h"

#include <climits>

cCheckedVector<cInput> g_vInput(2);

namespace {

// The direction words of keys 0-8; key 9 is any direction bit.
constexpr uint16_t kDirKeyWord[kDirKeyCount - 1] = {0, 1, 2, 4, 8, 5, 9, 6, 10};

void RecordRun(cKeyRunList& runs, int state) {
  cKeyRun& newest = runs.At(0);
  if (newest.m_nState != state) {
    runs.pop_back();
    runs.insert(runs.begin(), cKeyRun{state, 1});
  } else if (newest.m_nFrames < INT_MAX) {
    ++newest.m_nFrames;
  }
}

void ResetRuns(cCheckedVector<cKeyRunList>& lists, int count) {
  lists.assign(count, cKeyRunList(kKeyRunDepth));
}

}  // namespace

cInput::cInput() { TrimEdges(); }

void cInput::ClearDir() { m_wDir = 0; }

void cInput::ClearButton() { m_wButton = 0; }

void cInput::RecordEdges() {
  for (int k = 0; k < kDirKeyCount; ++k) {
    const int state = k == kDirKeyCount - 1 ? (m_wDir & 15) != 0 : m_wDir == kDirKeyWord[k];
    RecordRun(m_vDirRuns.At(k), state);
  }
  for (int k = 0; k < kButtonKeyCount; ++k) {
    const int state = k == 0 ? m_wButton == 0 : (m_wButton >> (k - 1) & 1) != 0;
    RecordRun(m_vButtonRuns.At(k), state);
  }
}

void cInput::TrimEdges() {
  ResetRuns(m_vDirRuns, kDirKeyCount);
  ResetRuns(m_vButtonRuns, kButtonKeyCount);
}
