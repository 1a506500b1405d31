#include "stagedata/cmdvocab.h"

#include "stagedata/labellist.h"
#include "stagedata/objvocab.h"

const char* const g_FlowTriggerLabels[28] = {
    "常時",
    "ダメージを受けた時（設定値「威力」が0以外）",
    "ダメージを受けた時（受けたダメージが1以上）",
    "衝撃を受けた時（設定値「衝撃」が0以外）",
    "衝撃を受けた時（受けた衝撃が1以上か-1以下）",
    "死亡した時",
    "キャラに当たった時",
    "ブロックキャラに当たった時",
    "ブロックキャラに乗っている時",
    "ショットに当たった時",
    "アイテムに当たった時",
    "ブロックに当たった時",
    "自分の左右にブロックが当たった時",
    "自分の左にブロックが当たった時",
    "自分の右にブロックが当たった時",
    "自分の上下にブロックが当たった時",
    "自分の上にブロックが当たった時",
    "自分の下にブロックが当たった時",
    "主人公に乗られている時",
    "キャラに乗られている時",
    "アタックでダメージを与えた時（設定値「威力」が0以外）",
    "アタックでダメージを与えた時（与えたダメージが1以上）",
    "アタックで衝撃を与えた時（設定値「衝撃」が0以外）",
    "アタックで衝撃を与えた時（与えた衝撃が1以上か-1以下）",
    "アタックを当てた時",
    "ステージ開始前",
    "なし（フローの操作コマンドで実行）",
    "",
};

// clang-format off
const char* const g_FlowLetterLabels[28] = {
    "-", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
    "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z", ""};
const char* const g_FlowLetterAllLabels[28] = {
    "全て", "A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M",
    "N", "O", "P", "Q", "R", "S", "T", "U", "V", "W", "X", "Y", "Z", ""};
const char* const g_FlowLetterSmallLabels[28] = {
    "-", "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m",
    "n", "o", "p", "q", "r", "s", "t", "u", "v", "w", "x", "y", "z", ""};
// clang-format on

const char* const g_FlowOpLabels[7] = {"開始", "終了", "一時停止", "再開", "削除", "永久停止", ""};
const char* const g_FlowOpTargetLabels[4] = {"このフロー", "このフロー以外全て", "指定IDのフロー", ""};
const char* const g_FlowOwnerLabels[6] = {"自分", "ターゲット1", "ターゲット2", "ターゲット3", "ターゲット4", ""};

const char* const g_StatusOwnerLabels[7] = {"自分",        "ターゲット1", "ターゲット2", "ターゲット3",
                                            "ターゲット4", "システム",    ""};
const char* const g_DistanceSubjectLabels[6] = {"主人公",      "ターゲット1", "ターゲット2",
                                                "ターゲット3", "ターゲット4", ""};
const char* const g_SubjectOrSystemLabels[7] = {"主人公",      "ターゲット1", "ターゲット2", "ターゲット3",
                                                "ターゲット4", "システム",    ""};

const char* const g_CondLeftLabels[3] = {"ステータス", "変数", ""};
const char* const g_CondRightLabels[5] = {"定数", "乱数", "ステータス", "変数", ""};
const char* const g_VarScopeLabels[3] = {"コモン変数", "ステージ変数", ""};
const char* const g_VarScopeCharaLabels[4] = {"コモン変数", "ステージ変数", "キャラ変数", ""};
const char* const g_CalcModeLabels[4] = {"通常の計算", "最大値に対する％で指定", "現在値に対する％で指定", ""};
const char* const g_CoordLabels[4] = {"相対座標", "絶対座標", "画面座標", ""};
const char* const g_StateCondLabels[6] = {"左向き",       "右向き", "ブロックに乗っている(ブロックキャラも含む)",
                                          "画面内にいる", "存在している", ""};

