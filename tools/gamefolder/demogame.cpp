// The demo game: three short stages on a world map, with the project's own pictures, sounds and tune.
// Meadow and Caves have walking and shooting enemies, score and heal items, a message and an item
// that clears the stage; Keep ends with a boss that turns fiercer below half its HP and whose defeat
// clears the stage, among a crowd of shooting guards.
#include "authoring/stageauthor.h"
#include "flow/condeval.h"
#include "flow/statusops.h"
#include "gamedata/savedata.h"
#include "gamefolder/gamefolder.h"

const char* const kDemoStagePaths[3] = {"data\\stg4\\Meadow.stg4_914", "data\\stg4\\Caves.stg4_914",
                                        "data\\stg4\\Keep.stg4_914"};

namespace {

// Database sounds of the demo (entry 0 stays "none").
enum DemoSound { kSoundShot = 1, kSoundCoin, kSoundHeal, kSoundBoss };

// Character graphics: rows of the character sheet (0 is no graphic).
enum DemoGraphic { kHeroRow = 1, kWalkerRow, kGunnerRow, kBossRow, kSignRow, kGuardRow };

// Block cells of the block sheet.
constexpr int16_t kGround = 1, kBrick = 4, kDecor = 9, kSpikes = 12;

cFlowCmd Shot(int count, int spread, int speed, int graphic, int lifeTenths, int16_t time) {
  cFlowCmd cmd = MakeCommand(CMD_CATEGORY_OBJECT, CMD_SHOT, {}, time);
  cEdShot& s = *cmd.m_pEdShot;
  s.m_nCount = static_cast<int8_t>(count);
  s.m_sSpread = static_cast<int16_t>(spread);
  s.m_bAim = 1;
  s.m_sSpeed = static_cast<int16_t>(speed);
  s.m_sGraphic = static_cast<int16_t>(graphic);
  s.m_sLife = static_cast<int16_t>(lifeTenths);
  s.m_nPower = 1;
  s.m_nVanish = 1;
  cmd.m_sSound = kSoundShot;
  return cmd;
}

cFlowCmd Walk(int16_t time) { return MakeCommand(CMD_CATEGORY_OBJECT, CMD_MOVE_GROUND_TURN, {}, time); }

// The status command: `who` 5 is the game's own values, 0 the object itself.
cFlowCmd Add(int who, int selector, int32_t amount, int category = CMD_CATEGORY_ITEM) {
  const int kind = category == CMD_CATEGORY_ITEM ? CMD_STATUS - kItemCmdKindOffset : CMD_STATUS;
  cFlowCmd cmd = MakeCommand(category, kind, {0, 0, 0, who, selector, CALC_ADD, 0, amount});
  return cmd;
}

cCharaData& Walker(cStageData& stage, int16_t x, int16_t y) {
  cCharaData& c = PlaceComChara(stage, x, y, kWalkerRow);
  c.m_nMaxHP = 3;
  c.m_vFlow.push_back(MakeFlow(FLOW_TRIG_ALWAYS, {Walk(40)}));
  return c;
}

cCharaData& Gunner(cStageData& stage, int16_t x, int16_t y, int16_t graphic = kGunnerRow) {
  cCharaData& c = PlaceComChara(stage, x, y, graphic);
  c.m_nMaxHP = 4;
  c.m_vFlow.push_back(MakeFlow(FLOW_TRIG_ALWAYS, {Walk(20), Shot(1, 0, 4, 1, 30, 10)}));
  return c;
}

// A standing sign whose message shows above it from the stage's start to its end. The sign's flow
// runs every frame: the message (with an ID, so that a repeat replaces the window rather than adding
// one) and then a wait as long as a flow's wait can be.
void Sign(cStageData& stage, int16_t x, int16_t y, const char* text) {
  cCharaData& c = PlaceComChara(stage, x, y, kSignRow);
  constexpr int kAboveItself = 1, kUntilTheStageEnds = 1, kSignMessageId = 1;
  cFlowCmd message = MakeCommand(CMD_CATEGORY_OBJECT, CMD_MESSAGE,
                                 {kAboveItself, 0, 0, 0, -8, 0, kUntilTheStageEnds, 0, 0, 0, 0, 0, 1, kSignMessageId});
  message.m_strText = text;
  c.m_vFlow.push_back(MakeFlow(FLOW_TRIG_ALWAYS, {message, MakeCommand(CMD_CATEGORY_OBJECT, CMD_WAIT, {}, 32000)}));
}

// The hero's controls, each a flow started by its key: the arrows walk while held, Z jumps, X shoots
// ahead. Keys of the key conditions: 1 left, 2 right, 11 and 12 the first two buttons.
cFlow OnKey(int key, bool whileHeld, cFlowCmd cmd) {
  cFlow flow = MakeFlow(FLOW_TRIG_ALWAYS, {std::move(cmd)});
  cKeyCond& press = flow.m_vKeyCond.emplace_back();
  press.m_vKeyState.assign(cKeyCond::kKeyCount, 0);
  press.m_vKeyState.At(key) = 1;
  press.m_bAnyHold = 1;
  flow.m_bKeyLatch = whileHeld ? 1 : 0;
  return flow;
}

void HeroControls(cCharaData& hero) {
  for (auto [key, dir] : {std::pair<int, int8_t>{1, 2}, {2, 3}}) {
    cFlowCmd walk = MakeCommand(CMD_CATEGORY_OBJECT, CMD_MOVE_STRAIGHT, {}, 1);
    walk.m_pEdMove->m_nDir = dir;
    walk.m_pEdMove->m_sMoveSpeed = 70;
    hero.m_vFlow.push_back(OnKey(key, true, walk));
  }
  hero.m_vFlow.push_back(OnKey(11, false, MakeCommand(CMD_CATEGORY_OBJECT, CMD_JUMP, {0, 0, 3}, 1)));
  cFlowCmd shot = Shot(1, 0, 6, 1, 20, 3);
  shot.m_pEdShot->m_bAim = 0;
  hero.m_vFlow.push_back(OnKey(12, false, shot));
}

void ScoreItem(cStageData& stage, int16_t x, int16_t y) {
  cItemData& item = PlaceItem(stage, x, y, 1);
  item.m_vCmd.push_back(Add(kStatusSubjectSystem, SYSVAL_SCORE, 100));
}

void HealItem(cStageData& stage, int16_t x, int16_t y) {
  cItemData& item = PlaceItem(stage, x, y, 2);
  item.m_vCmd.push_back(Add(0, STATUS_HP, 5));
}

void ClearItem(cStageData& stage, int16_t x, int16_t y) {
  PlaceItem(stage, x, y, 3).m_vCmd.push_back(MakeCommand(CMD_CATEGORY_ITEM, CMD_STAGE_CLEAR - kItemCmdKindOffset, {0}));
}

// A stage of width x height cells: floor and outer walls, a few platforms, decorations that do not
// block and spikes on a high ledge, the hero at the left end and the background picture.
void Frame(cStageData& stage, const char* name, int width, int height, const char* backdrop) {
  stage.Reset();
  stage.m_vVarName.clear();
  stage.m_strName = name;
  SetStageSize(stage, width, height);
  const auto right = static_cast<int16_t>(width - 1), floor = static_cast<int16_t>(height - 1);
  PlaceFloor(stage, floor, 0, right, kGround);
  for (int16_t y = 0; y < floor; ++y) {
    PlaceBlock(stage, 0, y, kBrick);
    PlaceBlock(stage, right, y, kBrick);
  }
  for (int16_t x = 6; x + 4 < right; x += 9) PlaceFloor(stage, static_cast<int16_t>(floor - 4), x, static_cast<int16_t>(x + 3), kBrick);
  for (int16_t x = 3; x < right; x += 7) PlaceBlock(stage, x, static_cast<int16_t>(floor - 1), kDecor).m_cHit = 0;
  // Spikes on a ledge above the floor's middle: touching them is a miss.
  for (int16_t x = static_cast<int16_t>(width / 2); x <= width / 2 + 1; ++x)
    PlaceBlock(stage, x, static_cast<int16_t>(floor - 8), kSpikes).m_cHit = 2;
  cCharaData& hero = PlaceHero(stage, 2, static_cast<int16_t>(floor - 1), kHeroRow);
  hero.m_nMaxHP = 10;
  // The player's side, apart from the enemies', so that shots and touches between them count; the
  // hero turns to where he walks.
  hero.m_cSide = 0;
  hero.m_bFacingLock = 0;
  HeroControls(hero);
  if (stage.m_vBackLayer.empty()) stage.ResizeBackLayer(1);
  stage.m_vBackLayer.At(0).m_bShow = 1;
  stage.m_vBackLayer.At(0).m_bFill = 0;
  stage.m_vBackLayer.At(0).m_strPicture = backdrop;
}

void Meadow(cStageData& stage) {
  Frame(stage, "Meadow", 40, 15, "bmp\\back\\Meadow.bmp");
  Sign(stage, 4, 13, "Z jumps, X shoots. Reach the star!");
  Walker(stage, 12, 13);
  Gunner(stage, 22, 13);
  Walker(stage, 30, 13);
  for (int16_t x = 7; x <= 9; ++x) ScoreItem(stage, x, 9);
  ScoreItem(stage, 16, 13);  // on the way: a run straight to the star scores too
  HealItem(stage, 25, 9);
  ClearItem(stage, 37, 13);
}

void Caves(cStageData& stage) {
  Frame(stage, "Caves", 50, 15, "bmp\\back\\Caves.bmp");
  PlaceFloor(stage, 6, 15, 34, kBrick);
  Sign(stage, 4, 13, "The caves echo. Watch for shots.");
  for (int16_t x = 10; x < 46; x += 6) Gunner(stage, x, 13);
  Walker(stage, 20, 5);
  Walker(stage, 28, 5);
  for (int16_t x = 16; x <= 33; x += 3) ScoreItem(stage, x, 5);
  HealItem(stage, 30, 13);
  ClearItem(stage, 47, 13);
}

void Keep(cStageData& stage) {
  Frame(stage, "Keep", 40, 15, "bmp\\back\\Keep.bmp");
  Sign(stage, 4, 13, "The keeper awaits.");
  // Guards on three tiers, each firing a pair of shots: the busiest moment holds over 30
  // characters and well over 50 shots.
  for (int16_t x = 8; x < 38; x += 2) Gunner(stage, x, 13, kGuardRow).m_vFlow.At(0).m_vCmd.At(1).m_pEdShot->m_nCount = 2;
  for (int16_t x = 7; x < 36; x += 3) Gunner(stage, x, 9, kGuardRow);
  for (int16_t x = 9; x < 33; x += 4) Gunner(stage, x, 5, kGuardRow);
  HealItem(stage, 5, 9);
  ScoreItem(stage, 6, 9);

  cCharaData& boss = PlaceComChara(stage, 34, 12, kBossRow);
  boss.m_strName = "Keeper";
  boss.m_nMaxHP = 40;
  // At half HP or above: walks and fires three-way volleys.
  cFlow calm = MakeFlow(FLOW_TRIG_ALWAYS, {Walk(20), Shot(3, 30, 3, 2, 40, 20)});
  // Below half HP: fast eight-way bursts with the boss sound.
  cFlow fierce = MakeFlow(FLOW_TRIG_ALWAYS, {Shot(8, 180, 5, 3, 40, 6)});
  fierce.m_vCmd.At(0).m_sSound = kSoundBoss;
  for (auto [flow, op] : {std::pair<cFlow*, int>{&calm, CMP_GE}, {&fierce, CMP_LT}}) {
    cCond& half = flow->m_vCond.emplace_back();
    half.m_nKind = COND_STATUS;
    half.m_nOwner = 0;  // the boss itself
    half.m_nItem = STATUS_HP;
    half.m_nValue = 50;
    half.m_bPercent = 1;
    half.m_nOp = static_cast<int8_t>(op);
    boss.m_vFlow.push_back(*flow);
  }
  boss.m_vFlow.push_back(MakeFlow(FLOW_TRIG_DEATH, {MakeCommand(CMD_CATEGORY_OBJECT, CMD_STAGE_CLEAR, {0})}));
}

}  // namespace

