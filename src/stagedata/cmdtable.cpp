#include "stagedata/cmdtable.h"

#include <span>
#include <type_traits>
#include <utility>

#include "stagedata/edmove.h"
#include "stagedata/edshot.h"

namespace {

constexpr std::array<cLabelItem, kCmdKindCount> kCmdKinds = {{
    {"", 0},                        // 0 CMD_NONE
    {"ウエイト", 0},                // 1 CMD_WAIT
    {"直線移動", 0},                // 2 CMD_MOVE_STRAIGHT
    {"地上折り返し移動", 0},        // 3 CMD_MOVE_GROUND_TURN
    {"円移動", 0},                  // 4 CMD_MOVE_CIRCLE
    {"突撃移動", 0},                // 5 CMD_MOVE_CHARGE
    {"誘導移動", 0},                // 6 CMD_MOVE_HOMING
    {"画面外回避移動", 0},          // 7 CMD_MOVE_AVOID_OFFSCREEN
    {"移動の無効化", 0},            // 8 CMD_MOVE_CANCEL
    {"向き変更", 1},                // 9 CMD_TURN
    {"ジャンプ", 5},                // 10 CMD_JUMP
    {"ショット", 0},                // 11 CMD_SHOT
    {"ソード", 0},                  // 12 CMD_SWORD
    {"ブロック召喚", 0},            // 13 CMD_SUMMON_BLOCK
    {"キャラ召喚", 0},              // 14 CMD_SUMMON_CHARA
    {"アイテム召喚", 0},            // 15 CMD_SUMMON_ITEM
    {"フローの操作", 4},            // 16 CMD_FLOW_OP
    {"ステージクリア", 9},          // 17 CMD_STAGE_CLEAR
    {"ゲームウエイト", 1},          // 18 CMD_GAME_WAIT
    {"メッセージ", 19},             // 19 CMD_MESSAGE
    {"ワープ", 0},                  // 20 CMD_WARP
    {"ターゲットの設定", 16},       // 21 CMD_SET_TARGET
    {"ステータスの操作", 22},       // 22 CMD_STATUS
    {"ステータスの操作2", 5},       // 23 CMD_STATUS2
    {"消滅", 3},                    // 24 CMD_VANISH
    {"アイテムの取得", 2},          // 25 CMD_ITEM_GET
    {"グラフィックの変更", 3},      // 26 CMD_GRAPHIC
    {"基本アニメセットの変更", 1},  // 27 CMD_BASE_ANIMSET
    {"アニメの実行", 2},            // 28 CMD_ANIM
    {"エフェクトの実行", 9},        // 29 CMD_EFFECT
    {"キャラエフェクトの実行", 3},  // 30 CMD_CHARA_EFFECT
    {"画面エフェクトの実行", 3},    // 31 CMD_SCREEN_EFFECT
    {"ピクチャーの表示", 16},       // 32 CMD_PICTURE
    {"画面の色を変更", 8},          // 33 CMD_SCREEN_COLOR
    {"背景の変更", 2},              // 34 CMD_BACKGROUND
    {"効果音の再生", 1},            // 35 CMD_SE
    {"BGMの再生", 2},               // 36 CMD_BGM
    {"コードの実行", 0},            // 37 CMD_CODE
    {"アレンジ", 5},                // 38 CMD_ARRANGE
    {"ループ", 2},                  // 39 CMD_LOOP
}};

}  // namespace

constinit const std::array<cLabelItem, kCmdKindCount> g_CmdKindTable = kCmdKinds;

constinit const std::array<cLabelItem, kItemCmdKindCount> g_ItemCmdKindTable = [] {
  std::array<cLabelItem, kItemCmdKindCount> t{};
  t[0] = {"", 0};
  t[ICMD_CHANGE_FLOW] = {"フローの変更", 2};
  for (int k = 2; k < kItemCmdKindCount; ++k) t[k] = kCmdKinds[k + kItemCmdKindOffset];
  return t;
}();

cCheckedVector<cCheckedVector<cCmdParamDesc>> g_CmdParamTable;

