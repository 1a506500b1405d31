#include "gamedata/replay.h"

#include <climits>

#include "core/log.h"
#include "core/paths.h"
#include "core/text.h"
#include "gamedata/savedata.h"
#include "platform/fs/path.h"
#include "platform/time/localtime.h"
#include "stagedata/loaderror.h"
#include "stagedata/stagedata.h"

cReplayData g_ReplayData;
int g_bReplayPlayback = 0;

uint32_t PlaybackVersion() { return g_bReplayPlayback ? g_ReplayData.m_nFileVersion : 0; }
cReplayData g_PrevReplayData;

namespace {

// The last version whose replay files hold no progress snapshot.
constexpr uint32_t kLastVersionWithoutSnapshot = 172;

// One frame of one channel: the last run grows while the word stays. A run at its largest value
// starts a new entry of the same word instead of overflowing.
void RecordWord(cCheckedVector<int16_t>& words, cCheckedVector<int32_t>& runs, int16_t word) {
  if (!words.empty() && words.back() == word) {
    int32_t& run = runs.At(words.Size() - 1);
    if (run < INT32_MAX) {
      ++run;
      return;
    }
  }
  words.push_back(word);
  runs.push_back(1);
}

// The word of the current entry; the entry is left once its run has been played.
int16_t PlayWord(const cCheckedVector<int16_t>& words, const cCheckedVector<int32_t>& runs, int32_t& pos,
                 int32_t& count) {
  const int16_t word = words.At(pos);
  if (++count >= runs.At(pos)) {
    count = 0;
    ++pos;
  }
  return word;
}

bool RunsMatch(const cCheckedVector<int16_t>& words, const cCheckedVector<int32_t>& runs) {
  if (words.size() != runs.size()) return false;
  for (int32_t run : runs)
    if (run < 1) return false;
  return true;
}

}  // namespace

cReplayData::cReplayData() {
  RegisterFields(g_nDataVersion);
  Clear();
  ClearRecording();
}

cReplayData& cReplayData::operator=(const cReplayData& src) {
  if (this == &src) return *this;
  cDataRecord::operator=(src);
  m_vDir = src.m_vDir;
  m_vButton = src.m_vButton;
  m_vDirRun = src.m_vDirRun;
  m_vButtonRun = src.m_vButtonRun;
  m_nSeed = src.m_nSeed;
  m_nFileVersion = src.m_nFileVersion;
  return *this;
}

void cReplayData::RegisterFields(int /*version*/) {
  ClearFields();
  AddField32(&m_nSeed);
}

int cReplayData::Read(cDataFile& f) {
  m_nFileVersion = g_nFileDataVersion;
  if (!cDataRecord::Read(f)) return 0;
  if (!ReadValueVectorKeptWhenEmpty(m_vDir, f) || !ReadValueVectorKeptWhenEmpty(m_vButton, f) ||
      !ReadValueVectorKeptWhenEmpty(m_vDirRun, f) || !ReadValueVectorKeptWhenEmpty(m_vButtonRun, f))
    return 0;
  // Playback indexes a run for every word: lists that do not pair up are damage.
  if (!RunsMatch(m_vDir, m_vDirRun) || !RunsMatch(m_vButton, m_vButtonRun)) {
    f.Fail();
    return 0;
  }
  return 1;
}

int cReplayData::Write(cDataFile& f) {
  cDataRecord::Write(f);
  WriteValueVector(m_vDir, f);
  WriteValueVector(m_vButton, f);
  WriteValueVector(m_vDirRun, f);
  WriteValueVector(m_vButtonRun, f);
  return f.Failed() ? 0 : 1;
}

void cReplayData::ClearRecording() {
  m_vDir.clear();
  m_vButton.clear();
  m_vDirRun.clear();
  m_vButtonRun.clear();
  m_nFileVersion = static_cast<uint32_t>(g_nDataVersion);
  Rewind();
}

void cReplayData::Rewind() { m_nDirPos = m_nButtonPos = m_nDirCount = m_nButtonCount = 0; }

void cReplayData::Record(const int16_t words[2]) {
  RecordWord(m_vDir, m_vDirRun, words[0]);
  RecordWord(m_vButton, m_vButtonRun, words[1]);
}

int cReplayData::Play(int16_t words[2]) {
  if (m_nDirPos >= m_vDir.Size() || m_nButtonPos >= m_vButton.Size()) return 1;
  words[0] = PlayWord(m_vDir, m_vDirRun, m_nDirPos, m_nDirCount);
  words[1] = PlayWord(m_vButton, m_vButtonRun, m_nButtonPos, m_nButtonCount);
  return 0;
}

int cReplayData::SaveFile(const char* path, cStageData& stage, const cStageData& playStage, cSaveData& snapshot) {
  int ok = 0;
  if (cDataFile* f = DataFileOpenWrite(path)) {
    stage.WriteForReplay(*f, playStage);
    Write(*f);
    snapshot.Write(*f);
    ok = DataFileClose(f);
  }
  if (!ok) ReportLogBox("%s の保存に失敗しました！", path ? path : "");
  return ok;
}

int cReplayData::LoadFile(const char* path, cStageData& stage, cStageData& playStage, cSaveData& save) {
  const std::string name = path ? path : "";
  cDataFile* f = DataFileOpenRead(name.c_str());
  if (!f) {
    ShowLoadError(name);
    return 0;
  }
  const uint32_t version = g_nFileDataVersion;
  const bool hasSnapshot = version > kLastVersionWithoutSnapshot;
  // Placed definitions take their templates from the palette of g_StageData while they are read,
  // so the stage is read in its own place and put back when any part of the file fails. The
  // recording and the progress are read into copies of the live ones (a list stored empty keeps
  // what it held) and taken only when everything has read.
  const cStageData previousStage(stage);
  cReplayData record(*this);
  cSaveData progress(save);
  // What an older file does not store takes the defaults, never the values of the stage before.
  stage.Reset();
  int ok = stage.Read(*f) && record.Read(*f) && (!hasSnapshot || progress.Read(*f));
  if (!DataFileClose(f)) ok = 0;
  if (!ok) {
    stage = previousStage;
    ShowLoadError(name);
    return 0;
  }

  if (&playStage != &stage) {
    playStage.CopyPlaySettings(stage);
    playStage.ClearObjects();
  }
  *this = record;
  Rewind();
  if (hasSnapshot) save = progress;
  return 1;
}

std::string ReplayFileExt() { return StrPrintf("rpl4_%s", "914"); }

int MakeReplayPath(std::string& out, const char* stageName) {
  out.clear();
  if (stageName && *stageName) {
    std::string name = stageName;
    PathStripDir(name);
    AppendVarKey(name, g_SaveData.m_bVarSet, g_SaveData.m_nVarIndex, g_SaveData.m_nVarValue);
    out = StrPrintf("user_data\\rpl4\\%s", name.c_str());
    // The stage's name ends with the dot of its cut extension.
    PathStripExt(out);
    SYSTEMTIME t;
    GetLocalTime(&t);
    StrAppendF(out, "__%04d__%02d_%02d__%02d_%02d.", t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute);
    const std::string stamped = out;
    PathChangeExt(out, stamped, ReplayFileExt().c_str());
    const std::string base = out;
    for (int n = 2; n <= 999 && GamePathExists(out); ++n) PathNumberedName(out, base, n);
  }
  PathToAbsolute(out);
  return 1;
}
