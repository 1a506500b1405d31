// Writes the seed corpora of the fuzz targets: complete files made by the records' own writers, at
// the current data version and at the older versions whose layouts differ (written with the older
// registrations, or built by hand where no writer of that layout exists). Usage:
//   fuzz_make_seeds FOLDER     (FOLDER/<target>/<seed> for every target; fuzz/corpus in the source tree)
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/datafile.h"
#include "fuzz_record.h"
#include "gamedata/input.h"
#include "gfx/font.h"
#include "gamedata/option.h"
#include "gamedata/ranking.h"
#include "gamedata/replay.h"
#include "gamedata/savedata.h"
#include "gamedata/systemdata.h"
#include "gamedata/worldmap.h"
#include "platform/fs/path.h"
#include "platform/video/bmp.h"
#include "stagedata/database.h"
#include "authoring/stageauthor.h"
#include "support/stage_fixture.h"
#include "gamedata/system_fixture.h"
#include "gamefolder/gamefolder.h"
#include "shell/startupsetting.h"
#include "shell/wndplacement.h"
#include "support.h"
#include "support/bytes.h"
#include "support/ogg_writer.h"

namespace {

namespace fs = std::filesystem;
fs::path g_Out;
int g_nWritten = 0;

void Seed(const std::string& target, const std::string& name, const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) FuzzFail(("a seed was not written: " + target + "/" + name).c_str(), __FILE__, __LINE__);
  fs::create_directories(g_Out / target);
  if (!WriteFileBytes((g_Out / target / name).string(), bytes))
    FuzzFail(("writing " + target + "/" + name).c_str(), __FILE__, __LINE__);
  ++g_nWritten;
}

template <class R>
std::vector<uint8_t> AsVersion(R& record, int version) {
  const cDataVersionScope scope(version);
  return FuzzWrittenBytes(record);
}

std::vector<uint8_t> Text(const std::string& s) { return {s.begin(), s.end()}; }

void RecordSeeds() {
  cFuzzRecord r;
  r.m_lWide = -5;
  r.m_dReal = 2.5;
  r.m_nA = 3;
  r.m_sNew = 9;
  r.m_strTitle = "title";
  r.m_strText = "line\r\nline";
  r.m_vLeaf.resize(3);
  r.m_vLeaf[1].m_strName = "leaf";
  r.m_vLeaf[1].m_vBytes.assign(5, 1);
  r.m_vLeaf[2].m_vKept.clear();
  for (int v : {kDataVersion, 899}) Seed("record", "v" + std::to_string(v), AsVersion(r, v));
}

// A palette whose templates name one another, with conditions and flows.
void FillPalette(cPaletteRef p, int8_t kind) {
  p.m_vBlock.resize(3);
  p.m_vBlock[1].m_sGraphic = 4;
  p.m_vBlock[1].m_vCond.resize(1);
  p.m_vBlock[1].m_vCond[0].m_nKind = COND_COMMON_VAR;
  p.m_vBlock[2].m_cPalKind = kind;
  p.m_vBlock[2].m_sPalIndex = 1;
  p.m_vBlock[2].m_vInherit[0] = 1;
  p.m_vChara.resize(3);
  p.m_vChara[1].m_sGraphic = 2;
  cFlow flow = MakeFlow(FLOW_TRIG_DAMAGE_TAKEN, {MakeCommand(CMD_CATEGORY_OBJECT, CMD_MOVE_STRAIGHT, {}, 20),
                                                MakeCommand(CMD_CATEGORY_OBJECT, CMD_SHOT),
                                                MakeCommand(CMD_CATEGORY_OBJECT, CMD_FLOW_OP, {1, 2}),
                                                MakeCommand(CMD_CATEGORY_OBJECT, CMD_MESSAGE, {0, 5, 6})});
  flow.m_vCond.resize(1);
  flow.m_vCond[0].m_nKind = COND_STAGE_VAR;
  flow.m_vKeyCond.resize(1);
  p.m_vChara[1].m_vFlow.push_back(flow);
  p.m_vChara[2].m_cPalKind = kind;
  p.m_vChara[2].m_sPalIndex = 1;
  p.m_vItem.resize(2);
  p.m_vItem[1].m_sGraphic = 3;
  cFlowCmd carrier = MakeCommand(CMD_CATEGORY_ITEM, ICMD_CHANGE_FLOW, {1, 0});
  carrier.m_vFlow.push_back(flow);
  p.m_vItem[1].m_vCmd.push_back(carrier);
}