namespace {

// Where an arrangeable value lives in a command: null when the command lacks it.
struct cArrangeCell {
  void* m_pData = nullptr;
  int m_nWidth = 0;
};

using ArrangeLocateFn = cArrangeCell (*)(const cCmdArrangeRef& cmd);

struct cArrangeRow {
  const char* m_pLabel;
  int32_t m_nMin;
  int32_t m_nMax;
  ArrangeLocateFn m_pLocate;
};

template <class M>
struct MemberOf;
template <class C, class T>
struct MemberOf<T C::*> {
  using Class = C;
};

// A member of the movement or shot block (element `Elem` of an array member).
template <auto Member, int Elem = -1>
cArrangeCell Cell(const cCmdArrangeRef& cmd) {
  using Block = typename MemberOf<decltype(Member)>::Class;
  Block* block;
  if constexpr (std::is_same_v<Block, cEdMove>)
    block = cmd.m_pEdMove;
  else
    block = cmd.m_pEdShot;
  if (!block) return {};
  auto& member = block->*Member;
  if constexpr (Elem >= 0)
    return {&member[Elem], static_cast<int>(sizeof member[Elem])};
  else
    return {&member, static_cast<int>(sizeof member)};
}

cArrangeCell SoundCell(const cCmdArrangeRef& cmd) {
  if (!cmd.m_pSound) return {};
  return {cmd.m_pSound, 2};
}

template <size_t P>
cArrangeCell ParamCell(const cCmdArrangeRef& cmd) {
  if (!cmd.m_pParam || P >= cmd.m_pParam->size()) return {};
  return {&(*cmd.m_pParam)[P], 4};
}

constexpr cArrangeRow kMoveStraightRows[] = {
    {"目標X", -16383, 16383, Cell<&cEdMove::m_sTargetX>},
    {"目標X(dot)", -640, 640, Cell<&cEdMove::m_sTargetDotX>},
    {"目標Y", -16383, 16383, Cell<&cEdMove::m_sTargetY>},
    {"目標Y(dot)", -640, 640, Cell<&cEdMove::m_sTargetDotY>},
    {"角度", -7200, 7200, Cell<&cEdMove::m_sAngle>},
    {"分身値による増加角度", -7200, 7200, Cell<&cEdMove::m_sAngleStep>},
};

constexpr cArrangeRow kMoveChargeRows[] = {
    {"目標のズレX(bl)", -640, 640, Cell<&cEdMove::m_sTargetX>},
    {"目標Xのズレ(dot)", -640, 640, Cell<&cEdMove::m_sTargetDotX>},
    {"目標Yのズレ(bl)", -640, 640, Cell<&cEdMove::m_sTargetY>},
    {"目標Yのズレ(dot)", -640, 640, Cell<&cEdMove::m_sTargetDotY>},
    {"角度", -7200, 7200, Cell<&cEdMove::m_sAngle>},
    {"分身値による増加角度", -7200, 7200, Cell<&cEdMove::m_sAngleStep>},
};

constexpr cArrangeRow kMoveHomingRows[] = {
    {"誘導性能の悪さ", 0, 10, Cell<&cEdMove::m_sHomingLag>},
    {"分身値による増加誘導性能の悪さ", 0, 10, Cell<&cEdMove::m_sHomingLagStep>},
    {"目標Xのズレ(bl)", -640, 640, Cell<&cEdMove::m_sTargetX>},
    {"目標Xのズレ(dot)", -640, 640, Cell<&cEdMove::m_sTargetDotX>},
    {"目標Yのズレ(bl)", -640, 640, Cell<&cEdMove::m_sTargetY>},
    {"目標Yのズレ(dot)", -640, 640, Cell<&cEdMove::m_sTargetDotY>},
};

constexpr cArrangeRow kTurnRows[] = {
    {"効果音", 1, 9999, SoundCell},
};

constexpr cArrangeRow kJumpRows[] = {
    {"効果音", 1, 9999, SoundCell},
};

constexpr cArrangeRow kShotRows[] = {
    {"グラフィック", 1, 120, Cell<&cEdShot::m_sGraphic>},
    {"Z座標", 0, 7, Cell<&cEdShot::m_nZ>},
    {"フォーメーション固有1", 0, 2147483647, Cell<&cEdShot::m_sFormParam, 0>},
    {"フォーメーション固有2", 0, 2147483647, Cell<&cEdShot::m_sFormParam, 1>},
    {"フォーメーション固有3", 0, 2147483647, Cell<&cEdShot::m_sFormParam, 2>},
    {"発射数", 1, 127, Cell<&cEdShot::m_nCount>},
    {"発射数に対する分身数", 0, 20, Cell<&cEdShot::m_nCopies>},
    {"角度のズレ", -7200, 7200, Cell<&cEdShot::m_sAngleOfs>},
    {"分身値による角度のズレ", -7200, 7200, Cell<&cEdShot::m_sAngleOfsStep>},
    {"分散角度", 0, 180, Cell<&cEdShot::m_sSpread>},
    {"発射位置のズレX(dot)", -640, 640, Cell<&cEdShot::m_sPosX>},
    {"分身値による発射位置のズレX(dot)", -640, 640, Cell<&cEdShot::m_sPosXStep>},
    {"発射位置のズレY(dot)", -640, 640, Cell<&cEdShot::m_sPosY>},
    {"分身値による発射位置のズレY(dot)", -640, 640, Cell<&cEdShot::m_sPosYStep>},
    {"効果音", 1, 9999, SoundCell},
    {"勢力", 0, 7, Cell<&cEdShot::m_nFaction>},
    {"移動タイプ固有1", 0, 2147483647, Cell<&cEdShot::m_sMoveParam, 0>},
    {"移動タイプ固有2", 0, 2147483647, Cell<&cEdShot::m_sMoveParam, 1>},
    {"移動タイプ固有3", 0, 2147483647, Cell<&cEdShot::m_sMoveParam, 2>},
    {"速度", -200, 200, Cell<&cEdShot::m_sSpeed>},
    {"分身値による増加速度", -200, 200, Cell<&cEdShot::m_sSpeedStep>},
    {"加速度", -200, 200, Cell<&cEdShot::m_sAccel>},
    {"分身値による増加加速度", -200, 200, Cell<&cEdShot::m_sAccelStep>},
    {"飛距離(hbl)", 0, 64, Cell<&cEdShot::m_sRange>},
    {"分身値による増加飛距離", -40, 40, Cell<&cEdShot::m_sRangeStep>},
    {"存在時間(1/10s)", 1, 999, Cell<&cEdShot::m_sLife>},
    {"分身値よる増加存在時間", -99, 99, Cell<&cEdShot::m_sLifeStep>},
    {"消滅値", 1, 9, Cell<&cEdShot::m_nVanish>},
    {"威力", -999999, 999999, Cell<&cEdShot::m_nPower>},
    {"衝撃", -20, 20, Cell<&cEdShot::m_nImpact>},
    {"エフェクト", 1, 999, Cell<&cEdShot::m_sEffect>},
    {"取得アイテム", 1, 9999, Cell<&cEdShot::m_sItem>},
};

constexpr cArrangeRow kSwordRows[] = {
    {"勢力", 0, 7, Cell<&cEdShot::m_nFaction>},
    {"Z座標", 0, 7, Cell<&cEdShot::m_nZ>},
    {"威力", -999999, 999999, Cell<&cEdShot::m_nPower>},
    {"衝撃", -20, 20, Cell<&cEdShot::m_nImpact>},
    {"エフェクト", 1, 999, Cell<&cEdShot::m_sEffect>},
    {"取得アイテム", 1, 9999, Cell<&cEdShot::m_sItem>},
    {"効果音", 1, 9999, SoundCell},
};

constexpr cArrangeRow kSummonBlockRows[] = {
    {"ブロック", 1, 9999, Cell<&cEdShot::m_sSummon>},
    {"フォーメーション固有1", 0, 2147483647, Cell<&cEdShot::m_sFormParam, 0>},
    {"フォーメーション固有2", 0, 2147483647, Cell<&cEdShot::m_sFormParam, 1>},
    {"フォーメーション固有3", 0, 2147483647, Cell<&cEdShot::m_sFormParam, 2>},
    {"数", 1, 127, Cell<&cEdShot::m_nCount>},
    {"召喚位置のズレX(dot)", -640, 640, Cell<&cEdShot::m_sPosX>},
    {"召喚位置のズレY(dot)", -640, 640, Cell<&cEdShot::m_sPosY>},
    {"効果音", 1, 9999, SoundCell},
};

constexpr cArrangeRow kSummonCharaRows[] = {
    {"キャラ", 1, 9999, Cell<&cEdShot::m_sSummon>},
    {"存在時間(1/10s)", 1, 9999, Cell<&cEdShot::m_sRange>},
    {"勢力", 0, 7, Cell<&cEdShot::m_nFaction>},
    {"フォーメーション固有1", 0, 2147483647, Cell<&cEdShot::m_sFormParam, 0>},
    {"フォーメーション固有2", 0, 2147483647, Cell<&cEdShot::m_sFormParam, 1>},
    {"フォーメーション固有3", 0, 2147483647, Cell<&cEdShot::m_sFormParam, 2>},
    {"数", 1, 127, Cell<&cEdShot::m_nCount>},
    {"召喚位置のズレX(dot)", -640, 640, Cell<&cEdShot::m_sPosX>},
    {"召喚位置のズレY(dot)", -640, 640, Cell<&cEdShot::m_sPosY>},
    {"効果音", 1, 9999, SoundCell},
};

constexpr cArrangeRow kSummonItemRows[] = {
    {"アイテム", 1, 9999, Cell<&cEdShot::m_sSummon>},
    {"存在時間(1/10s)", 1, 9999, Cell<&cEdShot::m_sRange>},
    {"フォーメーション固有1", 0, 2147483647, Cell<&cEdShot::m_sFormParam, 0>},
    {"フォーメーション固有2", 0, 2147483647, Cell<&cEdShot::m_sFormParam, 1>},
    {"フォーメーション固有3", 0, 2147483647, Cell<&cEdShot::m_sFormParam, 2>},
    {"数", 1, 127, Cell<&cEdShot::m_nCount>},
    {"召喚位置のズレX(dot)", -640, 640, Cell<&cEdShot::m_sPosX>},
    {"召喚位置のズレY(dot)", -640, 640, Cell<&cEdShot::m_sPosY>},
    {"効果音", 1, 9999, SoundCell},
};

constexpr cArrangeRow kStageClearRows[] = {
    {"次のステージの番号", 1, 99, ParamCell<1>},
    {"次のステージの初期位置X(bl)", 0, 999, ParamCell<6>},
    {"次のステージの初期位置Y(bl)", 0, 999, ParamCell<7>},
    {"クリア後のワールドマップの位置X", 0, 999, ParamCell<3>},
    {"クリア後のワールドマップの位置Y", 0, 999, ParamCell<4>},
};

constexpr cArrangeRow kMessageRows[] = {
    {"メッセージID", 0, 999, ParamCell<13>},
    {"座標X", 0, 16383, ParamCell<1>},
    {"座標Y", 0, 16383, ParamCell<2>},
    {"表示位置のズレX(dot)", -999, 999, ParamCell<3>},
    {"表示位置のズレY(dot)", -999, 999, ParamCell<4>},
};

constexpr cArrangeRow kWarpRows[] = {
    {"距離(hbl)", 0, 64, Cell<&cEdMove::m_sDist>},
    {"分身値による増加距離(hbl)", -40, 40, Cell<&cEdMove::m_sDistStep>},
    {"目標X", -16383, 16383, Cell<&cEdMove::m_sTargetX>},
    {"目標Y", -16383, 16383, Cell<&cEdMove::m_sTargetY>},
    {"目標Xのズレ(dot)", -640, 640, Cell<&cEdMove::m_sTargetDotX>},
    {"目標Yのズレ(dot)", -640, 640, Cell<&cEdMove::m_sTargetDotY>},
};

constexpr cArrangeRow kSetTargetRows[] = {
    {"対象勢力", 0, 7, ParamCell<2>},
    {"対象キャラID", 0, 99, ParamCell<10>},
    {"キャラ変数と比較する数値", -999999, 999999, ParamCell<13>},
};

constexpr cArrangeRow kStatusRows[] = {
    {"変数（左辺）", 1, 999, ParamCell<2>},          {"定数", -999999, 999999, ParamCell<7>},
    {"乱数の最小値", -999999, 999999, ParamCell<8>}, {"乱数の最大値", -999999, 999999, ParamCell<9>},
    {"変数（右辺）", 1, 999, ParamCell<11>},
};

constexpr cArrangeRow kVanishRows[] = {
    {"対象勢力", 0, 7, ParamCell<1>},
};

constexpr cArrangeRow kItemGetRows[] = {
    {"アイテム", 1, 9999, ParamCell<1>},
};

constexpr cArrangeRow kGraphicRows[] = {
    {"グラフィック", 1, 999, ParamCell<1>},
    {"ズレ", -999, 999, ParamCell<2>},
};

constexpr cArrangeRow kEffectRows[] = {
    {"エフェクト", 1, 999, ParamCell<0>},
    {"座標X", 0, 16383, ParamCell<2>},
    {"座標Y", 0, 16383, ParamCell<3>},
    {"表示位置のズレX(dot)", -999, 999, ParamCell<4>},
    {"表示位置のズレY(dot)", -999, 999, ParamCell<5>},
    {"表示倍率(%)", 1, 1000, ParamCell<6>},
};

constexpr cArrangeRow kCharaEffectRows[] = {
    {"キャラエフェクト", 1, 999, ParamCell<0>},
};

constexpr cArrangeRow kScreenEffectRows[] = {
    {"画面エフェクト", 1, 999, ParamCell<0>},
};

constexpr cArrangeRow kPictureRows[] = {
    {"ピクチャー", 1, 9999, ParamCell<0>},
    {"ピクチャーID", 0, 999, ParamCell<13>},
    {"座標X", 0, 16383, ParamCell<2>},
    {"座標Y", 0, 16383, ParamCell<3>},
    {"表示位置のズレX(dot)", -999, 999, ParamCell<4>},
    {"表示位置のズレY(dot)", -999, 999, ParamCell<5>},
    {"表示倍率(%)", 1, 1000, ParamCell<7>},
};

constexpr cArrangeRow kScreenColorRows[] = {
    {"R", 0, 255, ParamCell<0>},
    {"G", 0, 255, ParamCell<1>},
    {"B", 0, 255, ParamCell<2>},
    {"%", 0, 100, ParamCell<3>},
};

constexpr cArrangeRow kBackgroundRows[] = {
    {"背景番号", 1, 8, ParamCell<0>},
};

constexpr cArrangeRow kSeRows[] = {
    {"効果音", 1, 9999, ParamCell<0>},
};

constexpr cArrangeRow kBgmRows[] = {
    {"BGM", 1, 999, ParamCell<0>},
};

constexpr std::array<std::span<const cArrangeRow>, kCmdKindCount> kArrangeRows = [] {
  std::array<std::span<const cArrangeRow>, kCmdKindCount> t{};
  t[CMD_MOVE_STRAIGHT] = kMoveStraightRows;
  t[CMD_MOVE_CHARGE] = kMoveChargeRows;
  t[CMD_MOVE_HOMING] = kMoveHomingRows;
  t[CMD_TURN] = kTurnRows;
  t[CMD_JUMP] = kJumpRows;
  t[CMD_SHOT] = kShotRows;
  t[CMD_SWORD] = kSwordRows;
  t[CMD_SUMMON_BLOCK] = kSummonBlockRows;
  t[CMD_SUMMON_CHARA] = kSummonCharaRows;
  t[CMD_SUMMON_ITEM] = kSummonItemRows;
  t[CMD_STAGE_CLEAR] = kStageClearRows;
  t[CMD_MESSAGE] = kMessageRows;
  t[CMD_WARP] = kWarpRows;
  t[CMD_SET_TARGET] = kSetTargetRows;
  t[CMD_STATUS] = kStatusRows;
  t[CMD_VANISH] = kVanishRows;
  t[CMD_ITEM_GET] = kItemGetRows;
  t[CMD_GRAPHIC] = kGraphicRows;
  t[CMD_EFFECT] = kEffectRows;
  t[CMD_CHARA_EFFECT] = kCharaEffectRows;
  t[CMD_SCREEN_EFFECT] = kScreenEffectRows;
  t[CMD_PICTURE] = kPictureRows;
  t[CMD_SCREEN_COLOR] = kScreenColorRows;
  t[CMD_BACKGROUND] = kBackgroundRows;
  t[CMD_SE] = kSeRows;
  t[CMD_BGM] = kBgmRows;
  return t;
}();

int LoadCell(const cArrangeCell& cell) {
  switch (cell.m_nWidth) {
    case 1:
      return *static_cast<const int8_t*>(cell.m_pData);
    case 2:
      return *static_cast<const int16_t*>(cell.m_pData);
    default:
      return *static_cast<const int32_t*>(cell.m_pData);
  }
}

void StoreCell(const cArrangeCell& cell, int value) {
  switch (cell.m_nWidth) {
    case 1:
      *static_cast<int8_t*>(cell.m_pData) = static_cast<int8_t>(value);
      break;
    case 2:
      *static_cast<int16_t*>(cell.m_pData) = static_cast<int16_t>(value);
      break;
    default:
      *static_cast<int32_t*>(cell.m_pData) = value;
      break;
  }
}

template <int Kind>
void ArrangeGet(int* out, unsigned index, const cCmdArrangeRef& cmd) {
  const auto rows = kArrangeRows[Kind];
  if (index >= rows.size()) return;
  const cArrangeCell cell = rows[index].m_pLocate(cmd);
  if (cell.m_pData) *out = LoadCell(cell);
}

template <int Kind>
void ArrangeSet(int value, unsigned index, const cCmdArrangeRef& cmd) {
  const auto rows = kArrangeRows[Kind];
  if (index >= rows.size()) return;
  const cArrangeCell cell = rows[index].m_pLocate(cmd);
  if (cell.m_pData) StoreCell(cell, value);
}

// The moves whose settings the arrange command cannot reach.
void ArrangeGetNothing(int*, unsigned, const cCmdArrangeRef&) {}
void ArrangeSetNothing(int, unsigned, const cCmdArrangeRef&) {}

// Kinds whose lists stand for the same values use the pair of the first kind named.
constexpr std::pair<int, int> kSharedAccess[] = {
    {CMD_JUMP, CMD_TURN},
    {CMD_ITEM_GET, CMD_VANISH},
    {CMD_SCREEN_EFFECT, CMD_CHARA_EFFECT},
    {CMD_BACKGROUND, CMD_CHARA_EFFECT},
    {CMD_SE, CMD_CHARA_EFFECT},
    {CMD_BGM, CMD_CHARA_EFFECT},
};
constexpr int kNoAccessMoves[] = {CMD_MOVE_GROUND_TURN, CMD_MOVE_CIRCLE, CMD_MOVE_AVOID_OFFSCREEN};

template <size_t... K>
constexpr std::array<ArrangeGetFn, kCmdKindCount> MakeGetTable(std::index_sequence<K...>) {
  std::array<ArrangeGetFn, kCmdKindCount> t{(kArrangeRows[K].empty() ? nullptr : &ArrangeGet<K>)...};
  for (auto [kind, served] : kSharedAccess) t[kind] = t[served];
  for (int kind : kNoAccessMoves) t[kind] = &ArrangeGetNothing;
  return t;
}

template <size_t... K>
constexpr std::array<ArrangeSetFn, kCmdKindCount> MakeSetTable(std::index_sequence<K...>) {
  std::array<ArrangeSetFn, kCmdKindCount> t{(kArrangeRows[K].empty() ? nullptr : &ArrangeSet<K>)...};
  for (auto [kind, served] : kSharedAccess) t[kind] = t[served];
  for (int kind : kNoAccessMoves) t[kind] = &ArrangeSetNothing;
  return t;
}

}  // namespace