GameFolder DemoGame() {
  GameFolder f = BasicGameFolder(kDemoStagePaths[0]);
  f.titleText = "DEMO";
  cSystemData& sys = f.system;
  sys.m_strTitle = "Demo";
  sys.m_bReplaySave = 1;
  // Space opens the pause menu during play.
  sys.m_bSpacePause = 1;
  // The story counts lives: five at the start.
  sys.m_vLifeUnlimited.At(GAMETYPE_STORY) = 0;
  // Title commands: new game, continue, replay, options and end (challenge and free stage off).
  for (int i : {2, 3}) sys.m_vTitleCmd.At(i).m_bEnable = 0;
  // The options page leaves out its sixth row, the unlabelled 8-bit palette number, which a game
  // played in full colour does not use.
  sys.m_vOptionCmd.At(5).m_bEnable = 0;
  // The title menu shows its labels in the game font rather than strips of a menu picture.
  sys.m_bTitleSwitch = 0;
  f.tune = "bgm\\Demo.mid";
  cBgmData& tune = f.database.m_vBgm.emplace_back();
  tune.m_strName = "Demo";
  tune.m_strFile = f.tune;
  for (int& music : sys.m_vMenuBgm) music = f.database.m_vBgm.Size() - 1;

  // Game sounds named by the sound list.
  const SynthWave sounds[] = {{"wave\\shot.wav", SynthWave::kSquare, 900, 300, 90, 8},
                              {"wave\\coin.wav", SynthWave::kTone, 990, 1320, 120, 16},
                              {"wave\\heal.wav", SynthWave::kTone, 440, 880, 250, 16},
                              {"wave\\boss.wav", SynthWave::kNoise, 200, 80, 300, 8}};
  const char* const names[] = {"Shot", "Coin", "Heal", "Boss"};
  f.database.m_vSound.resize(1);
  for (size_t i = 0; i < std::size(sounds); ++i) {
    cSoundData& s = f.database.m_vSound.emplace_back();
    s.m_strName = names[i];
    s.m_strFile = sounds[i].path;
    f.waves.push_back(sounds[i]);
  }

  // The world map: the second and third entrances open once the one before is cleared.
  AddStageNode(f.worldMap, 9, 5, kDemoStagePaths[1], 2, 1);
  AddStageNode(f.worldMap, 14, 5, kDemoStagePaths[2], 3, 2);
  f.stages.clear();
  void (*const builders[3])(cStageData&) = {Meadow, Caves, Keep};
  for (int s = 0; s < 3; ++s) {
    cStageData stage;
    builders[s](stage);
    // Every stage plays the tune, looping.
    stage.m_nBgm = f.database.m_vBgm.Size() - 1;
    stage.m_bBgmLoop = 1;
    f.stages.emplace_back(kDemoStagePaths[s], stage);
  }
  f.backgrounds = {"bmp\\back\\Meadow.bmp", "bmp\\back\\Caves.bmp", "bmp\\back\\Keep.bmp"};
  return f;
}
