// The play scene, as far as the stage data, the game objects and the flow engine reach it: the map
// cells ask it whether their conditions hold; the objects read its view; flows run with its flow context and evaluate their
// conditions through it.
#pragma once
#include <cstdint>

#include "core/checked.h"
#include "scenes/scrollaxis.h"
#include "stagedata/cond.h"
#include "stagedata/mapcell.h"

class cCharaBase;
class cFlowInstance;
class cCmdInstance;

constexpr int kStageVarCount = 1000;

class cScenePlay {
 public:
  cScenePlay();
  virtual ~cScenePlay() = default;

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

  // The flow context: the object whose flows or triggers are being processed, the flow being
  // stepped or started and the command being executed. Null outside flow processing.
  cCharaBase* m_pCurObj = nullptr;
  cFlowInstance* m_pCurFlow = nullptr;
  cCmdInstance* m_pCurCmd = nullptr;

  cCheckedVector<int32_t> m_vStageVar;  // the stage variables

  // The view, horizontal then vertical.
  cScrollAxis m_ScrollX;
  cScrollAxis m_ScrollY;
};

inline cScenePlay* g_pScenePlay = nullptr;

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

// Registers the play scene's checks with the stage data (at start-up): a map cell with conditions asks
// g_pScenePlay; while there is no play scene its conditions do not hold.
void RegisterScenePlayChecks();