constinit const std::array<ArrangeGetFn, kCmdKindCount> g_ArrangeGetTable =
    MakeGetTable(std::make_index_sequence<kCmdKindCount>());
constinit const std::array<ArrangeSetFn, kCmdKindCount> g_ArrangeSetTable =
    MakeSetTable(std::make_index_sequence<kCmdKindCount>());

void BuildCmdParamTable() {
  g_CmdParamTable.resize(kCmdKindCount);
  for (int kind = 0; kind < kCmdKindCount; ++kind) {
    const auto rows = kArrangeRows[kind];
    auto& list = g_CmdParamTable.At(kind);
    list.resize(rows.size());
    for (size_t i = 0; i < rows.size(); ++i)
      list.At(static_cast<int>(i)) = cCmdParamDesc{rows[i].m_pLabel, rows[i].m_nMin, rows[i].m_nMax};
  }
}

// clang-format off
// One line per formation, three parameters each; "" is a parameter the formation does not have.
constinit const std::array<cParamDesc, kFormationCount * 3> g_FormationParamTable = {{
    {"間隔(hbl)", 0, 40, 0}, {"", 0, 0, 0},         {"", 0, 0, 0},               // 直進A
    {"間隔(hbl)", 0, 40, 0}, {"", 0, 0, 0},         {"", 0, 0, 0},               // 直進B
    {"角度", 0, 180, 30},    {"", 0, 0, 0},         {"", 0, 0, 0},               // 拡散
    {"間隔(hbl)", 0, 40, 0}, {"列の数", 1, 50, 1}, {"列の間隔(hbl)", 0, 40, 0},  // 落雷
    {"", 0, 0, 0},           {"", 0, 0, 0},         {"", 0, 0, 0},               // 爆発
    {"距離(hbl)", 0, 40, 6}, {"", 0, 0, 0},         {"", 0, 0, 0},               // 包囲
}};

