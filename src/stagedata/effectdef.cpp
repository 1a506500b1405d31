#include "stagedata/effectdef.h"

namespace {

constexpr const char* kRunTime = "実行時間(1/10s)";

constexpr cParamDesc Time(int16_t def) { return cParamDesc{kRunTime, 1, 9999, def}; }
constexpr cParamDesc None() { return cParamDesc(); }

constexpr const char* kNoteNone = "Direct3D有効時：\nDirect3D無効時：";
constexpr const char* kNoteRatherSlowWithout = "Direct3D有効時：\nDirect3D無効時：やや遅い";
constexpr const char* kNoteRatherSlowBoth = "Direct3D有効時：やや遅い\nDirect3D無効時：やや遅い";
constexpr const char* kNoteFast = "Direct3D有効時：速い\nDirect3D無効時：速い";

}  // namespace

const char* const g_CharaEffectKindLabels[kCharaEffectKinds] = {
    "破裂", "分割（横）", "分割（縦）", "波（横）", "波（縦）", "点滅",   "回転A",  "回転B", "回転（奥）",
    "円",   "拡大",       "レンズ",     "色変化",   "半透明",   "モザイク", "ぼかし", ""};

const char* const g_CharaEffectKindNotes[kCharaEffectKinds] = {
    kNoteNone,
    kNoteNone,
    kNoteNone,
    kNoteRatherSlowWithout,
    kNoteRatherSlowWithout,
    kNoteFast,
    "Direct3D有効時：回転Aと回転Bは同じ\nDirect3D無効時：巨大キャラには実行速度重視",
    "Direct3D有効時：回転Aと回転Bは同じ\nDirect3D無効時：やや遅い。巨大キャラには描画精度重視",
    kNoteNone,
    kNoteRatherSlowWithout,
    kNoteNone,
    "Direct3D有効時：遅過ぎ\nDirect3D無効時：遅い",
    "Direct3D有効時：\nDirect3D無効時：画面が8bit色→精度悪い、16bit色以上→やや遅い",
    "Direct3D有効時：\nDirect3D無効時：画面が8bit色→精度悪い、16bit色以上→遅過ぎ",
    "Direct3D有効時：\nDirect3D無効時：画面が16bit色以上だと遅い",
    "Direct3D有効時：やや遅い\nDirect3D無効時：画面が16bit色以上でのみ有効。遅い",
    ""};

const cParamDesc g_CharaEffectParamDesc[kCharaEffectKinds][kEffectParams] = {
    {None(), None(), None(), None(), None()},
    // 1 burst
    {Time(5), {"開始位置(dot)", 0, 999, 0}, {"終了位置(dot)", 0, 999, 32}, None(), None()},
    // 2, 3 split
    {Time(5), {"開始位置(dot)", 0, 999, 0}, {"終了位置(dot)", 0, 999, 32}, {"分割数", 2, 16, 4}, None()},
    {Time(5), {"開始位置(dot)", 0, 999, 0}, {"終了位置(dot)", 0, 999, 32}, {"分割数", 2, 16, 4}, None()},
    // 4, 5 wave
    {Time(5), {"開始幅(dot)", 0, 999, 0}, {"終了幅(dot)", 0, 999, 32}, {"波の数", 2, 16, 2}, {"波の粗さ(dot)", 1, 4, 2}},
    {Time(5), {"開始幅(dot)", 0, 999, 0}, {"終了幅(dot)", 0, 999, 32}, {"波の数", 2, 16, 2}, {"波の粗さ(dot)", 1, 4, 2}},
    // 6 blink
    {Time(10), {"点滅間隔(1/60s)", 1, 9999, 2}, None(), None(), None()},
    // 7, 8 rotation
    {Time(10), {"開始角度", 0, 9999, 0}, {"終了角度", 0, 9999, 1440}, None(), None()},
    {Time(10), {"開始角度", 0, 9999, 0}, {"終了角度", 0, 9999, 1440}, None(), None()},
    // 9 rotation into the depth
    {Time(10), {"開始位置(dot)", 0, 9999, 0}, {"終了位置(dot)", 0, 9999, 256}, None(), None()},
    // 10 circle
    {Time(5), {"開始半径(dot)", 0, 32, 32}, {"終了半径(dot)", 0, 32, 0}, {"円の粗さ(dot)", 1, 4, 2}, None()},
    // 11 zoom
    {Time(10), {"開始幅(dot)", 0, 320, 32}, {"終了幅(dot)", 0, 320, 64}, None(), None()},
    // 12 lens
    {Time(10), {"開始距離", 0, 100, 100}, {"終了距離", 0, 100, 5}, {"ズレX(dot)", -16, 16, 0}, {"ズレY(dot)", -16, 16, 0}},
    // 13 tint
    {Time(10), {"開始合成度", 1, 4, 1}, {"終了合成度", 1, 4, 1}, {"色", 16, 207, 16}, None()},
    // 14 see-through
    {Time(10), {"点滅間隔(1/60s)", 1, 9999, 9999}, None(), None(), None()},
    // 15 mosaic
    {Time(10), {"開始強度", 1, 16, 1}, {"終了強度", 1, 16, 8}, None(), None()},
    // 16 blur
    {Time(10), {"開始強度", 1, 4, 1}, {"終了強度", 1, 4, 4}, None(), None()},
};

