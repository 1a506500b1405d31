#include "gamedata/datapath.h"

#include <string>

#include "core/log.h"
#include "platform/fs/copytree.h"
#include "platform/fs/path.h"
#include "platform/win/msgbox.h"

const char* const g_DataPath[kDataPathCount] = {
    "data\\",
    "default\\",
    "data\\stg4\\old_ver\\",
    "data\\work\\",
    "e_data\\SheetSize.dat",
    "e_data\\EditConfig.dat",
    "data\\PrjOption.dat",
    "default\\PrjOption.dat",
    "data\\CommonPalette.cplt4",
    "default\\CommonPalette.cplt4",
    "data\\GValInfo.dat",
    "default\\GValInfo.dat",
    "data\\stg4\\Default.stg4_***",
    "default\\stg4\\Default.stg4_***",
    "data\\WorldMap.dat",
    "default\\WorldMap.dat",
    "data\\database\\AnimeSet.dat",
    "default\\database\\AnimeSet.dat",
    "data\\database\\Anime.dat",
    "default\\database\\Anime.dat",
    "data\\database\\Bmp_CharaExc.dat",
    "default\\database\\Bmp_CharaExc.dat",
    "data\\database\\SwordType.dat",
    "default\\database\\SwordType.dat",
    "data\\database\\Effect.dat",
    "default\\database\\Effect.dat",
    "data\\database\\CharaEffect.dat",
    "default\\database\\CharaEffect.dat",
    "data\\database\\ScrEffect.dat",
    "default\\database\\ScrEffect.dat",
    "data\\database\\Picture.dat",
    "default\\database\\Picture.dat",
    "data\\database\\Sound.dat",
    "default\\database\\Sound.dat",
    "data\\database\\Bgm.dat",
    "default\\database\\Bgm.dat",
    "data\\System.dat",
    "default\\System.dat",
    "data\\stg4\\c",
    "user_data\\story\\",
    "user_data\\challenge\\",
    "user_data\\free\\",
    "user_data\\story\\Story",
    "user_data\\challenge\\Challenge.dat",
    "user_data\\Option.dat",
    "user_data\\",
    "user_data\\KeyConfig.dat",
    "user_data\\Boot.dat",
    "user_data\\Window.dat",
};

const char* const g_FileExt[kFileExtCount] = {"cplt4", "stg4", "plt4", "rkg"};

int CreateDefaultData(HWND owner) {
  if (GamePathIsDirectory(g_DataPath[DATAPATH_DATA])) return 1;
  if (!GamePathIsDirectory(g_DataPath[DATAPATH_DEFAULT])) return 0;
  if (MessageBoxA(owner, "データが存在しません！デフォルトデータを作成しますか？\n", "デフォルトデータ作成の確認",
                  MB_YESNO) != IDYES)
    return 0;
  // The copy appears whole or not at all, so a failure leaves no "data\" to be taken for complete.
  std::string error;
  if (CopyGameDirectory(g_DataPath[DATAPATH_DEFAULT], g_DataPath[DATAPATH_DATA], &error)) return 1;
  ReportLog("CreateDefaultData : %s", error.c_str());
  return 0;
}
