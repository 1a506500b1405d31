// Key conditions of flows: sequences of key steps matched against the newest-first run histories
// of the player's input record.
#include <array>
#include <climits>

#include "flow/flowinst.h"
#include "gamedata/input.h"
#include "gamedata/systemdata.h"
#include "objects/charabase.h"
#include "objects/objlists.h"
#include "scenes/sceneplay.h"

namespace {

constexpr int kKeys = kDirKeyCount + kButtonKeyCount;

// Where each key's history is being read: a run, and the frames of it that lie at or before the
// read position.
struct cKeyCursor {
  int m_nRun = 0;
  int m_nLeft = 0;
};

class cKeyReader {
 public:
  explicit cKeyReader(const cInput& input) : m_Input(input) {
    for (int k = 0; k < kKeys; ++k) m_Cursor[k] = {0, Runs(k).At(0).m_nFrames};
  }

  const cKeyRunList& Runs(int k) const {
    return k < kDirKeyCount ? m_Input.m_vDirRuns.At(k) : m_Input.m_vButtonRuns.At(k - kDirKeyCount);
  }
  int RunCount(int k) const { return Runs(k).Size(); }

  // Toward older frames.
  void Back(int frames) {
    for (int k = 0; k < kKeys; ++k) {
      cKeyCursor& c = m_Cursor[k];
      c.m_nLeft -= frames;
      while (c.m_nLeft < 0 && c.m_nRun + 1 < RunCount(k)) c.m_nLeft += Runs(k).At(++c.m_nRun).m_nFrames;
      if (c.m_nLeft == 0 && c.m_nRun + 1 < RunCount(k)) c.m_nLeft = Runs(k).At(++c.m_nRun).m_nFrames;
    }
  }
  // Toward newer frames; never past the newest frame.
  void Forward(int frames) {
    for (int k = 0; k < kKeys; ++k) {
      cKeyCursor& c = m_Cursor[k];
      int64_t left = static_cast<int64_t>(c.m_nLeft) + frames;
      while (c.m_nRun > 0 && left > Runs(k).At(c.m_nRun).m_nFrames) left -= Runs(k).At(c.m_nRun--).m_nFrames;
      if (c.m_nRun == 0 && left > Runs(k).At(0).m_nFrames) left = Runs(k).At(0).m_nFrames;
      c.m_nLeft = static_cast<int>(left);
    }
  }

  // Whether the step holds at the cursors, and the run length it matched.
  bool MatchStep(const cKeyCond& step, bool mirror, int& matched) const {
    static constexpr std::array<int, kDirKeyCount> kMirror = {0, 2, 1, 3, 4, 7, 8, 5, 6, 9};
    int hits = 0;
    bool failed = false;
    matched = 0;
    for (int k = 0; k < kKeys && k < step.m_vKeyState.Size(); ++k) {
      const int want = step.m_vKeyState[k];
      if (want != 1 && want != 2) continue;
      const int key = mirror && k < kDirKeyCount ? kMirror[k] : k;
      const cKeyCursor& c = m_Cursor[key];
      const cKeyRun& run = Runs(key).At(c.m_nRun);
      const int len = c.m_nLeft;
      bool ok;
      if (want == 1)
        ok = run.m_nState == 1 && (step.m_bAnyHold ? len > 0 : len >= step.m_sHoldMin && len <= step.m_sHoldMax);
      else
        ok = run.m_nState == 0 && len > 0;
      if (!ok) {
        failed = true;
        continue;
      }
      if (step.m_nMode == 0)
        matched = hits == 0 ? len : std::min(matched, len);
      else if (step.m_nMode == 1)
        matched = std::max(matched, len);
      else
        matched = len;
      ++hits;
    }
    if (step.m_nMode == 0) return !failed;
    if (step.m_nMode == 1) return hits >= 1;
    if (step.m_nMode == 2) return hits == 1;
    return false;
  }

 private:
  const cInput& m_Input;
  std::array<cKeyCursor, kKeys> m_Cursor{};
};

bool SubjectFacesLeft(const cCharaBase& self) {
  const cCharaBase* subject = g_pScenePlay && g_pScenePlay->m_pCurObj ? g_pScenePlay->m_pCurObj : &self;
  return subject->m_nFacing == 0;
}

}  // namespace

int cCharaBase::MatchKeySequence(cFlowInstance& inst, const cInput& input) {
  const std::vector<const cKeyCond*>& steps = inst.m_vKeyCond;
  const int gap = inst.m_pFlow->m_nKeyGap;
  const bool repeat = inst.m_pFlow->m_bKeyLatch != 0;
  const bool facesLeft = SubjectFacesLeft(*this);
  cKeyReader reader(input);
  auto match = [&](int s, int& len) { return reader.MatchStep(*steps[s], steps[s]->m_bMirror == 1 && facesLeft, len); };
  const int last = static_cast<int>(steps.size()) - 1;
  for (int s = last; s >= 0; --s) {
    int len = 0;
    if (s == last) {
      if (!match(s, len)) return 0;
      if (repeat && inst.m_bKeyLatch) return 1;
    } else if (!match(s, len)) {
      if (gap <= 0) return 0;
      int moved = 0;
      bool found = false;
      while (moved < gap && !found) {
        reader.Back(1);
        ++moved;
        found = match(s, len);
      }
      if (!found) {
        reader.Forward(moved + 1);
        if (!match(s, len)) return 0;
        int newerLen = 0;
        if (!g_SystemData.m_bKeySeqLoose && match(s + 1, newerLen)) return 0;
      }
    }
    if (s == 0) return 1;
    reader.Back(len);
  }
  return 1;
}

int cCharaBase::TestFlowKeys(cFlowInstance& inst) {
  if (inst.m_vKeyCond.empty()) return 1;
  const cInput& input = HeroInput();
  const cFlow& flow = *inst.m_pFlow;
  const int result = MatchKeySequence(inst, input);
  if (flow.m_bKeyLatch) {
    inst.m_bKeyLatch = result;
    return result;
  }
  if (!result) {
    inst.m_bKeyHeld = 0;
    return 0;
  }
  const int held = inst.m_bKeyHeld;
  inst.m_bKeyHeld = 1;
  if (!held) return 1;
  if (flow.m_nTrigger == FLOW_TRIG_ALWAYS && flow.m_nFlowId != 0) {
    m_vFlowIdBlocked.At(flow.m_nFlowId) = 1;
    m_vFlowIdEnded.At(flow.m_nFlowId) = 1;
    m_bFlowIdEvent = 1;
  }
  return 0;
}

int cCharaBase::TestKeyList(const cInput& input, const cKeyCond& cond) {
  int hits = 0;
  bool failed = false;
  for (int k = 0; k < kKeys && k < cond.m_vKeyState.Size(); ++k) {
    const int want = cond.m_vKeyState[k];
    if (want != 1 && want != 2) continue;
    const cKeyRun& now = k < kDirKeyCount ? input.m_vDirRuns.At(k).At(0) : input.m_vButtonRuns.At(k - kDirKeyCount).At(0);
    const bool ok = want == 1 ? now.m_nState == 1 : now.m_nState == 0;
    if (ok)
      ++hits;
    else
      failed = true;
  }
  if (cond.m_nMode == 0) return !failed;
  if (cond.m_nMode == 1) return hits >= 1;
  if (cond.m_nMode == 2) return hits == 1;
  return 0;
}

int cCharaBase::GetFirstHeldDirKey(const cInput& input) {
  for (int k = 0; k < kDirKeyCount; ++k)
    if (input.m_vDirRuns.At(k).At(0).m_nState == 1) return k;
  return 0;
}
