#include "scenes/sceneplay.h"

cFlowContextGuard::cFlowContextGuard() {
  if (!g_pScenePlay) return;
  m_pObj = g_pScenePlay->m_pCurObj;
  m_pFlow = g_pScenePlay->m_pCurFlow;
  m_pCmd = g_pScenePlay->m_pCurCmd;
}

cFlowContextGuard::~cFlowContextGuard() {
  if (!g_pScenePlay) return;
  g_pScenePlay->m_pCurObj = m_pObj;
  g_pScenePlay->m_pCurFlow = m_pFlow;
  g_pScenePlay->m_pCurCmd = m_pCmd;
}
