// The play scene: the whole state of the running stage that the global object containers do not
// hold (view, side lists, stage time and timers, switches, pause menu, result values), its eight
// states, and the operations the stage data, the game objects and the flow engine reach through
// g_pScenePlay: the map cells ask it whether their conditions hold, the objects read its view, flows
// run with its flow context and evaluate their conditions through it.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>

#include "core/checked.h"
#include "gamedata/cmd.h"
#include "objects/effectobj.h"
#include "objects/effectplayer.h"
#include "objects/meswindow.h"
#include "objects/pictureobj.h"
#include "scenes/hitindex.h"
#include "scenes/scene.h"
#include "scenes/scrollaxis.h"
#include "stagedata/cond.h"
#include "stagedata/effectdef.h"
#include "stagedata/mapcell.h"
#include "platform/win/types.h"

class cCharaBase;
class cFlowInstance;
class cCmdInstance;
class cChara;
class cHero;
class cShot;
class cItem;
class cSaveData;
class cCharaData;
class cItemData;
class cBlockData;
class cFlowCmd;
class cStageSubRec;
struct DDSURFACEDATA;

enum ePlayState {
  PLAY_FADEIN = 0,
  PLAY_BANNER = 1,
  PLAY_MAIN = 2,
  PLAY_PAUSE = 3,
  PLAY_RESULT = 4,
  PLAY_RETRY = 5,
  PLAY_GAMEOVER = 6,
  PLAY_FADEOUT = 7,
};

constexpr int kStageVarCount = 1000;
constexpr int kSideCount = 8;
constexpr int kSwitchCount = 60;
constexpr int kRankRows = 5;
constexpr int kPlayTimeMax = 599999;  // hundredths of a second: 99:59.99

// The running screen tint of the screen-colour command.
struct cScreenColorState {
  int32_t m_bPaletteTinted = 0;
  uint8_t m_cRed = 0, m_cGreen = 0, m_cBlue = 0;
  int32_t m_nStrength = 0;
  int32_t m_bFadeBack = 0;
  int32_t m_nTime = 0;
  int32_t m_bFlash = 0;
  int32_t m_nFlashCount = 0;
  int32_t m_bRunning = 0;
  int32_t m_nFrame = 0;
  int32_t m_nCycle = 0;
  int32_t m_nTransparency = 0;
  uint8_t m_cPrevRed = 0, m_cPrevGreen = 0, m_cPrevBlue = 0;
  int32_t m_nPrevStrength = 0;
  int32_t m_nPrevTransparency = 255;
};

// What the modal wait loop waits for.
struct cDisplayWait {
  int32_t m_nMode = 0;      // 0 game wait, 1 message window, 2 effect, 3 picture, 4 stage result
  int32_t m_nKeyDelay = 0;  // frames before the confirm key counts
  int32_t m_bWaitKey = 0;   // ends on the confirm key, else after m_nFrames
  int32_t m_nFrames = 0;
  int32_t m_nCounter = 0;
};
void SetDisplayWait(cDisplayWait* wait, int mode, int waitKey, int frames, int noDelay);

class cScenePlay : public cScene {
 public:
  cScenePlay();
  ~cScenePlay() override;
  cScenePlay(const cScenePlay&) = delete;
  cScenePlay& operator=(const cScenePlay&) = delete;

  // The scene contract.
  void Run() override;
  void Init() override;
  int FadeIn() override;
  int FadeOut() override;

  // The states.
  int StateBanner();
  int StatePlay();
  int StatePause();
  int StateResult();
  int StateRetry();
  int StateGameOver();

  // Helpers of the states.
  int OnHeroDown(int noAdvance);
  int UseLife(cSaveData& save);
  void ResetPlayCounters();
  int CheckPauseKey();
  void RefreshAppearance();
  int TickStageTime(int delta);
  void TickPlayTimer();

  // Latched entry points: an empty list holds; a list that keeps its first success holds once it
  // has held; otherwise the list is evaluated and every success latches.
  // A map cell's conditions, tested on the hero.
  int CheckBlockCond(cMapCell& cell);
  // A flow's start conditions, tested on the subject (the flow's owner).
  int CheckFlowCond(cFlowInstance* flow, cCharaBase* subject);

  // Logic 0: every condition holds (an empty list holds); 1: one or more holds (an empty list fails);
  // any other logic fails. Conditions are evaluated in order and the evaluation stops as soon as the
  // result is known.
  int CheckCondList(const cCheckedVector<cCond>& conds, int logic, cCharaBase* subject);
  // One condition on the subject, by its kind; kinds without a test never hold.
  int EvalCond(const cCond& cond, cCharaBase* subject);

