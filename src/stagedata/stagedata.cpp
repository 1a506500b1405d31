#include "stagedata/stagedata.h"

#include <algorithm>
#include <cstdint>

#include "platform/win/messages.h"
#include "stagedata/database.h"
#include "stagedata/listindex.h"

cStageData g_StageData;
cStageData g_PlayStageData;

namespace {

// The layout group: each field's default, the first version that stores it, and for the fields
// added in version 200 the value that files before 200 stand for.
struct cLayoutField {
  int32_t m_nDefault;
  uint32_t m_nFrom;
  int32_t m_nBefore200;
};

constexpr cLayoutField kLayout[kStageLayoutCount] = {
    {16, 200, 16}, {24, 200, 24}, {16, 200, 16}, {16, 200, 16},  // 36-39 hero picture
    {16, 0, 0},    {24, 0, 0},    {16, 155, 0},  {16, 155, 0},   // 40-43 hero body
    {12, 0, 0},    {8, 0, 0},     {16, 0, 0},    {16, 0, 0},     // 44-47 hero shot and item boxes
    {1, 200, 1},   {0, 200, 0},   {1, 155, 0},   {0, 155, 0},    // 48-51 hero alignments
    {0, 200, 0},   {0, 0, 0},     {0, 0, 0},     {0, 0, 0},      // 52-55 hero box displays
    {0, 200, 5},   {0, 0, 0},     {0, 0, 0},     {0, 0, 0},      // 56-59 hero box colours
    {16, 200, 16}, {24, 200, 30}, {16, 200, 16}, {16, 200, 30},  // 60-63 character picture
    {12, 0, 0},    {24, 0, 0},    {12, 155, 0},  {16, 155, 0},   // 64-67 character body
    {30, 0, 0},    {30, 0, 0},                                   // 68-69 character shot box
    {1, 200, 1},   {0, 200, 1},   {1, 155, 0},   {0, 155, 0},    // 70-73 character alignments
    {28, 0, 0},    {28, 0, 0},                                   // 74-75 items
    {16, 0, 0},    {16, 0, 0},    {16, 0, 0},    {16, 0, 0},     // 76-79 player shots
    {16, 0, 0},    {16, 0, 0},    {16, 0, 0},    {16, 0, 0},     // 80-83 computer shots
    {1, 0, 0},                                                   // 84
};

thread_local int t_nReadQuitScopes = 0;
thread_local cStageData* t_pStageBeingRead = nullptr;

// True, with the file marked damaged, when the thread reads a stage for play and a quit message
// waits in its queue. The message stays there for the thread's owner to see.
bool ReadQuitRequested(cDataFile& file) {
  if (t_nReadQuitScopes == 0) return false;
  MSG msg;
  if (!PeekMessage(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE)) return false;
  file.Fail();
  return true;
}

// A list of the tail other than the palette: a count, then each element (after an int32 that is
// ignored, for the placed lists) read over a blank one. Elements join the list as they are read, so
// that a count the rest of the file cannot fill costs nothing. The reader gives up between elements
// when it is told to quit.
template <class T>
int ReadStageList(cCheckedVector<T>& list, cDataFile& file, bool padded) {
  uint32_t n = 0;
  if (!file.ReadCount(n, padded ? 12 : 8)) return 0;  // a body takes at least its two counts
  list.clear();
  list.reserve(ListRoomFor<T>(n, file));
  for (uint32_t i = 0; i < n; ++i) {
    if (ReadQuitRequested(file)) return 0;
    int32_t pad = 0;
    if (padded && !file.ReadValue(pad)) return 0;
    if (!list.emplace_back().Read(file)) return 0;
  }
  return 1;
}

template <class T>
void WritePlacedList(cCheckedVector<T>& list, cDataFile& file) {
  file.WriteValue(static_cast<uint32_t>(list.size()));
  for (T& element : list) {
    file.WriteValue(int32_t{0});
    element.Write(file);
  }
}

// value = min(value, limit), computed without overflow.
void ClampAbove(int32_t& value, int64_t limit) {
  if (value > limit) value = static_cast<int32_t>(std::max<int64_t>(limit, INT32_MIN));
}

}  // namespace