void StageSeeds() {
  // Built in g_StageData, so that references into the stage palette hold while it is written.
  cStageData& stage = g_StageData;
  BuildSampleStage(stage, 24, 16);
  FillPalette(stage.Palette(), PAL_STAGE);
  stage.m_vBlock[0].m_cPalKind = PAL_STAGE;
  stage.m_vBlock[0].m_sPalIndex = 2;
  stage.m_vChara[1].m_cPalKind = PAL_STAGE;
  stage.m_vChara[1].m_sPalIndex = 1;
  stage.ResizeBackLayer(2);
  stage.m_vBackLayer[1].m_strPicture = "bmp\\back.bmp";
  stage.m_vVarName.resize(2);
  for (int v : {kDataVersion, 897, 880, 766, 160}) Seed("stage", "v" + std::to_string(v), AsVersion(stage, v));
  for (uint32_t v : {130u, 172u, 200u, 800u}) {
    std::vector<uint8_t> old = OldStageFile{v, {1, 1, 1, 1}, 1}.Bytes();
    Seed("stage", "hand_v" + std::to_string(v), old);
  }
  stage.Reset();
}

void PaletteSeeds() {
  cCommonPaletteData& palette = g_CommonPalette;
  FillPalette(CommonPalette(), PAL_COMMON);
  for (int v : {kDataVersion, 890, 766, 150}) Seed("palette", "v" + std::to_string(v), AsVersion(palette, v));
  palette = cCommonPaletteData();
}

void DatabaseSeeds() {
  cDatabase db;
  db.m_vAnimeSet.resize(2);
  db.m_vAnimeSet[1].m_vMotion.resize(5);
  db.m_vAnime.resize(3);
  db.m_vAnime[2].m_vFrame.resize(3);
  db.m_vSwordType.resize(2);
  db.m_vSwordType[1].m_vPart.resize(2);
  db.m_vEffect.resize(2);
  db.m_vEffect[1].m_vPart.resize(2);
  db.m_vCharaEffect.resize(3);
  db.m_vScrEffect.resize(3);
  db.m_vPicture.resize(3);
  db.m_vSound.resize(3);
  db.m_vBgm.resize(3);
  int n = 0, file = 0;
  db.ForEachFile([&](auto& list, const char*) {
    for (auto& entry : list) entry.m_strName = "entry " + std::to_string(n++);
    return true;
  });
  db.ForEachFile([&](auto& list, const char*) {
    const std::string target = "database" + std::to_string(file++);
    for (int v : {kDataVersion, 827, 500, 118, 54}) {
      const cDataVersionScope scope(v);
      if (!WriteDbList(list, "fuzz_list.bin")) FuzzFail("a database list", __FILE__, __LINE__);
      Seed(target, "v" + std::to_string(v), FuzzReadFile("fuzz_list.bin"));
    }
    return true;
  });
}

void SystemSeeds() {
  cSystemData source;
  source.m_strTitle = "Title";
  source.m_nChallengeNum = 3;
  for (int v : {914, 913, 841, 755, 671, 566, 500, 285, 230, 201, 190, 180, 168, 100}) {
    if (SaveAsVersion(source, v, "fuzz_system.bin") != 1) FuzzFail("System.dat", __FILE__, __LINE__);
    Seed("systemdat", "v" + std::to_string(v), FuzzReadFile("fuzz_system.bin"));
  }
  std::string ini;
  for (const cSysIniKey& key : source.m_vIniKey)
    ini += key.m_strName + "=" + (key.m_nKind ? key.m_strText : std::to_string(key.m_nValue + 1)) + "\r\n";
  Seed("systemini", "keys", Text(ini));
  Seed("systemini", "exit", Text("VSync=1\nFreeStage=data\\stg4\\Town.stg4_914\nExit\nShowFps=1\n"));
  Seed("systemini", "no_end", Text("WindowMode=1\r\nBpp=16"));
}

