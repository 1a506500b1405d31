// A whole game folder written by the project's own code: the records of "data\", the fixed bitmap
// set drawn by code, synthesised waves, a MIDI tune and "System.ini". The demo tool writes the demo
// game with it and the tests write their games with it, so both play the same files.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "gamedata/systemdata.h"
#include "gamedata/worldmap.h"
#include "stagedata/database.h"
#include "stagedata/palette.h"
#include "stagedata/stagedata.h"

// A wave synthesised into a RIFF/WAVE file: a tone gliding from one frequency to another, or a noise
// burst, with a linear fade-out.
struct SynthWave {
  enum Kind { kTone, kSquare, kNoise };
  std::string path;  // game path
  Kind kind = kTone;
  double startHz = 440;
  double endHz = 440;
  int ms = 150;
  int bits = 16;  // 8 or 16
};

struct GameFolder {
  cSystemData system;       // "data\System.dat"
  cDatabase database;       // the ten files of "data\database\"
  cWorldMapData worldMap;   // "data\WorldMap.dat"
  cCommonPaletteData palette;  // "data\CommonPalette.cplt4"
  // Stage files: game path ("data\stg4\name.stg4_914") and the stage.
  std::vector<std::pair<std::string, cStageData>> stages;
  // 640 x 480 background pictures (game paths), drawn as gradients with a pattern.
  std::vector<std::string> backgrounds;
  std::vector<SynthWave> waves;
  // The MIDI tune's game path; empty for none.
  std::string tune;
  // The text of "System.ini"; empty: no file. No frame-rate text (which shows when the file does not
  // turn it off).
  std::string systemIni = "WindowMode=1\r\nDirect3D=1\r\nShowFps=0\r\n";
  // The title drawn on "bmp\Title.bmp".
  std::string titleText = "GAME";
};

// A folder that starts: the records at their defaults, except a world map with tile kinds, one
// place and a stage node naming `stagePath`; one sample stage there; the 17 system sounds; no tune.
GameFolder BasicGameFolder(const std::string& stagePath = "data\\stg4\\Sample.stg4_914");

// A place at (x, y) whose one node is the entrance of the stage file (its version suffix dropped),
// counted as stage `stageNo` and, with needFlag above 0, open only once that flag is set.
void AddStageNode(cWorldMapData& map, int x, int y, const std::string& stagePath, int stageNo, int needFlag);

// Writes the whole folder into the current folder (the game folder), making the folders the game
// reads from; "user_data\" is made when missing and left as it is. False when a file could not be
// written. Two calls with the same folder write the same bytes.
bool WriteGameFolder(GameFolder& folder);

// The 8-bit palette of the game's pictures; entry 0 (the top-left pixel of "bmp\plt\Palette.bmp")
// is the transparent colour.
struct PaletteColour {
  uint8_t r, g, b;
};
PaletteColour GamePaletteColour(int index);
// The palette index that fills cell n of a sheet: one solid colour per cell, never the transparent one.
int CellColourIndex(int cell);
// Width and height of a fixed-set file this writer draws; {0, 0} for a file it does not write.
std::pair<int, int> FixedBitmapSize(const std::string& gamePath);
// Writes the palette picture and every file of the fixed bitmap set this writer draws: all the
// files the set needs and the optional loading picture, character sheets 2 to 8 and title menu strips.
bool WriteFixedBitmaps(const std::string& titleText);

// A 640 x 480 background picture: a gradient of the hue with hills along the bottom.
bool WriteBackdrop(const std::string& gamePath, int hue);
// A synthesised wave file; the same bytes for the same description.
bool WriteSynthWave(const SynthWave& wave);
// The tune: format 1, a tempo track and three instrument tracks.
std::vector<uint8_t> DemoTuneBytes();

// The demo game: three short stages on a world map, title and stage music, waves and pictures.
GameFolder DemoGame();
// Game paths of the demo's stages, in play order.
extern const char* const kDemoStagePaths[3];