cStageReadQuitScope::cStageReadQuitScope(cStageData& target) : m_pOuter(t_pStageBeingRead) {
  ++t_nReadQuitScopes;
  t_pStageBeingRead = &target;
}

cStageReadQuitScope::~cStageReadQuitScope() {
  --t_nReadQuitScopes;
  t_pStageBeingRead = m_pOuter;
}

cStageData& StageBeingRead() { return t_pStageBeingRead ? *t_pStageBeingRead : g_StageData; }

cStageData::cStageData() { Reset(); }

void cStageData::RegisterFields(int version) {
  const auto since = [version](int from) { return version >= from; };
  ClearFields();
  AddString(&m_strName);
  AddField32(&m_nWidth);
  AddField32(&m_nResizeX);
  AddField32(&m_nResizeY);
  AddField32(&m_nHeight);
  AddField32(&m_bScrollMinX);
  AddField32(&m_bScrollMaxX);
  AddField32(&m_bScrollMinY);
  AddField32(&m_bScrollMaxY);
  AddField32(&m_nScrollMinX);
  AddField32(&m_nScrollMaxX);
  AddField32(&m_nScrollMinY);
  AddField32(&m_nScrollMaxY);
  AddField32(&m_nFps);
  AddField32(&m_bTimeLimit);
  AddField32(&m_nTimeLimit);
  AddField32(&m_nTimeWarning);
  AddField32(&m_bAutoScrollX);
  AddField32(&m_bAutoScrollY);
  AddField32(&m_nAutoScrollSpeedX);
  AddField32(&m_nAutoScrollSpeedY);
  AddField64(&m_dGravitySetting);
  AddField32(&m_nCollisionLevel);
  AddField32(&m_nContactLevel);
  AddField32(&m_nBgm);
  if (since(166)) AddField32(&m_bBgmLoop);
  if (since(199)) AddField32(&m_bBgmKeep);
  AddField32(&m_bDrawByLayer);
  AddField32(&m_bCarryOver);
  AddField32(&m_bCarryStore);
  if (since(183)) AddField32(&m_bShowStatus);
  if (since(184)) AddField32(&m_bResultAuto);
  AddField32(&m_bStageBanner);
  if (since(225)) AddField32(&m_bStartBanner);
  AddField32(&m_bClearBanner);
  AddField32(&m_bGameOverBanner);
  for (int i = 0; i < kStageLayoutCount; ++i)
    if (since(static_cast<int>(kLayout[i].m_nFrom))) AddField32(&m_nLayout[i]);
  AddField32(&m_nWidthPx);
  AddField32(&m_nHeightPx);
  AddField32(&m_nStepsPerFrame);
  AddField64(&m_dStepsPerFrame);
  AddField64(&m_dStepsPerFrameSq);
  AddField64(&m_dSpeedLimit);
  AddField64(&m_dGravity);
  AddField64(&m_dMaxSpeed);
  AddField32(&m_nSteps8);
  AddField32(&m_bNearestOnScreen);
  AddField32(&m_nImmuneAttacker);
  AddField32(&m_nImmuneTime);
  AddField32(&m_nComImmuneAttacker);
  AddField32(&m_nComImmuneTime);
}