void WorldMapSeeds() {
  cWorldMapData m;
  m.SetSize(12, 9);
  m.m_strBackPicture = "bmp\\map.bmp";
  m.m_vTileKind.assign(4, cMapTileKind());
  for (int i = 0; i < 4; ++i) m.m_vTileKind[i].m_nPicture = i;
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 12; ++x) m.m_vCell.At(x + (y << m.m_nShift)) = (x + y) % 4;
  for (int p = 0; p < 3; ++p) {
    cMapPlace place;
    place.m_nX = 3 * p + 1;
    place.m_nY = 2 * p;
    place.m_vNode.assign(1 + p, cMapNode());
    for (int i = 0; i < place.m_vNode.Size(); ++i) {
      place.m_vNode[i].m_nKind = i % 3;
      place.m_vNode[i].m_nStageNo = p + 1;
      place.m_vNode[i].m_bVarSet = p % 2;
      place.m_vNode[i].m_strStage = "data\\stg4\\Town.stg4_914";
    }
    m.m_vPlace.push_back(place);
  }
  for (int v : {914, 811, 757, 208}) Seed("worldmap", "v" + std::to_string(v), AsVersion(m, v));
}

void PlayerFileSeeds() {
  cOptionData o;
  o.m_nPalette = 5;
  o.m_nRankMode = 3;
  o.m_strRankName = "player";
  Seed("option", "v914", FuzzWrittenBytes(o));

  cSaveData& save = g_SaveData;
  save.Reset(4);
  save.m_vCharaSave.assign(1, cCharaSaveData());
  save.m_vCharaSave[0].m_nHP = 30;
  save.m_bCarryOver = 1;
  save.SetStage("data\\stg4\\Town.stg4_914", 0, 0, 0);
  save.SetStageBest("data\\stg4\\Town.", "data\\stg4\\Town.", 0, 0, 0, 500);
  save.SetStageBest("data\\stg4\\Hill.", "data\\stg4\\Hill_c003_1.", 1, 3, 1, 200);
  save.m_vChallenge.At(2).m_nFirst = 1;
  save.m_nChallengeOpen = 3;
  save.m_vFlag.At(3) = 1;
  for (int v : {914, 723, 500, 180, 165}) {
    const std::vector<uint8_t> bytes = AsVersion(save, v);
    Seed("story", "v" + std::to_string(v), bytes);
    Seed("challenge", "v" + std::to_string(v), bytes);
  }

  cRankingData ranking;
  for (int t = 0; t < kRankTableCount; ++t)
    for (int n = 0; n < 4 + t; ++n) ranking.m_vTable[t].Insert("name" + std::to_string(n), 100 * n + t);
  for (int v : {914, 180}) Seed("ranking", "v" + std::to_string(v), AsVersion(ranking, v));

  BuildSampleStage(g_StageData, 20, 15);
  g_PlayStageData.CopyPlaySettings(g_StageData);
  g_PlayStageData.ClearObjects();
  g_ReplayData.ClearRecording();
  g_ReplayData.m_nSeed = 0x5EED;
  for (int f = 0; f < 60; ++f) {
    const int16_t words[2] = {static_cast<int16_t>(f / 10 % 4), static_cast<int16_t>(f / 7 % 3)};
    g_ReplayData.Record(words);
  }
  for (int v : {914, 500, 172, 160}) {
    const cDataVersionScope scope(v);
    if (g_ReplayData.SaveFile("fuzz_replay.bin", g_StageData, g_PlayStageData, save) != 1)
      FuzzFail("a replay", __FILE__, __LINE__);
    Seed("replay", "v" + std::to_string(v), FuzzReadFile("fuzz_replay.bin"));
  }
  g_StageData.Reset();
  g_PlayStageData.Reset();
  save.Reset(0);
  g_ReplayData.ClearRecording();
}

