#include "stagedata/objvocab.h"

const char* const g_PalKindLabels[4] = {"継承しない", "コモンパレット", "ステージパレット", ""};
const char* const g_GraphicKindLabels[6] = {"ブロック", "キャラ", "アイテム", "ショット", "専用bmp", ""};
const char* const g_OverlayLabels[4] = {"表示しない", "表示する", "エディターでのみ表示", ""};
const char* const g_BlockHitLabels[4] = {"当たらない", "当たる", "主人公が当たると即死", ""};
const char* const g_HitExemptLabels[10] = {"なし", "0", "1", "2", "3", "4", "5", "6", "7", ""};
const char* const g_BlockEffectLabels[7] = {
    "なし",           "ジャンプ X=高さ(hbl)", "ジャンプ禁止", "移動速度変更 X=％", "左移動 X=移動速度",
    "右移動 X=移動速度", ""};
const char* const g_BlockItemKindLabels[4] = {"なし", "コモンパレット", "ステージパレット", ""};
const char* const g_InheritCommonLabels[3] = {"継承しない", "コモンパレット", ""};
const char* const g_InheritStageLabels[3] = {"継承しない", "ステージパレット", ""};
const char* const g_InheritOnlyLabels[2] = {"継承しない", ""};
const char* const g_NoneCommonLabels[3] = {"なし", "コモンパレット", ""};
const char* const g_StageCommonLabels[3] = {"ステージパレット", "コモンパレット", ""};
const char* const g_OffOnLabels[3] = {"OFF", "ON", ""};

const char* const g_OperationLabels[3] = {"プレイヤー", "コンピューター", ""};
const char* const g_PlayerLabels[2] = {"1", ""};
const char* const g_MoveModeLabels[5] = {"OFF", "ON (ブロックをすり抜ける)", "ON (ブロックに当たる)",
                                         "ON (ブロックに当たると即死)", ""};
const char* const g_InvincibleLabels[4] = {"OFF", "ON (ショットが当たる)", "ON (ショットがすり抜ける)", ""};
const char* const g_ScaleLabels[11] = {"しない", "×4",  "×9",  "×16", "×25", "×36",
                                       "×49",   "×64", "×81", "×100", ""};
const char* const g_SightModeLabels[6] = {"画面内全て",       "キャラを中心とした円形",   "キャラの前方に円形",
                                          "キャラを中心とした正方形", "キャラの前方に正方形", ""};
const char* const g_BoxChoiceLabels[5] = {"キャラ対キャラの当たり判定範囲（推奨）", "キャラ対ショットの当たり判定範囲",
                                          "ショット対キャラの当たり判定範囲", "32×32", ""};
const char* const g_ViewAxesLabels[5] = {"画面内", "X座標のみ画面内", "Y座標のみ画面内", "全範囲", ""};
const char* const g_RangeTestLabels[4] = {"範囲かグループが真なら成立", "一度範囲かグループが真になると、以後無条件で成立",
                                          "範囲とグループが偽なら成立", ""};

const char* const g_TakeModeLabels[4] = {"1回だけ取れる", "何回でも取れる", "取れない", ""};

const char* const g_ScrollModeLabels[3] = {"主人公の位置に合わせてスクロール", "オートスクロール", ""};
const char* const g_CollisionLevelLabels[20] = {
    "レベル1 (速度制限=60)",  "レベル2 (速度制限=120)", "レベル3 (速度制限=180)", "レベル4 (速度制限=240)",
    "レベル5 (速度制限=300)", "レベル6 (速度制限=360)", "レベル7 (速度制限=420)", "レベル8 (速度制限=480)",
    "レベル9 (速度制限=540)", "レベル10 (速度制限=600)", "レベル1 (速度制限=600)", "レベル2 (速度制限=600)",
    "レベル3 (速度制限=600)", "レベル4 (速度制限=600)", "レベル5 (速度制限=600)", "レベル6 (速度制限=600)",
    "レベル7 (速度制限=600)", "レベル8 (速度制限=600)", "レベル9 (速度制限=600)", ""};
const char* const g_ContactLevelLabels[7] = {"最大 (当たり判定レベルと同じ)", "1 (対応速度=60)",
                                             "2 (対応速度=最大120)",         "3 (対応速度=最大180)",
                                             "4 (対応速度=最大240)",         "5 (対応速度=最大300)",
                                             ""};
const char* const g_AlignLabels[3] = {"中央", "下", ""};
const char* const g_AlignShortLabels[3] = {"中", "下", ""};
const char* const g_HeroBoxShowLabels[4] = {"表示しない", "表示する", "枠のみ表示", ""};
const char* const g_HeroBoxColourLabels[9] = {"赤", "緑", "青", "黄", "赤紫", "青紫", "黒", "虹", ""};
const char* const g_ResizeXLabels[3] = {"右方向へ拡張（または右を削除）", "左方向へ拡張（または左を削除）", ""};
const char* const g_ResizeYLabels[3] = {"下方向へ拡張（または下を削除）", "上方向へ拡張（または上を削除）", ""};
const char* const g_AxisLabels[3] = {"水平方向", "垂直方向", ""};