void cStageData::Reset() {
  Clear();
  m_nFps = 60;
  m_nTimeLimit = 200;
  m_nTimeWarning = 20;
  m_dGravitySetting = 0.4;
  m_bDrawByLayer = 1;
  m_bShowStatus = 1;
  m_bStartBanner = 1;
  m_bClearBanner = 1;
  m_bGameOverBanner = 1;
  m_bNearestOnScreen = 1;
  m_nImmuneAttacker = 30;
  m_nComImmuneAttacker = 30;
  SetDefaultLayout();
  SetCollisionLevel(10);

  m_vResultLine.assign(kResultLineCount, 1);
  for (cStageSubRec& area : m_Area) area.Set(0, 0, 0, 0, 0, 0, 0, 0);
  m_Area[AREA_PLAYER_SHOT].Set(1, 1, 1, 1, 0, 0, 0, 0);
  m_Area[AREA_COM_SHOT].Set(1, 1, 1, 1, 10, 10, 10, 10);
  ClearObjects();
  ResetPalette(Palette());
  m_vBackLayer.assign(1, cBackLayerData());
  m_vBackLayer[0].m_bFill = 1;
}

void cStageData::SetDefaultLayout() {
  for (int i = 0; i < kStageLayoutCount; ++i) m_nLayout[i] = kLayout[i].m_nDefault;
}

void cStageData::SetCollisionLevel(int level) {
  m_nCollisionLevel = level;
  if (level < 1 || level > 19) level = 10;
  const int n = level > 10 ? level - 10 : level;
  m_nStepsPerFrame = n;
  m_nStepsPer6Frames = 6 * n;
  m_dStepsPerFrame = n;
  m_dStepsPerFrameSq = static_cast<double>(n) * n;
  m_dSpeedLimit = level > 10 ? 60.0 : 6.0 * n;
  m_dMaxSpeed = m_dSpeedLimit / n;
  m_nSteps8 = 8 * n;
  m_dGravity = m_dGravitySetting / m_dStepsPerFrameSq;
}

int cStageData::FindHero() const {
  for (int i = 0; i < m_vChara.Size(); ++i) {
    const cCharaData& chara = m_vChara[static_cast<size_t>(i)];
    if (chara.m_sGraphic != 0 && chara.m_cOperation == 0) return i;
  }
  return -1;
}

bool cStageData::HasUsableMapSize() const {
  if (m_nWidth < 0 || m_nHeight < 0 || m_nWidth > kMaxMapCells || m_nHeight > kMaxMapCells) return false;
  int64_t row = 1;
  while (row < m_nWidth + 20) row <<= 1;
  return row * (m_nHeight + 20) <= kMaxGridCells;
}

void cStageData::CopyPlaySettings(cStageData& src) {
  if (&src == this) return;
  CopyFields(src);
  m_vBackLayer = src.m_vBackLayer;
  m_vVarName = src.m_vVarName;
  for (int i = 0; i < kStageAreaCount; ++i) m_Area[i] = src.m_Area[i];
  m_vResultLine = src.m_vResultLine;
}

void cStageData::ClearObjects() {
  m_vPalBlock.clear();
  m_vPalChara.clear();
  m_vPalItem.clear();
  m_vBlock.clear();
  m_vChara.clear();
  m_vItem.clear();
}

void cStageData::Normalize() {
  // The screen shows 20 x 15 cells.
  ClampAbove(m_nScrollMinX, int64_t{m_nWidth} - 20);
  ClampAbove(m_nScrollMaxX, int64_t{m_nWidth} - 1);
  ClampAbove(m_nScrollMinY, int64_t{m_nHeight} - 15);
  ClampAbove(m_nScrollMaxY, int64_t{m_nHeight} - 1);
  // Play takes the sub-step values of the stage being played, whichever record is normalised.
  cStageData& played = StageBeingRead();
  played.SetCollisionLevel(played.m_nCollisionLevel);
  if (!InList(m_nBgm, g_Database.m_vBgm.size())) m_nBgm = 0;
  PadPalette(Palette());
  CheckDefinitions(Palette());
  CheckDefinitions(Placed());
}