void UserFileSeeds() {
  KEYCONFIG keys;
  DefaultKeyConfig(&keys);
  const auto bytesOf = [](const KEYCONFIG& k) {
    const auto* p = reinterpret_cast<const uint8_t*>(&k);
    return std::vector<uint8_t>(p, p + sizeof k);
  };
  Seed("keyconfig", "default", bytesOf(keys));
  keys.bUse = 1;
  keys.nJoystickCount = 2;
  keys.Entry[4] = KEYCONFIGENTRY{1, 4, 0};
  keys.Entry[0] = KEYCONFIGENTRY{0, 256, 0};
  Seed("keyconfig", "joysticks", bytesOf(keys));

  cWndPlacement window;
  window.m_nX = 40;
  window.m_nY = 30;
  window.m_nWidth = 1280;
  window.m_nHeight = 960;
  window.m_bMaximized = 1;
  Seed("window", "v914", FuzzWrittenBytes(window));

  cStartupSetting boot;
  boot.m_nDrawMode = 0;
  boot.m_bNoAsk = 1;
  Seed("boot", "v914", FuzzWrittenBytes(boot));
}

// The demo's waves and tune, and an Ogg clip.
void SoundSeeds() {
  GameFolder demo = DemoGame();
  FUZZ_CHECK(MakeGameDirectory("wave"));
  for (size_t i = 0; i < demo.waves.size(); ++i) {
    SynthWave w = demo.waves[i];
    w.path = "wave\\seed.wav";
    FUZZ_CHECK(WriteSynthWave(w));
    Seed("wave", "demo" + std::to_string(i), FuzzReadFile(w.path));
  }
  Seed("midi", "demo", DemoTuneBytes());
  Seed("ogg", "sine", OggSineBytes(22050, 0.05, 440, 0.5));
}

// Every text of a flow command of the demo's stages and of a sample stage, and lines of the code
// language's every form.
void CodeSeeds() {
  std::vector<std::string> lines = {"C1 = (2 + 3) * 4", "C(my.v1 + 1) = 9", "C1 = 2*rand(1, 6)",
                                    "tg1.hp = tg.hp - 1", "my.hp = my.hp + 10", "S3 = 5 * 5 % 7 - -2",
                                    "v8 = v1 + 3", "C1 = rand(-2147483648, 2147483647)", "sys.hp = 1"};
  auto collect = [&](cStageData& stage) {
    for (const cPaletteRef& ref : {stage.Palette(), stage.Placed()})
      for (const cCharaData& chara : ref.m_vChara)
        for (const cFlow& flow : chara.m_vFlow)
          for (const cFlowCmd& cmd : flow.m_vCmd)
            if (!cmd.m_strText.empty()) lines.push_back(cmd.m_strText);
  };
  GameFolder demo = DemoGame();
  for (auto& [path, stage] : demo.stages) collect(stage);
  cStageData sample;
  BuildSampleStage(sample, 20, 15);
  collect(sample);
  int n = 0;
  for (const std::string& line : lines) Seed("code", "line" + std::to_string(n++), Text(line));
}

// Font names the games use, each with a text: the fixed glyph list, and kanji and half-width letters.
void FontSeeds() {
  Seed("font", "gothic", Text(std::string("ＭＳ ゴシック\n") + DDFixedFullWidthChars));
  Seed("font", "pmincho", Text("ＭＳ Ｐ明朝\n漢字とｶﾀｶﾅ、ABC 123「」\r\n次の行"));
  Seed("font", "testface", Text("TestFont\n\x88\x9F\x88\xA0 text"));
}