// clang-format off
const cCharaVarDesc g_CharaVarDesc[kCharaVarCount] = {
    {"キャラ変数",             -999999, 999999, -999999, 999999, {0, 0, 1}},
    {"HP",                     0,       999999, -999999, 999999, {0, 1, 1}},
    {"SP",                     0,       999999, -999999, 999999, {0, 1, 1}},
    {"最大HP",                 0,       999999, -999999, 999999, {0, 0, 1}},
    {"最大SP",                 0,       999999, -999999, 999999, {0, 0, 1}},
    {"キャラID",               0,       99,     -99,     99,     {0, 0, 0}},
    {"X座標",                  -16384,  16384,  -16384,  16384,  {0, 0, 0}},
    {"Y座標",                  -16384,  16384,  -16384,  16384,  {0, 0, 0}},
    {"Z座標",                  0,       8,      -8,      8,      {0, 0, 0}},
    {"マーク番号",             0,       119,    -121,    119,    {0, 0, 0}},
    {"視界範囲(hbl)",          0,       40,     -40,     40,     {0, 0, 1}},
    {"体当たりの威力",         -999999, 999999, -999999, 999999, {0, 0, 1}},
    {"体当たりの衝撃",         -20,     20,     -20,     20,     {0, 0, 1}},
    {"防御力",                 0,       999999, -999999, 999999, {0, 0, 1}},
    {"衝撃耐性",               0,       20,     -20,     20,     {0, 0, 1}},
    {"止まりやすさ",           0,       200,    -200,    200,    {0, 0, 1}},
    {"倒したら獲得するスコア", -999999, 999999, -999999, 999999, {0, 0, 1}},
};

const cCharaVarDesc g_SystemVarDesc[kSystemVarCount] = {
    {"時間",             0,    999,    -999,    999,    {0, 0, 1}},
    {"横スクロール速度", -480, 480,    -480,    480,    {0, 0, 1}},
    {"縦スクロール速度", -480, 480,    -480,    480,    {0, 0, 1}},
    {"スコア",           0,    999999, -999999, 999999, {0, 0, 1}},
    {"残り人数",         0,    99,     -99,     99,     {0, 0, 1}},
};
// clang-format on

namespace {

const char* const kOnOnly[2] = {"ON", ""};

}  // namespace

const std::vector<cStatusFlagDesc> g_StatusFlagDesc = {
    {"消滅", 0, 0, CopyLabelList(kOnOnly), 0},
    {"透明", 0, 1, CopyLabelList(g_OffOnLabels), 0},
    {"向き固定", 0, 1, CopyLabelList(g_OffOnLabels), 0},
    {"飛行", 0, 3, CopyLabelList(g_MoveModeLabels), 0},
    {"無敵", 0, 2, CopyLabelList(g_InvincibleLabels), 0},
    {"巨大化", 1, 10, CopyLabelList(g_ScaleLabels), 1},
    {"オートスクロールとシンクロ", 0, 1, CopyLabelList(g_OffOnLabels), 0},
};

const std::vector<cStatusFlagDesc> g_StatusFlagDescSpare(2);

const char* const g_KeyCondModeLabels[4] = {"全てのキーが真なら成立", "1つ以上のキーが真なら成立",
                                            "1つだけキーが真なら成立", ""};
const char* const g_KeyStateLabels[4] = {"--", "押", "離", ""};

const char* const g_StageClearNextLabels[5] = {"次のステージへ", "番号で指定", "パスで指定", "ワールドクリア", ""};
const char* const g_StageClearFacingLabels[4] = {"左向き", "右向き", "ステージクリア時の向きと同じ", ""};

const char* const g_MessagePosLabels[12] = {
    "画面中央に表示",
    "自分の上に表示",
    "自分の下に表示",
    "自分の中心に表示",
    "主人公の上に表示",
    "主人公の下に表示",
    "主人公の中心に表示",
    "画面座標で指定（左上を指定）",
    "画面座標で指定（中心を指定）",
    "ステージ座標で指定（左上を指定）",
    "ステージ座標で指定（中心を指定）",
    "",
};
const char* const g_ShowTimeLabels[4] = {"進行キーが押されるまで表示", "ステージ終了まで表示", "時間で指定", ""};
const char* const g_PicturePosLabels[8] = {
    "画面中央に表示",
    "キャラの中心に表示",
    "主人公の中心に表示",
    "画面座標で指定（左上を指定）",
    "画面座標で指定（中心を指定）",
    "ステージ座標で指定（左上を指定）",
    "ステージ座標で指定（中心を指定）",
    "",
};
const char* const g_AnimPlayLabels[4] = {"通常実行", "反転実行", "往復実行", ""};
const char* const g_ShowLabels[4] = {"表示", "非表示", "反転(表示⇔非表示)", ""};

