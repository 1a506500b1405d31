#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

#include "core/log.h"
#include "stagedata/cmdupgrade.h"
#include "stagedata/database.h"
#include "stagedata/flow.h"
#include "stagedata/listindex.h"

namespace {

// Flows nest only through the flows an item command carries, a level or two in real data. A much
// deeper nesting is a damaged file, refused before it can exhaust the stack.
constexpr int kMaxCarriedFlowDepth = 16;
thread_local int t_nCmdReadDepth = 0;

struct cReadDepth {
  cReadDepth() { ++t_nCmdReadDepth; }
  ~cReadDepth() { --t_nCmdReadDepth; }
  bool TooDeep() const { return t_nCmdReadDepth > kMaxCarriedFlowDepth; }
};

// A block is stored as an int32 flag, then the block's body when the flag is set.
template <class T>
int ReadBlock(std::shared_ptr<T>& holder, cDataFile& file) {
  int32_t present = 0;
  if (!file.ReadValue(present)) return 0;
  holder.reset();
  if (!present) return 1;
  holder = std::make_shared<T>();
  return holder->Read(file);
}

template <class T>
void WriteBlock(const std::shared_ptr<T>& holder, cDataFile& file) {
  file.WriteValue(static_cast<int32_t>(holder ? 1 : 0));
  if (holder) holder->Write(file);
}

// An out-of-range index becomes `repair`; a repair to entry 1 of a list that has no entry 1 gives 0.
template <class T>
void RepairIndex(T& index, size_t count, int repair) {
  if (InList(index, count)) return;
  index = static_cast<T>(repair == 1 && count < 2 ? 0 : repair);
}

// The usage time of a sword: the sum of its parts' times, held at 9999 once it reaches it.
int16_t SwordTime(const cSwordTypeData& sword) {
  int64_t sum = 0;
  for (const cSwordTypePart& part : sword.m_vPart) {
    sum += part.m_nDuration;
    if (sum >= 9999) sum = 9999;
  }
  return static_cast<int16_t>(sum < INT16_MIN ? INT16_MIN : sum);
}

bool UsesMoveBlock(int kind) { return (kind >= CMD_MOVE_STRAIGHT && kind <= CMD_JUMP) || kind == CMD_WARP; }
bool UsesShotBlock(int kind) { return kind >= CMD_SHOT && kind <= CMD_SUMMON_ITEM; }

std::atomic<bool> g_bUnknownKindLogged{false};

}  // namespace

cFlowCmd::cFlowCmd() { SetDefault(); }

cFlowCmd::cFlowCmd(const cFlowCmd& src)
    : cDataRecord(src), m_strText(src.m_strText), m_vFlow(src.m_vFlow), m_vParam(src.m_vParam) {
  CopyScalars(src);
  AssignEdMoveHolder(m_pEdMove, src.m_pEdMove);
  AssignEdShotHolder(m_pEdShot, src.m_pEdShot);
  AssignCondListHolder(m_pCondList, src.m_pCondList);
}

cFlowCmd& cFlowCmd::operator=(const cFlowCmd& src) {
  if (this == &src) return *this;
  cDataRecord::operator=(src);
  // src may lie inside this command's own carried flows: it stays alive until they are replaced last.
  cCheckedVector<cFlow> flows(src.m_vFlow);
  CopyScalars(src);
  m_strText = src.m_strText;
  m_vParam = src.m_vParam;
  AssignEdMoveHolder(m_pEdMove, src.m_pEdMove);
  AssignEdShotHolder(m_pEdShot, src.m_pEdShot);
  AssignCondListHolder(m_pCondList, src.m_pCondList);
  m_vFlow.swap(flows);
  return *this;
}

cFlowCmd& cFlowCmd::operator=(cFlowCmd&& src) noexcept {
  if (this == &src) return *this;
  cDataRecord::operator=(src);
  // src may lie inside this command's own carried flows: it stays alive until they are replaced last.
  cCheckedVector<cFlow> flows(std::move(src.m_vFlow));
  CopyScalars(src);
  m_strText = std::move(src.m_strText);
  m_vParam = std::move(src.m_vParam);
  m_pEdMove = std::move(src.m_pEdMove);
  m_pEdShot = std::move(src.m_pEdShot);
  m_pCondList = std::move(src.m_pCondList);
  m_vFlow.swap(flows);
  return *this;
}

cFlowCmd::~cFlowCmd() = default;

void cFlowCmd::CopyScalars(const cFlowCmd& src) {
  m_nCategory = src.m_nCategory;
  m_nKind = src.m_nKind;
  m_sTime = src.m_sTime;
  m_sTimeStep = src.m_sTimeStep;
  m_bGoOn = src.m_bGoOn;
  m_sSound = src.m_sSound;
  m_bSoundOnScreen = src.m_bSoundOnScreen;
  m_sAnime = src.m_sAnime;
}

