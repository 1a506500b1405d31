#include "stagedata/stageload.h"

#include <memory>
#include <string>
#include <utility>

#include "core/datafile.h"
#include "core/log.h"
#include "core/mainwnd.h"
#include "core/paths.h"
#include "core/thread.h"
#include "platform/win/messages.h"
#include "stagedata/loaderror.h"

cCharaData g_HeroCharaData;

namespace {

// Stage names come from the game's data and the player's files: they stay inside the game folder.
constexpr PathOrigin kStageOrigin = PathOrigin::Data;

// The stage that the last stage read whole displaced from g_StageData, kept until the load is
// over: a load that then fails puts it back. Set by the loading thread, used after it ended.
std::unique_ptr<cStageData> s_pDisplacedStage;

// After a failed load g_StageData holds the stage it held before; only the loading members tell of
// the attempt.
void PutBackStage() {
  if (!s_pDisplacedStage) return;
  cStageData& stage = g_StageData;
  std::string path = std::move(stage.m_strPath);
  const int32_t findNumbered = stage.m_bFindNumbered;
  const int32_t loadDone = stage.m_bLoadDone;
  std::swap(stage, *s_pDisplacedStage);
  s_pDisplacedStage.reset();
  stage.m_strPath = std::move(path);
  stage.m_bFindNumbered = findNumbered;
  stage.m_bLoadDone = loadDone;
}

// Runs the loading thread until it ends: 0 when a quit message reached the calling thread first (the
// loading thread is then stopped as well). Other messages stay queued for the thread's own loop:
// the game thread owns no window whose messages would need serving here.
int WaitForLoadingThread() {
  for (;;) {
    MSG msg;
    if (PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
      DebugLog("msg.message == WM_QUIT");
      thLoad.Exit();
      return 0;
    }
    if (WaitForSingleObject(thLoad.m_hThread, 1) != WAIT_TIMEOUT) break;
  }
  thLoad.Exit();
  return 1;
}

}  // namespace

int CheckStageFile(const char* path) {
  cDataFile* file = DataFileOpenRead(path, kStageOrigin);
  if (!file) return 1;
  if (g_nFileDataVersion < 174) {
    DataFileClose(file);
    return 1;
  }
  // A file too short to hold a version and a trailer is damaged too.
  int32_t trailer = 0;
  const bool whole = file->Size() >= 8 && file->Seek(file->Size() - 4) && file->ReadValue(trailer) &&
                     trailer == kStageTrailer;
  DataFileClose(file);
  if (whole) return 1;
  ErrorBoxF("ステージファイル %s が破損しています！", path ? path : "");
  PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
  return 0;
}

unsigned LoadStageProc(void* /*unused*/) {
  // The file is read into a new stage, so that what an older file does not store takes the
  // defaults, never the previous stage's values, and so that a failed read leaves g_StageData as
  // it was. The new stage takes g_StageData's place only when it read whole.
  auto loaded = std::make_unique<cStageData>();
  {
    cStageReadQuitScope readScope(*loaded);
    if (!loaded->Load(g_StageData.m_strPath.c_str(), kStageOrigin) || !loaded->HasUsableMapSize()) return 0;
  }
  loaded->m_strPath = std::move(g_StageData.m_strPath);
  loaded->m_bFindNumbered = g_StageData.m_bFindNumbered;
  loaded->m_bLoadDone = 1;
  std::swap(g_StageData, *loaded);
  s_pDisplacedStage = std::move(loaded);
  return 0;
}

int LoadStageForPlay(const char* name, int findNumbered, cStageData* settingsOut, cCharaData* heroOut) {
  cStageData& stage = g_StageData;
  stage.m_bFindNumbered = findNumbered;
  std::string path = name ? name : "";
  if (findNumbered) {
    std::string found;
    if (!FindLastNumberedFile(found, path, "stg4")) return 0;
    path = found;
  }
  stage.m_strPath = path;
  PathToRelative(stage.m_strPath);
  if (!CheckStageFile(stage.m_strPath.c_str())) return 0;

  s_pDisplacedStage.reset();
  stage.m_bLoadDone = 0;
  if (thLoad.Start(&LoadStageProc, nullptr)) {
    const int abandoned = AbandonedThreadCount();
    if (!WaitForLoadingThread()) {
      // A loading thread that did not stop may still write the stage: leave it alone then.
      if (AbandonedThreadCount() == abandoned) PutBackStage();
      return 0;
    }
  }
  if (!stage.m_bLoadDone) {
    if (g_bDataFileTooNew)
      ShowLoadError(stage.m_strPath);
    else
      ErrorBoxF("ステージファイル %s の読み込みに失敗しました！", stage.m_strPath.c_str());
    PutBackStage();
    return 0;
  }
  const int hero = stage.FindHero();
  if (hero == -1) {
    ErrorBox("主人公が配置されていないのでプレイできません！");
    PostMessage(g_hMainWnd, WM_CLOSE, 0, 0);
    PutBackStage();
    return 0;
  }

  if (settingsOut && settingsOut != &stage) {
    settingsOut->CopyPlaySettings(stage);
    settingsOut->ClearObjects();
  }
  if (heroOut) *heroOut = stage.m_vChara.At(hero);
  s_pDisplacedStage.reset();
  return 1;
}