int cStageData::Read(cDataFile& file) {
  const uint32_t version = g_nFileDataVersion;
  if (!cDataRecord::Read(file)) return 0;

  int32_t lines = 0;
  if (!file.ReadValue(lines)) return 0;
  if (lines > 0) {
    if (static_cast<uint64_t>(lines) > file.BytesLeft() / 4) {
      file.Fail();
      return 0;
    }
    m_vResultLine.assign(static_cast<size_t>(lines), 0);
    if (!file.ReadBytes(m_vResultLine.data(), m_vResultLine.size() * 4)) return 0;
  }
  for (cStageSubRec& area : m_Area)
    if (!area.Read(file)) return 0;

  // Palette entries take their templates from the lists as they stand while they are read: the
  // stage palette, which is this record's own when it is the one a stage is read into for play.
  if (!ReadPaletteLists(Palette(), file, &ReadQuitRequested)) return 0;
  BlankEntryZero(Palette());
  if (!ReadStageList(m_vBlock, file, true) || !ReadStageList(m_vChara, file, true) ||
      !ReadStageList(m_vItem, file, true))
    return 0;
  if (!ReadStageList(m_vBackLayer, file, false) || !ReadStageList(m_vVarName, file, false)) return 0;
  // The trailer's value is checked before a load for play, not here.
  int32_t trailer = 0;
  if (version > 172 && !file.ReadValue(trailer)) return 0;

  if (version < static_cast<uint32_t>(g_nDataVersion)) Upgrade(version);
  Normalize();
  return 1;
}

void cStageData::Upgrade(uint32_t v) {
  if (v < 155) {
    Layout(LAYOUT_HERO_BODY_W_FLY) = Layout(LAYOUT_HERO_BODY_W);
    Layout(LAYOUT_HERO_BODY_H_FLY) = Layout(LAYOUT_HERO_BODY_H);
    Layout(LAYOUT_CHARA_BODY_W_FLY) = Layout(LAYOUT_CHARA_BODY_W);
    Layout(LAYOUT_CHARA_BODY_H_FLY) = Layout(LAYOUT_CHARA_BODY_H);
    for (int field : {LAYOUT_HERO_BODY_ALIGN, LAYOUT_HERO_BODY_ALIGN_FLY, LAYOUT_CHARA_BODY_ALIGN,
                      LAYOUT_CHARA_BODY_ALIGN_FLY})
      Layout(field) = 0;
  }
  if (v < 166) m_bBgmLoop = 1;
  if (v < 181) {
    m_vResultLine.resize(kResultLineCount, 0);
    m_vResultLine[3] = 0;
    m_vResultLine[4] = 0;
  }
  if (v < 183) m_bShowStatus = 1;
  if (v < 184) m_bResultAuto = 0;
  if (v < 199) m_bBgmKeep = 0;
  if (v < 200) {
    for (int i = 0; i < kStageLayoutCount; ++i)
      if (kLayout[i].m_nFrom == 200) m_nLayout[i] = kLayout[i].m_nBefore200;
  }
  if (v < 225) m_bStartBanner = 0;
  if (v < 754) m_vVarName.resize(1000);
  if (v < 876) {
    for (cBackLayerData& layer : m_vBackLayer) layer.ConvertOldAutoScroll();
  }
}

int cStageData::Write(cDataFile& file) {
  Normalize();
  cDataRecord::Write(file);
  WriteTail(file, *this);
  return file.Failed() ? 0 : 1;
}

int cStageData::WriteForReplay(cDataFile& file, const cStageData& settings) {
  Normalize();
  // Writing walks the record's registration; no value of the settings changes.
  auto& from = const_cast<cStageData&>(settings);
  from.cDataRecord::Write(file);
  WriteTail(file, from);
  return file.Failed() ? 0 : 1;
}

void cStageData::WriteTail(cDataFile& file, cStageData& settings) {
  WriteValueVector(settings.m_vResultLine, file);
  for (cStageSubRec& area : settings.m_Area) area.Write(file);
  WritePaletteLists(Palette(), file);
  WritePlacedList(m_vBlock, file);
  WritePlacedList(m_vChara, file);
  WritePlacedList(m_vItem, file);
  WriteRecordVector(settings.m_vBackLayer, file);
  WriteRecordVector(settings.m_vVarName, file);
  file.WriteValue(kStageTrailer);
}
