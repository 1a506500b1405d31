// The message command: a text window at the screen, an object or a point, for a time, until the stage
// ends or until the advance key; a window with an ID is updated or erased by later commands with the
// same ID, and a waiting message stops the game until its window is done.
#include <iterator>
#include <string>

#include "flow/displaylists.h"
#include "flow/executors.h"
#include "gfx/surface.h"
#include "objects/charabase.h"
#include "objects/hero.h"
#include "objects/objlists.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"
#include "stagedata/flow.h"

namespace {

enum eMessageParam {
  P_POS = 0,
  P_X = 1,
  P_Y = 2,
  P_DX = 3,
  P_DY = 4,
  P_KEEP_ON_SCREEN = 5,
  P_TIME_MODE = 6,
  P_TIME = 7,
  P_WAIT = 8,
  P_EXPAND = 9,
  P_FIXED = 10,
  P_REFRESH = 11,
  P_HAS_ID = 12,
  P_ID = 13,
  P_BOX_STYLE = 14,
  P_ERASE = 15,
  P_REFRESH_INTERVAL = 16,
  P_ONE_FRAME = 17,
  P_UNIT = 18,
};

constexpr int kKeySound = 11;

}  // namespace

int ExecMessage(cCharaBase* subject, const cFlowCmd& cmd, int afterMessage) {
  cScenePlay* scene = g_pScenePlay;
  if (!scene || scene->m_bQuit) return 0;
  const auto& p = cmd.m_vParam;
  auto& list = scene->m_lMesWindow;

  // An ID names the first window that carries it.
  auto found = list.end();
  if (p.At(P_HAS_ID) != 0) {
    for (auto it = list.begin(); it != list.end(); ++it) {
      if (it->m_bHasId && it->m_nId == p.At(P_ID)) {
        found = it;
        break;
      }
    }
  }
  if (p.At(P_ERASE) != 0) {
    if (found != list.end()) RemoveMesWindow(*scene, &*found);
    return 0;
  }
  bool reuse = false;
  int k = -1;
  if (found != list.end()) {
    std::string text = cmd.m_strText;
    if (p.At(P_EXPAND) != 0) ExpandMessageVariables(text);
    int w = 0, h = 0;
    MeasureMessageText(w, h, text);
    if (w == found->m_nWidth && h == found->m_nHeight) {
      reuse = true;
    } else {
      k = static_cast<int>(std::distance(list.begin(), found));
      RemoveMesWindow(*scene, &*found);
      found = list.end();
    }
  }

  const int time = p.At(P_ONE_FRAME) != 0 ? 1 : p.At(P_TIME) * 6;
  const int pos = p.At(P_POS);
  int owner = 0;
  if (pos >= 1 && pos <= 3 && subject) owner = subject->m_nObjNo;
  if (pos >= 4 && pos <= 6 && !g_vHero.empty()) owner = g_vHero[0].m_nObjNo;

  const cMesWindow* window;
  if (reuse) {
    found->Reset(MESWIN_TEXT, cmd.m_strText, 0, 0, 0, pos, p.At(P_UNIT), p.At(P_X), p.At(P_Y), p.At(P_DX), p.At(P_DY),
                 p.At(P_KEEP_ON_SCREEN), p.At(P_FIXED), p.At(P_TIME_MODE), time, p.At(P_WAIT), owner, afterMessage,
                 p.At(P_EXPAND), p.At(P_REFRESH), p.At(P_REFRESH_INTERVAL), p.At(P_BOX_STYLE), p.At(P_HAS_ID),
                 p.At(P_ID));
    window = &*found;
  } else {
    const cMesWindow made(MESWIN_TEXT, cmd.m_strText, 0, 0, 0, pos, p.At(P_UNIT), p.At(P_X), p.At(P_Y), p.At(P_DX),
                          p.At(P_DY), p.At(P_KEEP_ON_SCREEN), p.At(P_FIXED), p.At(P_TIME_MODE), time, p.At(P_WAIT),
                          owner, afterMessage, p.At(P_EXPAND), p.At(P_REFRESH), p.At(P_REFRESH_INTERVAL),
                          p.At(P_BOX_STYLE), p.At(P_HAS_ID), p.At(P_ID));
    auto at = k >= 0 && k < list.Size() ? std::next(list.begin(), k) : list.end();
    window = &*list.insert(at, made);
  }

  if (p.At(P_WAIT) == 0) return 0;
  switch (p.At(P_TIME_MODE)) {
    case MESTIME_UNTIL_KEY:
      SetDisplayWait(&scene->m_Wait, 1, 1, 0, afterMessage);
      if (!afterMessage) PlaySystemSound(kKeySound);
      break;
    case MESTIME_BY_TIME: SetDisplayWait(&scene->m_Wait, 1, 0, time, afterMessage); break;
    default: break;  // until the stage ends: the wait as it stands
  }
  scene->RunModalLoop(&cScenePlay::WaitKeyLoop);
  // The window goes, whether it is reused, replacing or new, and wherever it now stands.
  RemoveMesWindow(*scene, window);
  return 0;
}