  // ---- Declared here, built with the parts of the scene that own them (no behaviour yet). ----
  // Stage set-up.
  void SetupStage(int restart, int firstAttempt);
  // ---- Stage set-up: placing the stage's objects ----
  // The characters of one placed definition at cell (x, y): copy 0 and its extra copies, numbered from
  // *nextId, each holding a copy of heldItem (or none); a copy not wholly inside the stage is not made.
  // The characters are built in the list itself. Returns how many were made.
  int PlaceCharacters(cCheckedList<cChara>& list, int cellX, int cellY, int* nextId, const cCharaData& def,
                      const cItem* heldItem);
  // One item of a placed definition at cell (x, y), moved by the definition's offsets; 1 when it lies
  // wholly inside the stage and was made.
  int PlaceItem(cCheckedList<cItem>& list, int cellX, int cellY, int* nextId, const cItemData& def);
  // The character leaves its side list and every link, and the list; the position after it.
  cCheckedList<cChara>::iterator EraseChara(cCheckedList<cChara>& list, cCheckedList<cChara>::iterator node);
  // The trigger before the stage starts, on the hero and on the characters (those that appear, or
  // every one by the system data's switch); characters that vanish or die in it are removed.
  void RaiseStartTrigger();
  // ---- end of stage set-up ----
  // Drawing of a frame (no pause shortcut, no-advance, time sound, help line).
  void Draw(int noPauseShortcut, int noAdvance, int timeSound, int helpLine);
  int DrawChara(cCharaBase* chara, int noAdvance);
  // Modal loops: the procedure runs its frames until it ends, the game waiting for it.
  static int WaitKeyLoop(void* scene);
  static int RankingLoop(void* scene);
  // Runs a loop on its thread (the ranking loop on thResult, the others on thPause) and waits until it
  // has ended. 0 when the thread could not be started.
  int RunModalLoop(int (*loop)(void* scene));
  // The one way to wait with the screen alive: sets m_Wait (SetDisplayWait) and runs WaitKeyLoop.
  int RunDisplayWait(int mode, int waitKey, int frames, int noDelay);
  // The ranking display after a ranking entry: RankingLoop.
  int RunRankingWait();
  // Summons and map-cell changes.
  int SpawnBlockChara(cCheckedList<cChara>& list, double x, double y, int side, int facing, const cFlowCmd& summon,
                      const cCharaData& def, int* nextId, cCharaBase* owner);
  int PutMapBlock(double x, double y, const cFlowCmd& summon, const cBlockData& def);
  // A toggling block summon starts: the cells it changes form one batch.
  void BeginToggleBatch();
  int CellHitsObjects(int cell, int cellX, int cellY, const cFlowCmd& summon);
  // Block collision.
  int FindSegmentCell(cCharaBase* obj, double x1, double y1, double x2, double y2);
  int FindFootCell(cCharaBase* obj);
  int FindCornerCell(int left, int top, int right, int bottom, int kind);
  int CollideBlocksX(cCharaBase* obj);
  int RecheckBlocksX(cCharaBase* obj);
  int CollideLeft(cCharaBase* obj);
  int CollideRight(cCharaBase* obj);
  int CollideBlocksY(cCharaBase* obj);
  int RecheckBlocksY(cCharaBase* obj);
  int CollideFloor(cCharaBase* obj);
  int CollideCeiling(cCharaBase* obj);
  void ClampToViewX(cCharaBase* obj);
  int ClampToViewY(cCharaBase* obj);
  int IsBoxBlocked(cCharaBase* obj);
  // The appearance conditions of a placed character (its own list, itself the subject) and of an
  // item (its list, the hero the subject), each with the object's latch.
  int CheckCharaCond(cCharaBase* chara);
  int CheckItemCond(cItem* item);
  int ApplySpecialBlock(cHero* hero);
  int TakeBlockItem(cHero* hero);
  void GlueToFloor(cCharaBase* obj);
  // Contacts, hits and deaths.
  int ResolveHits(cCheckedList<cChara>& list);
  int ResolveShotHits();
  int ResolveCharaHits();
  void CancelShots();
  // The shot leaves its side list and the shot list.
  void EraseShot(cShot* shot);
  int CheckDeaths();
  int KillObject(cCharaBase* obj);
  int KillChara(cCharaBase* obj, cCheckedList<cChara>& list);
  int TakeItems(cHero* hero);
  int CollideBlockCharas(cCharaBase* obj, cCheckedList<cChara>& list);
  void RealignToBlockCharas(cCharaBase* obj, int axis);
  int CarryRider(cCharaBase* obj, cCheckedList<cChara>& list);
  int IsStillRiding(cCharaBase* obj);
  cCharaBase* FindRideChara(cCharaBase* obj);
  int IsCrushedByBlockCharas(cCharaBase* obj, const double* startBox);
  int OverlapsAnyBlockChara(cCharaBase* obj, cCheckedList<cChara>& list);
  int OverlapsBlockChara(cCharaBase* obj, cCheckedList<cChara>& list, int excluded);
  // The stage result starts: its totals and places, then the result state.
  void StartResult();
  // The character leaves the list of its side.
  void RemoveFromSide(cCharaBase* obj);
  // Stage result.
  void FinishStage();
  void AddStageTotals();
  int MakeNextStagePath(std::string* name, int part);
  int IsLastStage(int part);
  void EnterRanking();
  int NextSceneAfterClear();
  void DrawResultPanel(DDSURFACEDATA* target, int x, int y, const cCheckedVector<int32_t>& places);
  // Resources.
  void BuildShotSheets();
  void LoadCharaBitmaps();
  void LoadSwordBitmaps();
  void LoadEffectBitmaps();
  void FreePictureSurfaces();
  void FreeMessageSurfaces();
  void CreateSightSurfaces(int sightMask, int holeMask);
  DDSURFACEDATA* m_pSightMask = nullptr;  // the sight mask made last, which the hero's view is cut from
  // The sight surfaces made anew after a status change of a sight range.
  void RebuildSightSurfaces();
  // Layers, blocks, pictures, status and screen effects.
  void ScrollLayers();
  int DrawLayers(DDSURFACEDATA* target, int plane);
  void DrawBlocks(DDSURFACEDATA* target, int plane);
  void DrawPictures(DDSURFACEDATA* target, int plane, int flag);
  void DrawStatusBar(DDSURFACEDATA* target);
  void DrawStageTime(DDSURFACEDATA* target, int soundFlag);
  void DrawScrEffect(int noAdvance);
  // Screen colour.
  void StartScreenColor(const cFlowCmd* cmd);
  void DrawScreenColor(int noAdvance);
  // ---- end of the declared operations ----