const char* const g_ScrEffectKindLabels[kScrEffectKinds] = {
    "移動", "振動（横）", "振動（縦）", "分割（横）", "分割（縦）", "波（横）", "波（縦）",
    "点滅", "回転",       "円",         "拡大",       "レンズ",     "モザイク", ""};

const char* const g_ScrEffectKindNotes[kScrEffectKinds] = {
    kNoteNone,
    kNoteNone,
    kNoteNone,
    kNoteNone,
    kNoteNone,
    kNoteRatherSlowBoth,
    kNoteRatherSlowBoth,
    kNoteFast,
    "Direct3D有効時：\nDirect3D無効時：遅い",
    kNoteRatherSlowBoth,
    kNoteRatherSlowWithout,
    "Direct3D有効時：遅過ぎ\nDirect3D無効時：遅過ぎ",
    "Direct3D有効時：遅過ぎ\nDirect3D無効時：画面が16bit色以上だと遅過ぎ",
    ""};

const cParamDesc g_ScrEffectParamDesc[kScrEffectKinds][kEffectParams] = {
    {None(), None(), None(), None(), None()},
    // 1 move
    {Time(10), {"開始座標X(dot)", -640, 640, 0}, {"開始座標Y(dot)", -480, 480, 0}, {"終了座標X(dot)", -640, 640, 640},
     {"終了座標Y(dot)", -480, 480, 0}},
    // 2, 3 shake
    {Time(10), {"振動幅(dot)", 1, 640, 4}, {"振動回数", 1, 9999, 4}, None(), None()},
    {Time(10), {"振動幅(dot)", 1, 480, 4}, {"振動回数", 1, 9999, 4}, None(), None()},
    // 4, 5 split
    {Time(10), {"開始位置(dot)", 0, 640, 0}, {"終了位置(dot)", 0, 640, 640}, {"分割数", 2, 240, 15}, None()},
    {Time(10), {"開始位置(dot)", 0, 480, 0}, {"終了位置(dot)", 0, 480, 480}, {"分割数", 2, 320, 20}, None()},
    // 6, 7 wave
    {Time(10), {"開始幅(dot)", 0, 640, 0}, {"終了幅(dot)", 0, 640, 640}, {"波の数", 2, 240, 4}, {"波の粗さ(dot)", 1, 48, 8}},
    {Time(10), {"開始幅(dot)", 0, 480, 0}, {"終了幅(dot)", 0, 480, 480}, {"波の数", 2, 320, 4}, {"波の粗さ(dot)", 1, 64, 10}},
    // 8 blink
    {Time(10), {"点滅間隔(1/60s)", 1, 9999, 10}, None(), None(), None()},
    // 9 rotation
    {Time(10), {"開始角度", 0, 9999, 0}, {"終了角度", 0, 9999, 1440}, None(), None()},
    // 10 circle
    {Time(10), {"開始半径(dot)", 0, 640, 640}, {"終了半径(dot)", 0, 640, 0}, {"円の粗さ(dot)", 1, 48, 8}, None()},
    // 11 zoom
    {Time(10), {"開始幅(dot)", 0, 6400, 640}, {"終了幅(dot)", 0, 6400, 1280}, None(), None()},
    // 12 lens
    {Time(10), {"開始距離", 0, 1500, 1500}, {"終了距離", 0, 1500, 5}, {"ズレX(dot)", -320, 320, 0},
     {"ズレY(dot)", -240, 240, 0}},
    // 13 mosaic
    {Time(10), {"開始強度", 1, 240, 1}, {"終了強度", 1, 240, 60}, None(), None()},
};

void cEffectDefData::RegisterFields(int /*version*/) {
  ClearFields();
  AddField32(&m_nKind);
  AddField32(m_nParam, kEffectParams);
  AddString(&m_strName);
}

void cEffectDefData::FillParamsOfOldFile(const cParamDesc (*desc)[kEffectParams],
                                         std::initializer_list<cOldParam> missing) {
  if (g_nFileDataVersion >= 511) return;
  for (const cOldParam& m : missing)
    if (m_nKind == m.m_nKind) m_nParam[m.m_nParam] = desc[m.m_nKind][m.m_nParam].m_sDefault;
}

int cCharaEffectData::Read(cDataFile& file) {
  if (!cDataRecord::Read(file)) return 0;
  FillParamsOfOldFile(g_CharaEffectParamDesc, {{4, 4}, {5, 4}, {10, 3}});
  return 1;
}

int cScrEffectData::Read(cDataFile& file) {
  if (!cDataRecord::Read(file)) return 0;
  FillParamsOfOldFile(g_ScrEffectParamDesc, {{6, 4}, {7, 4}, {10, 3}});
  return 1;
}