const char* const g_TargetWhomLabels[12] = {
    "主人公",
    "自分",
    "最も近いキャラ",
    "キャラ（キャラIDで指定）",
    "親キャラ（自分を召喚したキャラ）",
    "子キャラ（最後に召喚したキャラ）",
    "子キャラ（条件付き。後で召喚したキャラ優先)",
    "ターゲット1",
    "ターゲット2",
    "ターゲット3",
    "ターゲット4",
    "",
};
const char* const g_TargetAreaLabels[4] = {"全範囲（画面内のキャラ優先）", "全範囲", "画面内", ""};
const char* const g_TargetNoneLabels[3] = {"ターゲット無し", "ターゲットを変更しない", ""};
const char* const g_TargetWhatLabels[7] = {
    "キャラ",
    "ショット",
    "子以下のキャラ",
    "子のショット",
    "子以下のキャラと子以下のショット",
    "子以下のキャラと孫以下のショット",
    "",
};
const char* const g_TargetRangeLabels[3] = {"画面内", "全範囲", ""};

const char* const g_PaletteLabels[3] = {"コモンパレット", "ステージパレット", ""};
const char* const g_CommonPaletteLabels[2] = {"コモンパレット", ""};

const char* const g_StraightPosModeLabels[3] = {"方向で指定", "目標座標で指定", ""};
const char* const g_WarpPosModeLabels[7] = {
    "方向と距離で指定",
    "ターゲット1からの方向と距離で指定",
    "ターゲット2からの方向と距離で指定",
    "ターゲット3からの方向と距離で指定",
    "ターゲット4からの方向と距離で指定",
    "目標座標で指定",
    "",
};
const char* const g_DirLabels[14] = {"前",   "後",   "左",   "右",   "前Y",  "後Y",      "上",
                                     "下",   "左上", "左下", "右上", "右下", "入力方向", ""};
const char* const g_TargetCoordModeLabels[5] = {"配置位置からの相対座標", "相対座標", "絶対座標", "画面座標", ""};
const char* const g_OffsetUnitLabels[3] = {"(bl)で指定", "(dot)で指定", ""};
const char* const g_DistUnitLabels[3] = {"(hbl)で指定", "(dot)で指定", ""};
const char* const g_RefPointLabels[4] = {"キャラの中心", "キャラの中央下", "歩行なら中央下、飛行なら中心", ""};
const char* const g_TargetSlotLabels[5] = {"ターゲット1", "ターゲット2", "ターゲット3", "ターゲット4", ""};
const char* const g_CircleDirLabels[5] = {"右回り", "左回り", "左向きなら右回り、右向きなら左回り",
                                          "左向きなら左回り、右向きなら右回り", ""};
const char* const g_MoveAnimLabels[4] = {"移動アニメ", "静止アニメ", "その他", ""};
const char* const g_SpeedModeLabels[4] = {"時間と速度を指定", "時間と距離を指定", "速度と距離を指定", ""};
const char* const g_TimeOrSpeedLabels[3] = {"時間を指定", "速度を指定", ""};
const char* const g_JumpHeightLabels[4] = {"高さがキーで調節できない", "高さがキーで調節できる(主人公のみ有効)",
                                           "慣性移動速度に応じて高さを決定(主人公のみ有効)", ""};

const char* const g_TurnLabels[13] = {
    "左を向く",
    "右を向く",
    "ターゲット1がいる方を向く",
    "ターゲット1がいる方の逆を向く",
    "ターゲット2がいる方を向く",
    "ターゲット2がいる方の逆を向く",
    "ターゲット3がいる方を向く",
    "ターゲット3がいる方の逆を向く",
    "ターゲット4がいる方を向く",
    "ターゲット4がいる方の逆を向く",
    "最後にブロックが当たった方を向く",
    "最後にブロックが当たった方の逆を向く",
    "",
};

const char* const g_FormationLabels[7] = {"直進A", "直進B", "拡散", "落雷", "爆発", "包囲", ""};
const char* const g_ShotOriginLabels[4] = {"ターゲット", "主人公", "自分", ""};
const char* const g_ShotMoveKindLabels[11] = {
    "直進",
    "主人公を狙う",
    "近いキャラを狙う",
    "ターゲットを狙う",
    "主人公へ誘導",
    "近いキャラへ誘導（対象死亡時、誘導を無効化）",
    "ターゲットへ誘導",
    "近いキャラへ誘導（対象死亡時、対象を変更）",
    "ウェーブ",
    "落下",
    "",
};
const char* const g_BlockSummonLabels[4] = {"ブロックを召喚", "ブロックを消す",
                                            "ブロックがなければ召喚、ブロックがあれば消す", ""};
const char* const g_SummonFactionLabels[4] = {"パレットの設定に準ずる", "使用者と同じ", "番号で指定", ""};