void cFlowCmd::SetDefault() {
  Clear();
  m_pEdMove.reset();
  m_pEdShot.reset();
  m_pCondList.reset();
  m_vFlow.clear();
  m_vParam.clear();
  m_bSoundOnScreen = 1;
}

void cFlowCmd::RegisterFields(int /*version*/) {
  ClearFields();
  AddField8(&m_nCategory);
  AddField8(&m_nKind);
  AddField16(&m_sTime);
  AddField16(&m_sTimeStep);
  AddField8(&m_bGoOn);
  AddField16(&m_sSound);
  AddField8(&m_bSoundOnScreen);
  AddField16(&m_sAnime);
  AddString(&m_strText);
}

int cFlowCmd::Read(cDataFile& file) {
  cReadDepth depth;
  if (depth.TooDeep()) {
    file.Fail();
    return 0;
  }
  if (!cDataRecord::Read(file)) return 0;
  if (!ReadBlock(m_pEdMove, file) || !ReadBlock(m_pEdShot, file)) return 0;
  // Files before 764 have no condition block.
  if (g_nFileDataVersion >= 764) {
    if (!ReadBlock(m_pCondList, file)) return 0;
  } else {
    m_pCondList.reset();
  }
  if (!ReadRecordVector(m_vFlow, file)) return 0;

  int32_t n = 0;
  if (!file.ReadValue(n)) return 0;
  // No stored parameters: the vector stays as it is.
  if (n > 0) {
    if (static_cast<uint64_t>(n) > file.BytesLeft() / sizeof(int32_t)) {
      file.Fail();
      return 0;
    }
    m_vParam.assign(static_cast<size_t>(n), 0);
    if (!file.ReadBytes(m_vParam.data(), m_vParam.size() * sizeof(int32_t))) return 0;
  }

  if (g_nFileDataVersion < static_cast<uint32_t>(g_nDataVersion)) UpgradeFlowCmd(*this, g_nFileDataVersion);
  if (!KeepTestOnlyFlows()) RemoveTestOnlyFlows(m_vFlow);
  Normalize();
  return 1;
}

int cFlowCmd::Write(cDataFile& file) {
  Normalize();
  cDataRecord::Write(file);
  WriteBlock(m_pEdMove, file);
  WriteBlock(m_pEdShot, file);
  WriteBlock(m_pCondList, file);
  WriteRecordVector(m_vFlow, file);
  file.WriteValue(static_cast<int32_t>(m_vParam.size()));
  if (!m_vParam.empty()) file.WriteBytes(m_vParam.data(), m_vParam.size() * sizeof(int32_t));
  return file.Failed() ? 0 : 1;
}

int cFlowCmd::ParamCount() const {
  if (m_nCategory == CMD_CATEGORY_ITEM) {
    if (InList(m_nKind, g_ItemCmdKindTable.size())) return g_ItemCmdKindTable[static_cast<size_t>(m_nKind)].m_nCount;
  } else if (InList(m_nKind, g_CmdKindTable.size())) {
    return g_CmdKindTable[static_cast<size_t>(m_nKind)].m_nCount;
  }
  return 0;
}

cCmdArrangeRef cFlowCmd::ArrangeRef() {
  cCmdArrangeRef ref;
  ref.m_pSound = &m_sSound;
  ref.m_pParam = &m_vParam;
  ref.m_pEdMove = m_pEdMove.get();
  ref.m_pEdShot = m_pEdShot.get();
  return ref;
}

// A kind the tables do not know (a damaged or newer file) would index past the executor tables:
// the command becomes one that does nothing.
void cFlowCmd::RepairUnknownKind() {
  const size_t kinds = m_nCategory == CMD_CATEGORY_ITEM ? g_ItemCmdKindTable.size() : g_CmdKindTable.size();
  const bool knownCategory = m_nCategory == CMD_CATEGORY_OBJECT || m_nCategory == CMD_CATEGORY_ITEM;
  if (knownCategory && InList(m_nKind, kinds)) return;
  if (!g_bUnknownKindLogged.exchange(true))
    ReportLog("Unknown command kind %d (category %d): the command does nothing", m_nKind, m_nCategory);
  if (!knownCategory) m_nCategory = CMD_CATEGORY_OBJECT;
  m_nKind = 0;
}

// The executors, the repairs and the arrange access work on the block of a kind without testing for
// it: a kind whose block is missing gets a default one (the flow operation a switched-off list).
void cFlowCmd::GiveMissingBlocks() {
  const int kind = ObjectKind();
  if (UsesMoveBlock(kind) && !m_pEdMove) CreateEdMove(m_pEdMove);
  if (UsesShotBlock(kind) && !m_pEdShot) CreateEdShot(m_pEdShot);
  if (kind == CMD_FLOW_OP && !m_pCondList) CreateCondList(m_pCondList);
}

