// Stage set-up: the loaded stage made into a running one, for the first attempt and for every
// restart. The stage record is put back as loaded, the random seed fixed, the recordings rolled, the
// block map, the hero, the characters and the items built, and every per-attempt counter reset.
#include <new>
#include <vector>

#include "core/log.h"
#include "core/mainwnd.h"
#include "core/random.h"
#include "core/timing.h"
#include "gamedata/input.h"
#include "gamedata/replay.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gamedata/systemswitches.h"
#include "gfx/globals.h"
#include "gfx/drawstate.h"
#include "objects/objlists.h"
#include "objects/shot.h"
#include "platform/time/clock.h"
#include "platform/win/messages.h"
#include "scenes/app.h"
#include "scenes/menucursor.h"
#include "scenes/requests.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"
#include "stagedata/flow.h"
#include "stagedata/mapcell.h"
#include "stagedata/stagedata.h"
#include "stagedata/stageload.h"

namespace {

constexpr int kCell = cScrollAxis::kCellSize;
constexpr int kMargin = cScrollAxis::kMarginCells;

// The pixel centre of a stage cell on the map.
double CellCentre(int cell) { return (cell + kMargin) * kCell + kCell / 2; }

// Moves the object's box (all four edges) by (dx, dy).
void ShiftEdges(cGameObj& obj, double dx, double dy) {
  obj.m_dX += dx;
  obj.m_dRight += dx;
  obj.m_dY += dy;
  obj.m_dBottom += dy;
}

// Sub-steps that test shot hits: `tests` of them spread evenly over the frame's sub-steps, or every
// one for a count of 0 (or below, which data should not hold).
cCheckedVector<int32_t> ShotTestSteps(int subSteps, int tests) {
  if (tests <= 0) return cCheckedVector<int32_t>(subSteps, 1);
  cCheckedVector<int32_t> table(subSteps, 0);
  const double step = static_cast<double>(subSteps) / tests;
  int set = 0;
  for (int k = 0;; ++k) {
    const int pos = static_cast<int>(k * step);
    if (pos >= subSteps) break;
    table[pos] = 1;
    ++set;
  }
  if (set < tests && subSteps > 0) table.back() = 1;
  return table;
}

// Restart: the stage's settings as loaded, so that what flows changed during the attempt is gone.
void RestoreStageRecord() {
  if (cApp::m_nPlayMode == 4) {
    // The replay file is read again for its recording, stage and progress; its settings go into a
    // scratch record, as g_PlayStageData already holds them. A file that cannot be read leaves
    // everything as it was loaded and closes the program.
    cStageData scratch;
    const std::string path = g_StageData.m_strPath;
    if (!g_ReplayData.LoadFile(path.c_str(), g_StageData, scratch, g_SaveData)) PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
    g_StageData.CopyPlaySettings(g_PlayStageData);
    return;
  }
  g_StageData.CopyPlaySettings(g_PlayStageData);
  const int hero = g_StageData.FindHero();
  if (!HeroKeepOn() && hero >= 0) g_StageData.m_vChara[hero] = g_HeroCharaData;
}

// The attempt's seed: the recorded one in a replay; otherwise the clock's, with the recordings rolled
// while replays are recorded.
int ChooseSeed() {
  if (cApp::m_nPlayMode == 4) {
    g_ReplayData.Rewind();
    return g_ReplayData.m_nSeed;
  }
  const int seed = static_cast<int>(timeGetTime());
  if (ReplayRecordingOn()) {
    g_PrevReplaySaveData = g_ReplaySaveData;
    g_ReplaySaveData = g_SaveData;
    g_PrevReplayData = g_ReplayData;
    g_ReplayData.ClearRecording();
    g_ReplayData.m_nSeed = seed;
  }
  return seed;
}

// A restart leaves the stage music that plays alone; a first set-up starts it again unless the
// stage keeps its (non-zero) music.
void RequestMusic(int firstAttempt) {
  const cStageData& s = g_StageData;
  const bool playing = g_nStageBgm == s.m_nBgm && (!firstAttempt || (s.m_bBgmKeep && s.m_nBgm != 0));
  if (!playing) RequestStageBgm(s.m_nBgm, s.m_bBgmLoop);
}

// Every cell of the map passable and empty, then each placed block copied into its cell. A block
// whose cell lies outside the map grid is left out rather than written into another row.
void BuildMapCells(const cScrollAxis& ax, const cScrollAxis& ay) {
  cBlockData blank;
  blank.m_sGraphic = 0;
  blank.m_cHit = 0;
  blank.m_bLocked = 0;
  g_MapCells.clear();
  g_MapCells.assign(static_cast<size_t>(ay.m_nMapCells) * ax.m_nRowStride, cMapCell(blank));
  for (const cBlockData& b : g_StageData.m_vBlock) {
    const int column = b.m_sCellX + kMargin, row = b.m_sCellY + kMargin;
    if (column < 0 || column >= ax.m_nRowStride || row < 0 || row >= ay.m_nMapCells) continue;
    g_MapCells[(row << ax.m_nShift) + column] = cMapCell(b);
  }
  g_MapHits.Rebuild();
}

}  // namespace