  int m_nPausedState = 0;
  int m_nPausedSubState = 0;
  int m_nStageEnd = 0;  // 0 none, 1 cleared, 2 the hero dies
  // The view, horizontal then vertical.
  cScrollAxis m_ScrollX;
  cScrollAxis m_ScrollY;
  cCheckedVector<cCheckedList<cCharaBase*>> m_vSideChara;  // by side; the hero is in its side's list
  cCheckedVector<cCheckedList<cShot*>> m_vSideShot;
  // The display objects of the stage, drawn once per frame and erased by the scene when their Draw
  // reports the end. The picture surfaces are the lists g_lstPictureSD and g_lstPictureBD, in step
  // with m_lPicture; the message windows' surfaces are Off_Msg and g_lstMesBD.
  cCheckedList<cMesWindow> m_lMesWindow;
  cCheckedList<cEffectObj> m_lEffect;
  cCheckedList<cPictureObj> m_lPicture;
  cScreenEffectState m_ScrEffect;
  cScreenColorState m_ScreenColor;
  cDisplayWait m_Wait;
  std::atomic<int> m_bQuit{0};  // the program is closing: the next play step posts the close (set by the window thread)
  // The flow context: the object whose flows or triggers are being processed, the flow being
  // stepped or started and the command being executed. Null outside flow processing.
  cCharaBase* m_pCurObj = nullptr;
  cFlowInstance* m_pCurFlow = nullptr;
  cCmdInstance* m_pCurCmd = nullptr;
  int m_bStatusChanged = 0;
  int m_bItemSetMessage = 0;
  int m_nHeroCount = 0;
  int m_nSubStep = 0;  // 1-based
  int m_nStepCount = 0;
  cCheckedVector<int32_t> m_vShotTestStep;
  int m_nStageTime = 0;  // seconds, 0..999
  int m_bTimeStopped = 0;
  int m_nPlayTimeFrames = 0;
  int m_nPlayTime = 0;  // hundredths of a second
  int m_nStateFrames = 0;
  int m_nBanner2Frames = 0;
  int m_nRandSeed = 0;
  int m_bPauseRelease = 0;  // newly pressed buttons count only after all were released
  int m_bDeathPending = 0;
  cCheckedVector<int32_t> m_vStageVar;  // the stage variables
  cCheckedVector<uint8_t> m_vSwitch;
  int m_nShownFps = 0;
  int m_nNextCharaId = 0;
  int m_nNextItemId = 0;
  int m_nNextShotId = 0;
  int m_bCharaAreaCheck = 0;
  int m_bBlockCharaAreaCheck = 0;
  int m_bItemAreaCheck = 0;
  cCheckedVector<int32_t> m_vChangedCell;
  int m_nPlayFrames = 0;
  int m_nNextStage = 0;
  std::string m_strNextStage;
  int m_bNewRecord = 0;
  cCheckedVector<int32_t> m_vRankPos;
  cCheckedVector<int32_t> m_vRankValue;
  std::string m_strRankName;
  int m_bRankEntered = 0;
  int m_bShowStatus = 0;
  int m_bInHitPass = 0;
  cCheckedVector<cCmd> m_vPauseCmd;
  // ---- Modal loops and drawing ----
  // Modal loops running (the game thread blocked in one): drawing then only marks what has finished,
  // and the next top-level frame removes it, as the blocked caller may hold places in those lists.
  int m_nModalDepth = 0;
  cCheckedVector<cCharaBase*> m_vFinishedChara;  // characters whose death ended in a frozen frame
  cCheckedVector<const void*> m_vFinishedDisplay;  // pictures, effects and windows that ended so
  void MarkFinished(const void* obj);
  bool IsMarkedFinished(const void* obj) const;
  // At a top-level frame: removes what the modal loops marked.
  void SweepFinished();
  // The objects of one plane (every object when the stage is not layered).
  void DrawObjectPlane(int plane, int layered, int noAdvance);
  void DrawHelpLine();
  // The system text of the help line under the play: 27 in single-stage mode, 26 in a play the editor
  // started, -1 for none. Both tell the player that Space leads out.
  static int HelpLineText();
  // The stage screen effects: one routine per kind, each drawing the frame anew from the composed one.
  using ScrEffectStep = int (cScenePlay::*)(int noAdvance);
  int ScrEffectNone(int noAdvance);
  int ScrEffectSlide(int noAdvance);
  int ScrEffectShakeX(int noAdvance);
  int ScrEffectShakeY(int noAdvance);
  int ScrEffectSplitX(int noAdvance);
  int ScrEffectSplitY(int noAdvance);
  int ScrEffectWaveX(int noAdvance);
  int ScrEffectWaveY(int noAdvance);
  int ScrEffectBlink(int noAdvance);
  int ScrEffectTurn(int noAdvance);
  int ScrEffectDisc(int noAdvance);
  int ScrEffectZoom(int noAdvance);
  int ScrEffectLens(int noAdvance);
  int ScrEffectMosaic(int noAdvance);
  // ---- end of modal loops and drawing ----
  // ---- States ----
  // The pause menu's four entries from the system texts, each enabled as the game type allows.
  void BuildPauseMenu();
  // ---- end of the states ----
  // Shots and swords in the order they were made (the element type is complete where the list is used).
  cCheckedList<cShot> m_lShot;
  // The nodes of shots removed from m_lShot (each holding a shot made anew) and of their places in
  // the per-side lists, taken again by the next shots made, so that firing allocates nothing once the
  // scene has held as many shots.
  cCheckedList<cShot> m_lSpareShot;
  cCheckedList<cShot*> m_lSpareSideShot;
  // ---- The play step ----
  // Steps 1-9 of a play frame (input, timers and the sub-steps): 1 when the frame goes on to its
  // drawing, 0 when it ended early (the next frame runs the state it left).
  int RunPlayLogic();
  // One sub-step k (1-based): 1 when the frame goes on.
  int RunSubStep(int k);
  int StepHero(cHero& hero);
  // The hero dies: sound 8 and its death; the result when that ends the stage.
  void HeroDies();
  // An outcome code of a check: 0 goes on (1); 1 starts the result, 2 makes the hero die, and the
  // frame ends (0).
  int TakeOutcome(int code);
  // A character leaves the stage without dying: unlinked, out of its side list and erased. Returns the
  // next position; a step loop running over the list goes on there when it was this character's turn.
  cCheckedList<cChara>::iterator RemoveChara(cCheckedList<cChara>::iterator it);
  // The character the step loop is on: erased by a death check during its own step, the loop goes
  // on at m_itStepNext.
  cChara* m_pStepChara = nullptr;
  int m_bStepCharaGone = 0;
  cCheckedList<cChara>::iterator m_itStepNext;
  // Whether a character of g_lstChara is a block character: counted once a sub-step, and again when a
  // summon added one or the list changed its size. The block-character scans skip the list without.
  int HasBlockCharas();
  int m_nBlockCharaStamp = -1;
  size_t m_nBlockCharaListSize = 0;
  int m_bAnyBlockChara = 0;
  // ---- end of the play step ----
  // ---- The hit pass's lookup of overlapping characters ----
  // The index of side list `side` by body rectangle (shotRect 0) or shot rectangle (1), made anew when
  // it is older than the current generation, or always with `rebuild`; *markPos receives the list
  // position of `mark`. The generation moves on at the start of each hit pass and after every hit that
  // ran code able to move, add or remove characters (a death, an item), so that an index in use always
  // matches the lists and the rectangles.
  cHitIndex& HitIndexOf(int side, int shotRect, bool rebuild = false,
                        cCheckedList<cCharaBase*>::iterator mark = {}, int* markPos = nullptr);
  std::vector<cHitIndex> m_vHitIndex;
  std::vector<int> m_vHitCandidates;
  unsigned m_nHitGeneration = 0;
  // ---- end of the hit pass's lookup ----
  // ---- Side searches of the character being stepped ----
  // Between its moves and its second look at the blocks no command runs, so the map cells stay as they
  // are: a left or right search that found no blocking cell and met no cell with conditions gives the
  // same answer for the same edge, and the second look skips it. On only while the step loop moves a
  // character (SetSideMemo(1)), cleared when switched.
  struct cSideMemo {
    const cCharaBase* m_pObj = nullptr;
    int m_nEdge = 0, m_nTop = 0, m_nBottom = 0, m_nSide = 0, m_nScale = 0, m_nBaseH = 0;
    bool operator==(const cSideMemo&) const = default;
  };
  static cSideMemo SideMemoKey(const cCharaBase* obj, int edge);
  void SetSideMemo(int on);
  int SegmentCell(cCharaBase* obj, double x1, double y1, double x2, double y2, bool& conditions);
  cSideMemo m_SideMemo[2];  // left, right
  int m_bSideMemoOn = 0;
  // ---- end of the side searches ----