namespace {

// Commands whose parameter 0 names a database entry, the size of its list and what an index outside
// it becomes.
struct cDbParamRef {
  int m_nKind;
  size_t (*m_pCount)(const cDatabase& db);
  int m_nRepair;
};

constexpr cDbParamRef kDbParamRefs[] = {
    {CMD_BASE_ANIMSET, [](const cDatabase& db) { return db.m_vAnimeSet.size(); }, 0},
    {CMD_ANIM, [](const cDatabase& db) { return db.m_vAnime.size(); }, 1},
    {CMD_EFFECT, [](const cDatabase& db) { return db.m_vEffect.size(); }, 1},
    {CMD_CHARA_EFFECT, [](const cDatabase& db) { return db.m_vCharaEffect.size(); }, 1},
    {CMD_SCREEN_EFFECT, [](const cDatabase& db) { return db.m_vScrEffect.size(); }, 1},
    {CMD_PICTURE, [](const cDatabase& db) { return db.m_vPicture.size(); }, 1},
    {CMD_SE, [](const cDatabase& db) { return db.m_vSound.size(); }, 1},
    {CMD_BGM, [](const cDatabase& db) { return db.m_vBgm.size(); }, 1},
};

}  // namespace

void cFlowCmd::RepairDatabaseRefs() {
  const cDatabase& db = g_Database;
  const int kind = ObjectKind();
  if (kind == CMD_SWORD) {
    cEdShot& shot = *m_pEdShot;
    RepairIndex(shot.m_nMoveKind, db.m_vSwordType.size(), 0);
    if (InList(shot.m_nMoveKind, db.m_vSwordType.size()))
      m_sTime = SwordTime(db.m_vSwordType[static_cast<size_t>(shot.m_nMoveKind)]);
  } else if (kind == CMD_GRAPHIC) {
    // Graphic source 4 is a dedicated character bitmap.
    if (m_vParam[0] == 4) RepairIndex(m_vParam[1], db.m_vBmpCharaExc.size(), 1);
  } else {
    for (const cDbParamRef& ref : kDbParamRefs)
      if (kind == ref.m_nKind) RepairIndex(m_vParam[0], ref.m_pCount(db), ref.m_nRepair);
  }
}

void cFlowCmd::Normalize() {
  RepairUnknownKind();
  GiveMissingBlocks();
  RepairIndex(m_sAnime, g_Database.m_vAnime.size(), 0);
  RepairIndex(m_sSound, g_Database.m_vSound.size(), 0);
  m_vParam.resize(static_cast<size_t>(ParamCount()), 0);
  RepairDatabaseRefs();
  for (auto& flow : m_vFlow) flow.Normalize();
}

void cFlowCmd::NormalizeRefs(const cPaletteSizes& common, const cPaletteSizes& stage) {
  // The palette a selector names; null for selectors that name neither.
  const auto palette = [&](int selector, int commonValue, int stageValue) -> const cPaletteSizes* {
    if (selector == commonValue) return &common;
    if (selector == stageValue) return &stage;
    return nullptr;
  };
  const int kind = ObjectKind();
  cEdShot* shot = m_pEdShot.get();
  switch (kind) {
    case CMD_SHOT:
    case CMD_SWORD:
      if (shot) {
        const cPaletteSizes* p = palette(shot->m_nItemPalette, 1, 2);
        if (p && !InList(shot->m_sItem, p->m_nItem)) {
          shot->m_nItemPalette = 0;
          shot->m_sItem = 0;
        }
      }
      break;
    case CMD_SUMMON_BLOCK:
    case CMD_SUMMON_CHARA:
    case CMD_SUMMON_ITEM:
      if (shot) {
        if (const cPaletteSizes* p = palette(shot->m_nSummonPalette, 0, 1)) {
          const size_t count = kind == CMD_SUMMON_BLOCK ? p->m_nBlock
                               : kind == CMD_SUMMON_CHARA ? p->m_nChara
                                                          : p->m_nItem;
          if (!InList(shot->m_sSummon, count)) shot->m_sSummon = 1;
        }
      }
      break;
    case CMD_ITEM_GET:
      if (m_vParam.size() >= 2) {
        if (const cPaletteSizes* p = palette(m_vParam[0], 0, 1); p && !InList(m_vParam[1], p->m_nItem))
          m_vParam[1] = 1;
      }
      break;
    default:
      break;
  }
  for (auto& flow : m_vFlow) flow.NormalizeRefs(common, stage);
}