// One line per shot movement kind, three parameters each.
constinit const std::array<cParamDesc, kShotMoveKindCount * 3> g_ShotMoveParamTable = {{
    {"", 0, 0, 0},               {"", 0, 0, 0},                 {"", 0, 0, 0},              // 直進
    {"軌道変更(hbl)", 0, 40, 0}, {"", 0, 0, 0},                 {"", 0, 0, 0},              // 主人公を狙う
    {"軌道変更(hbl)", 0, 40, 0}, {"対象勢力", 0, 7, 0},         {"", 0, 0, 0},              // 近いキャラを狙う
    {"軌道変更(hbl)", 0, 40, 0}, {"", 0, 0, 0},                 {"", 0, 0, 0},              // ターゲットを狙う
    {"誘導開始(hbl)", 0, 40, 0}, {"誘導終了(hbl)", 0, 999, 999}, {"", 0, 0, 0},              // 主人公へ誘導
    {"誘導開始(hbl)", 0, 40, 0}, {"誘導終了(hbl)", 0, 999, 999}, {"対象勢力", 0, 7, 0},      // 近いキャラへ誘導 (5)
    {"誘導開始(hbl)", 0, 40, 0}, {"誘導終了(hbl)", 0, 999, 999}, {"", 0, 0, 0},              // ターゲットへ誘導
    {"誘導開始(hbl)", 0, 40, 0}, {"誘導終了(hbl)", 0, 999, 999}, {"対象勢力", 0, 7, 0},      // 近いキャラへ誘導 (7)
    {"波の最大(hbl)", 0, 100, 4}, {"波の速度", 0, 100, 4},       {"開始角度", 0, 359, 0},    // ウェーブ
    {"軌道変更(hbl)", 0, 40, 0}, {"", 0, 0, 0},                 {"", 0, 0, 0},              // 落下
}};
// clang-format on

namespace {

template <size_t N>
const cParamDesc* FindParamDesc(const std::array<cParamDesc, N>& table, int row, int j) {
  if (row < 0 || j < 0 || j >= 3 || static_cast<size_t>(row) >= N / 3) return nullptr;
  return &table[static_cast<size_t>(row) * 3 + static_cast<size_t>(j)];
}

}  // namespace

const cParamDesc* GetFormationParamDesc(int formation, int j) {
  return FindParamDesc(g_FormationParamTable, formation, j);
}

const cParamDesc* GetShotMoveParamDesc(int moveKind, int j) { return FindParamDesc(g_ShotMoveParamTable, moveKind, j); }