int cScenePlay::PlaceCharacters(cCheckedList<cChara>& list, int cellX, int cellY, int* nextId,
                                const cCharaData& def, const cItem* heldItem) {
  const cCharaData copy = def;
  int made = 0;
  for (int i = 0; i <= copy.m_cCopies; ++i) {
    // Built in its place in the list, so that nothing ever points at a temporary.
    cChara& c = list.emplace_back();
    c.Init(*nextId, copy, heldItem, CellCentre(cellX), CellCentre(cellY), static_cast<int16_t>(i), 0, nullptr);
    c.SetCellPos(cellX, cellY);
    const double dx = copy.GetSpawnOffsetX(i, c.m_nFacing), dy = copy.GetSpawnOffsetY(i, c.m_nFacing);
    ShiftEdges(c, dx, dy);
    if (!OldSummonStartOn()) {
      c.m_dHomeX += dx;
      c.m_dHomeY += dy;
    }
    if (!c.IsInStage(1)) {
      list.pop_back();
      continue;
    }
    c.AfterMoveX();
    c.AfterMoveY();
    c.UpdateScreenPos();
    ++*nextId;
    ++made;
  }
  return made;
}

int cScenePlay::PlaceItem(cCheckedList<cItem>& list, int cellX, int cellY, int* nextId, const cItemData& def) {
  cItem& item = list.emplace_back();
  item.Init(*nextId, def, 0);
  item.SetCellPos(cellX, cellY, 1);
  ShiftEdges(item, def.m_sValueA, def.m_sValueB);
  if (!item.IsInStage(1)) {
    list.pop_back();
    return 0;
  }
  item.CheckBoundsX(2);
  item.CheckBoundsY(2);
  item.UpdateScreenPos();
  ++*nextId;
  return 1;
}

cCheckedList<cChara>::iterator cScenePlay::EraseChara(cCheckedList<cChara>& list, cCheckedList<cChara>::iterator node) {
  node->UnlinkAll();
  RemoveFromSide(&*node);
  return list.erase(node);
}

