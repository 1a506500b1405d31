#include "gamefolder/gamefolder.h"

#include "authoring/stageauthor.h"
#include "gamefolder/database_files.h"
#include "gamefolder/filebytes.h"
#include "platform/fs/path.h"

namespace {

// The folders start-up reads from; the user's folder is made by start-up itself.
constexpr const char* kFolders[] = {"data", "data\\database", "data\\stg4", "bmp", "bmp\\plt", "bmp\\back", "wave", "bgm"};

// A path's folder part (up to the last backslash), or "" for a file at the top.
std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool MakeFolders(const std::string& path) {
  const std::string folder = FolderOf(path);
  if (folder.empty()) return true;
  return MakeFolders(folder) && MakeGameDirectory(folder);
}

// "data\System.dat" checks its menu music numbers against the music list of the live database as it
// writes them; the folder's own list stands in for it meanwhile, so that its numbers are kept.
bool SaveSystemData(GameFolder& f) {
  std::swap(g_Database.m_vBgm, f.database.m_vBgm);
  const int saved = f.system.Save("data\\System.dat");
  std::swap(g_Database.m_vBgm, f.database.m_vBgm);
  return saved == 1;
}

}  // namespace

GameFolder BasicGameFolder(const std::string& stagePath) {
  GameFolder f;
  f.system.SetDefault();
  for (int i = 0; i < 17; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "wave\\sys%02d.wav", i);
    f.system.m_vSysSound.At(i) = name;
    // Rising blips for the menu sounds, falling glides and noise for the game's events.
    SynthWave w;
    w.path = name;
    w.kind = i % 3 == 2 ? SynthWave::kNoise : (i % 3 == 1 ? SynthWave::kSquare : SynthWave::kTone);
    w.startHz = 300 + 60 * i;
    w.endHz = i % 2 ? w.startHz * 2 : w.startHz / 2;
    w.ms = 80 + 10 * i;
    w.bits = i % 2 ? 8 : 16;
    f.waves.push_back(w);
  }

  // The world map: four tile kinds, a road along row 5 and one place with the stage's entrance.
  cWorldMapData& map = f.worldMap;
  map.SetDefault();
  const char* const kinds[] = {"water", "grass", "road", "hill"};
  for (int k = 0; k < 4; ++k) {
    cMapTileKind& kind = map.m_vTileKind.emplace_back();
    kind.m_nId = k;
    kind.m_bBlocked = k != 2;
    kind.m_nPicture = k;
    kind.m_strName = kinds[k];
  }
  map.SetSize(20, 15);
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 20; ++x) map.m_vCell.At(x + (y << map.m_nShift)) = (x == 0 || y == 0 || x == 19 || y == 14) ? 0 : 1;
  for (int x = 1; x <= 18; ++x) map.m_vCell.At(x + (5 << map.m_nShift)) = 2;
  map.m_nStartX = 1;
  map.m_nStartY = 5;
  AddStageNode(map, 4, 5, stagePath, 1, 0);

  cStageData stage;
  BuildSampleStage(stage);
  f.stages.emplace_back(stagePath, stage);
  return f;
}

void AddStageNode(cWorldMapData& map, int x, int y, const std::string& stagePath, int stageNo, int needFlag) {
  cMapPlace& place = map.m_vPlace.emplace_back();
  place.m_nX = x;
  place.m_nY = y;
  place.m_strName = "Stage";
  cMapNode& node = place.m_vNode.At(0);
  node.m_nKind = MAPNODE_STAGE;
  node.m_nIcon = stageNo - 1;
  node.m_nStageNo = stageNo;
  node.m_nNeedFlag = needFlag;
  node.m_bReplay = 1;
  // The entrance names the file without its version suffix; the loader finds the numbered file.
  std::string entrance = stagePath;
  const size_t suffix = entrance.rfind('_');
  if (suffix != std::string::npos && entrance.find(".stg4_", 0) != std::string::npos) entrance.erase(suffix);
  node.m_strStage = entrance;
  node.m_strCaption = place.m_strName;
}

bool WriteGameFolder(GameFolder& f) {
  for (const char* folder : kFolders)
    if (!MakeGameDirectory(folder)) return false;
  if (!MakeGameDirectory("user_data")) return false;
  if (!WriteDatabaseFiles(f.database)) return false;
  if (!SaveSystemData(f)) return false;
  if (f.worldMap.Save("data\\WorldMap.dat") != 1) return false;
  if (f.palette.Save("data\\CommonPalette.cplt4") != 1) return false;
  for (auto& [path, stage] : f.stages)
    if (!MakeFolders(path) || stage.Save(path.c_str()) != 1) return false;
  if (!WriteFixedBitmaps(f.titleText)) return false;
  for (size_t i = 0; i < f.backgrounds.size(); ++i)
    if (!MakeFolders(f.backgrounds[i]) || !WriteBackdrop(f.backgrounds[i], static_cast<int>(3 + 5 * i))) return false;
  for (const SynthWave& w : f.waves)
    if (!MakeFolders(w.path) || !WriteSynthWave(w)) return false;
  if (!f.tune.empty() && (!MakeFolders(f.tune) || !WriteFileBytes(ResolveHostPath(f.tune), DemoTuneBytes())))
    return false;
  if (!f.systemIni.empty() &&
      !WriteFileBytes(ResolveHostPath("System.ini"), std::vector<uint8_t>(f.systemIni.begin(), f.systemIni.end())))
    return false;
  return true;
}