void BitmapSeeds() {
  using video::BmpImage;
  std::vector<uint8_t> indices;
  std::vector<uint32_t> argb;
  for (int i = 0; i < 5 * 3; ++i) {
    indices.push_back(static_cast<uint8_t>(i % 2 ? i : 1));
    argb.push_back(0xFF000000u | static_cast<uint32_t>(i * 0x111111));
  }
  std::vector<RGBQUAD> colors(16);
  for (int i = 0; i < 16; ++i) colors[i] = RGBQUAD{static_cast<uint8_t>(i * 16), 0, static_cast<uint8_t>(i), 0};
  for (int bits : {1, 4, 8})
    Seed("bmp", "indexed" + std::to_string(bits), video::EncodeBmp(BmpImage::FromIndices(5, 3, bits, indices, colors)));
  for (int bits : {24, 32})
    Seed("bmp", "argb" + std::to_string(bits), video::EncodeBmp(BmpImage::FromArgb(5, 3, bits, argb)));
  // Run-length 8 bits: runs, a literal run, a delta, line ends and the end code.
  ByteWriter rle;
  rle.U8('B').U8('M').U32(0).U32(0).U32(14 + 40 + 8).U32(40).I32(6).I32(4).U16(1).U16(8).U32(BI_RLE8);
  rle.U32(0).U32(0).U32(0).U32(2).U32(0);
  rle.U32(0x000000FF).U32(0x00FF0000);
  rle.U8(3).U8(1).U8(0).U8(3).U8(0).U8(1).U8(1).U8(0).U8(0).U8(0).U8(0).U8(2).U8(1).U8(1).U8(2).U8(1);
  rle.U8(0).U8(0).U8(0).U8(1);
  Seed("bmp", "rle8", rle.bytes);
  // The old 12-byte header with a 3-byte colour table, and top-down rows.
  ByteWriter core;
  core.U8('B').U8('M').U32(0).U32(0).U32(14 + 12 + 6).U32(12).U16(2).U16(2).U16(1).U16(1);
  core.U8(0).U8(0).U8(0).U8(255).U8(255).U8(255).U8(0x40).U8(0).U8(0).U8(0).U8(0x80).U8(0).U8(0).U8(0);
  Seed("bmp", "core1", core.bytes);
  std::vector<uint8_t> topDown = video::EncodeBmp(BmpImage::FromArgb(5, 3, 24, argb));
  const int32_t negative = -3;
  std::memcpy(&topDown[22], &negative, 4);
  Seed("bmp", "topdown24", topDown);
  std::vector<uint8_t> fields = video::EncodeBmp(BmpImage::FromArgb(2, 2, 32, {1, 2, 3, 4}));
  const uint32_t bitfields = BI_BITFIELDS, offBits = 14 + 40 + 12;
  std::memcpy(&fields[30], &bitfields, 4);
  std::memcpy(&fields[10], &offBits, 4);
  const uint32_t masks[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
  fields.insert(fields.begin() + 54, reinterpret_cast<const uint8_t*>(masks),
                reinterpret_cast<const uint8_t*>(masks) + 12);
  Seed("bmp", "bitfields32", fields);
}

void PathSeeds() {
  int n = 0;
  for (const char* path : {"data\\stg4\\Town.stg4_914", "DATA\\STG4\\town.STG4_914", "bmp\\Chara\\Hero.bmp",
                           "bmp/chara/hero.BMP", ".\\bmp\\.\\chara\\\\hero.bmp", "..\\outside.dat", "C:\\game\\a.bmp",
                           "\\absolute\\a.bmp", "\x89\xe6\x91\x9c\\a.bmp", "\x95\x5c\\x", "data\\..\\bmp"})
    Seed("path", "p" + std::to_string(n++), Text(path));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  g_Out = fs::absolute(argv[1]);
  FuzzSetUp();
  RecordSeeds();
  StageSeeds();
  PaletteSeeds();
  DatabaseSeeds();
  SystemSeeds();
  WorldMapSeeds();
  PlayerFileSeeds();
  BitmapSeeds();
  PathSeeds();
  UserFileSeeds();
  SoundSeeds();
  CodeSeeds();
  FontSeeds();
  std::printf("%d seeds written to %s\n", g_nWritten, g_Out.string().c_str());
  return 0;
}