void cScenePlay::SetupStage(int restart, int firstAttempt) {
  try {
    // 1. The lists of the last attempt.
    m_nPlayFrames = 0;
    m_vSideShot.assign(kSideCount, {});
    m_lShot.clear();
    m_lSpareShot.clear();
    m_lSpareSideShot.clear();
    m_vSideChara.assign(kSideCount, {});
    g_lstChara.clear();
    g_lstItem.clear();
    // What a modal loop marked as finished belonged to the last attempt: a new object at the same
    // address must not be swept for it.
    m_vFinishedChara.clear();
    m_vFinishedDisplay.clear();

    // 2-3. The stage as loaded, and the attempt's seed.
    if (restart) RestoreStageRecord();
    g_bReplayPlayback = cApp::m_nPlayMode == 4 ? 1 : 0;
    m_nRandSeed = ChooseSeed();
    RandSeed(static_cast<uint32_t>(m_nRandSeed));

    cStageData& stage = g_StageData;
    const int heroIndex = stage.FindHero();
    cCharaData noHero;
    noHero.m_cOperation = 0;
    cCharaData& heroDef = heroIndex >= 0 ? stage.m_vChara[heroIndex] : noHero;

    // 4-7. Carried-over hero values, music, numbering and the sub-step physics.
    if (stage.m_bCarryOver) g_SaveData.ApplyCharaParams(0, heroDef, stage);
    RequestMusic(firstAttempt);
    cApp::m_nCurBgm = 0;
    m_nNextCharaId = m_nNextItemId = m_nNextShotId = 0;
    stage.SetCollisionLevel(stage.m_nCollisionLevel);

    // 8. The view's axes.
    m_ScrollX.SetGeometry(0, stage.m_nWidth, stage.m_nWidthPx);
    m_ScrollX.SetAutoScroll(stage.m_bAutoScrollX, stage.m_nAutoScrollSpeedX);
    m_ScrollX.SetLimits(stage.m_nScrollMinX, stage.m_nScrollMaxX, stage.m_bScrollMinX, stage.m_bScrollMaxX);
    m_ScrollY.SetGeometry(1, stage.m_nHeight, stage.m_nHeightPx);
    m_ScrollY.SetAutoScroll(stage.m_bAutoScrollY, stage.m_nAutoScrollSpeedY);
    m_ScrollY.SetLimits(stage.m_nScrollMinY, stage.m_nScrollMaxY, stage.m_bScrollMinY, stage.m_bScrollMaxY);

    // 9. The block map; the cells toggled by summons start unchanged.
    BuildMapCells(m_ScrollX, m_ScrollY);
    m_vChangedCell.clear();

    // 10. The hero, built in the one element the hero vector holds during play.
    m_nHeroCount = 1;
    g_vHero.clear();
    cHero& hero = g_vHero.emplace_back();
    hero.Init(heroDef, CellCentre(heroDef.m_sCellX), CellCentre(heroDef.m_sCellY), 0);
    if (g_SaveData.m_bNextStart) {
      heroDef.m_sCellX = static_cast<int16_t>(g_SaveData.m_nNextStartX);
      heroDef.m_sCellY = static_cast<int16_t>(g_SaveData.m_nNextStartY);
    }
    hero.SetCellPos(heroDef.m_sCellX, heroDef.m_sCellY, 0);
    ShiftEdges(hero, heroDef.GetSpawnOffsetX(0, hero.m_nFacing), heroDef.GetSpawnOffsetY(0, hero.m_nFacing));
    if (stage.m_bCarryOver) g_SaveData.GetCarriedHpSp(0, &hero.m_nHP, &hero.m_nSP);
    hero.m_AnimSeq.Set(hero.m_bFlying ? 2 : 0, 1);

    // 11. The view centred on the hero.
    m_ScrollX.m_dPos = hero.m_dX - 320 + hero.m_nHitW / 2;
    m_ScrollX.Clamp();
    m_ScrollY.m_dPos = hero.m_dY - 240 + hero.m_nHitH / 2;
    m_ScrollY.Clamp();
    hero.UpdateScreenRect();
    if (hero.m_Chara.m_cSightMode != 0)
      CreateSightSurfaces(kSightMask, kSightMask + 1);
    else
      m_pSightMask = nullptr;

    // 12-13. Stage variables; the characters, with the items they hold, then the items left.
    m_vStageVar.assign(kStageVarCount, 0);
    std::vector<char> taken(stage.m_vItem.size(), 0);
    for (const cCharaData& def : stage.m_vChara) {
      if (def.m_cOperation != 1) continue;
      if (def.m_nHeldItem < 0) {
        PlaceCharacters(g_lstChara, def.m_sCellX, def.m_sCellY, &m_nNextCharaId, def, nullptr);
        continue;
      }
      cItem held;
      held.Init(m_nNextItemId++, stage.m_vItem.At(def.m_nHeldItem), 1);
      PlaceCharacters(g_lstChara, def.m_sCellX, def.m_sCellY, &m_nNextCharaId, def, &held);
      if (def.m_nHeldItem < static_cast<int>(taken.size())) taken[def.m_nHeldItem] = 1;
    }
    for (int i = 0; i < stage.m_vItem.Size(); ++i)
      if (!taken[i]) PlaceItem(g_lstItem, stage.m_vItem[i].m_sCellX, stage.m_vItem[i].m_sCellY, &m_nNextItemId,
                               stage.m_vItem[i]);

    // 14-15. Side lists; the out-of-area checks the stage asks for.
    auto addToSide = [this](cCharaBase& c) {
      if (c.m_nSide >= 0 && c.m_nSide < m_vSideChara.Size()) m_vSideChara[c.m_nSide].push_back(&c);
    };
    addToSide(hero);
    for (cChara& c : g_lstChara) addToSide(c);
    auto anySide = [](const cStageSubRec& r) { return r.m_bLeft || r.m_bRight || r.m_bTop || r.m_bBottom ? 1 : 0; };
    m_bCharaAreaCheck = anySide(stage.m_Area[AREA_CHARA]);
    m_bBlockCharaAreaCheck = anySide(stage.m_Area[AREA_BLOCK_CHARA]);
    m_bItemAreaCheck = anySide(stage.m_Area[AREA_ITEM]);

    // 16. Display objects and screen effects of the last attempt.
    m_lMesWindow.clear();
    m_lEffect.clear();
    m_ScrEffect = cScreenEffectState();
    m_ScreenColor = cScreenColorState();
    m_ScreenColor.m_nStrength = 255;
    m_Wait.m_nCounter = 0;
    FreePictureSurfaces();
    FreeMessageSurfaces();

    // 17-20. Shot tests, counters, stage time, switches and score.
    m_vShotTestStep = ShotTestSteps(stage.m_nStepsPerFrame, stage.m_nContactLevel);
    m_nStageEnd = m_nStateFrames = m_nBanner2Frames = 0;
    if (stage.m_bTimeLimit) {
      m_bTimeStopped = 0;
      m_nStageTime = stage.m_nTimeLimit;
    } else {
      m_nStageTime = 999;
      m_bTimeStopped = 1;
    }
    m_nPlayTimeFrames = m_nPlayTime = 0;
    m_vSwitch.assign(kSwitchCount, 0);
    m_nNextStage = m_nSubStep = m_nStepCount = 0;
    g_SaveData.m_nScore = 0;

    // 21-22. Result counters of plays that rank nothing; snapshots and input for a clean start.
    if (cApp::m_nPlayMode == 4 || (g_bEditorLaunched && g_bFreeStagePlay)) g_SaveData.ClearResultCounters();
    g_SaveData.SnapshotVars();
    for (cInput& input : g_vInput) input.ResetAll();
    g_MenuCursor.Reset();
    EveryNFrames(0, 60);

    // 23-25. Layers from their start, the 8-bit palette as loaded, the stage's frame rate.
    for (cBackLayerData& layer : stage.m_vBackLayer) layer.m_dAutoPosX = layer.m_dAutoPosY = 0;
    if (DDScreenBpp == 8) {
      for (int i = 0; i < 256; ++i) DDWorkPalette[i] = DDPalette[i];
      if (lpDDPal) lpDDPal->SetEntries(0, 0, 256, DDWorkPalette);
    }
    cApp::m_nFps = stage.m_nFps;

    // 26-27. Links, then the trigger before the stage starts.
    hero.InitLinks(nullptr);
    for (cChara& c : g_lstChara) c.InitLinks(nullptr);
    RaiseStartTrigger();

    // 28.
    m_bShowStatus = stage.m_bShowStatus;
    DDSetVirtualBackBuffer(0);
  } catch (const std::bad_alloc&) {
    // No half-built object list is left behind for the frames until the program closes.
    m_vSideChara.assign(kSideCount, {});
    g_lstChara.clear();
    g_lstItem.clear();
    ErrorBoxF("メモリ不足により、ステージの初期設定に失敗しました！");
    PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
  }
}

void cScenePlay::RaiseStartTrigger() {
  const bool all = StartTriggerAllOn();
  if (!all) RefreshAppearance();
  g_vHero[0].RaiseTrigger(FLOW_TRIG_BEFORE_START);
  for (auto it = g_lstChara.begin(); it != g_lstChara.end();) {
    cChara& c = *it;
    if (!all && !c.m_bActive) {  // appears now (the refresh above decided)
      ++it;
      continue;
    }
    c.RaiseTrigger(FLOW_TRIG_BEFORE_START);
    if (c.m_bVanished) {
      it = EraseChara(g_lstChara, it);
    } else if (c.m_nHP <= 0) {
      KillChara(&c, g_lstChara);
      it = EraseChara(g_lstChara, it);
    } else {
      ++it;
    }
  }
  RefreshAppearance();
}