 private:
  static int (cScenePlay::*const kHandlers[8])();
};

inline cScenePlay* g_pScenePlay = nullptr;

// A map cell's picture at (x, y): its block graphic, then its overlay cell when the overlay is shown.
void DrawCell(const cMapCell& cell, DDSURFACEDATA* target, int x, int y);
// The routines of the stage screen effects by kind 0..13.
extern const cScenePlay::ScrEffectStep g_ScrEffectTable[kScrEffectKinds];

// Saves the play scene's flow context and puts it back when it goes out of scope, on every path out
// of the scope; without a play scene it does nothing.
class cFlowContextGuard {
 public:
  cFlowContextGuard();
  ~cFlowContextGuard();
  cFlowContextGuard(const cFlowContextGuard&) = delete;
  cFlowContextGuard& operator=(const cFlowContextGuard&) = delete;

 private:
  cCharaBase* m_pObj = nullptr;
  cFlowInstance* m_pFlow = nullptr;
  cCmdInstance* m_pCmd = nullptr;
};

// Pause and menu anchors of the play scene (x recentred on 320 every frame).
extern POINT g_PauseAnchor;
extern POINT g_RetryAnchor;
extern POINT g_RankAnchor;

// The program plays one stage only; the title follows when that play ends.
extern int g_bFreeStagePlay;
extern int g_bFreeStageTitle;

// ---- Summoned items and taken items ----
// Places an item summoned at (x, y) into the list when it lies wholly inside the stage.
int SpawnItem(cCheckedList<cItem>& list, double x, double y, const cFlowCmd& summon, const cItemData& def,
              int* nextId);
// The hero takes the item: popup, take sound, then its command list at once. 0, 1 the stage is
// cleared, 2 the hero's HP ran out.
int ApplyItem(cItem* item, cHero* hero);
// ---- end of the item operations ----

// Registers the play scene's checks with the stage data (at start-up): a map cell with conditions asks
// g_pScenePlay; while there is no play scene its conditions do not hold.
void RegisterScenePlayChecks();
