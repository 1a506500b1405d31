#include "scenes/surfacesets.h"

#include <cstdio>

DDSURFACEDATA g_AppSurface[kAppSurfaceCount];
cCheckedVector<DDSURFACEDATA> g_vCharaBmpSD;
cCheckedVector<DDBITMAPDATA> g_vCharaBmpBD;
cCheckedVector<DDSURFACEDATA> g_vSwordSD;
cCheckedVector<DDBITMAPDATA> g_vSwordBD;
cCheckedVector<DDSURFACEDATA> g_vEffectSD;
cCheckedVector<DDBITMAPDATA> g_vEffectBD;
cCheckedVector<DDSURFACEDATA> g_vMenuSD;
cCheckedVector<DDBITMAPDATA> g_vMenuBD;
cCheckedList<DDSURFACEDATA> g_lstPictureSD;
cCheckedList<DDBITMAPDATA> g_lstPictureBD;
cCheckedList<DDSURFACEDATA> Off_Msg;
cCheckedList<DDBITMAPDATA> g_lstMesBD;

DDBITMAPDATA g_BitmapSet[kAppSurfaceCount];
DDSURFACEDATA g_DigitSD[3];
DDBITMAPDATA g_DigitBD[3];

namespace {

struct BitmapRow {
  const char* file;
  int colorKey, ddMemType, dtMemType;
  int partner;  // entry whose texture the alias shows in Direct3D, -1 for none
  int optional, mirrorWidth, width, height;
};

// Sheets 4..21 come in pairs (plain, mirrored per cell); 22..39 repeat them in system memory, all
// showing the plain sheet's texture. 56..63 are placeholders for the stage's background pictures.
constexpr BitmapRow kBitmapSet[] = {
    {"bmp\\plt\\Palette.bmp", 0, 1, 0, -1, 0, 0, 0, 0},
    {"bmp\\Debug.bmp", 1, 0, 0, -1, 0, 0, 0, 0},
    {"bmp\\Block.bmp", 1, 0, 0, -1, 0, 0, 0, 0},
    {"bmp\\Block.bmp", 1, 1, 0, 2, 0, 0, 0, 0},
    {"bmp\\Character1.bmp", 1, 0, 0, -1, 0, 0, 0, 0},
    {"bmp\\Character1.bmp", 1, 0, 0, 4, 0, 32, 0, 0},
    {"bmp\\Character2.bmp", 1, 0, 0, -1, 1, 0, 0, 0},
    {"bmp\\Character2.bmp", 1, 0, 0, 6, 1, 32, 0, 0},
    {"bmp\\Character3.bmp", 1, 0, 0, -1, 1, 0, 0, 0},
    {"bmp\\Character3.bmp", 1, 0, 0, 8, 1, 32, 0, 0},
    {"bmp\\Character4.bmp", 1, 0, 0, -1, 1, 0, 0, 0},
    {"bmp\\Character4.bmp", 1, 0, 0, 10, 1, 32, 0, 0},
    {"bmp\\Character5.bmp", 1, 0, 0, -1, 1, 0, 0, 0},
    {"bmp\\Character5.bmp", 1, 0, 0, 12, 1, 32, 0, 0},
    {"bmp\\Character6.bmp", 1, 0, 0, -1, 1, 0, 0, 0},
    {"bmp\\Character6.bmp", 1, 0, 0, 14, 1, 32, 0, 0},
    {"bmp\\Character7.bmp", 1, 0, 0, -1, 1, 0, 0, 0},
    {"bmp\\Character7.bmp", 1, 0, 0, 16, 1, 32, 0, 0},
    {"bmp\\Character8.bmp", 1, 0, 0, -1, 1, 0, 0, 0},
    {"bmp\\Character8.bmp", 1, 0, 0, 18, 1, 32, 0, 0},
    {"bmp\\Shot.bmp", 1, 0, 0, -1, 0, 0, 0, 0},
    {"bmp\\Shot.bmp", 1, 0, 0, 20, 0, 16, 0, 0},
    {"bmp\\Character1.bmp", 1, 1, 0, 4, 0, 0, 0, 0},
    {"bmp\\Character1.bmp", 1, 1, 0, 4, 0, 32, 0, 0},
    {"bmp\\Character2.bmp", 1, 1, 0, 6, 1, 0, 0, 0},
    {"bmp\\Character2.bmp", 1, 1, 0, 6, 1, 32, 0, 0},
    {"bmp\\Character3.bmp", 1, 1, 0, 8, 1, 0, 0, 0},
    {"bmp\\Character3.bmp", 1, 1, 0, 8, 1, 32, 0, 0},
    {"bmp\\Character4.bmp", 1, 1, 0, 10, 1, 0, 0, 0},
    {"bmp\\Character4.bmp", 1, 1, 0, 10, 1, 32, 0, 0},
    {"bmp\\Character5.bmp", 1, 1, 0, 12, 1, 0, 0, 0},
    {"bmp\\Character5.bmp", 1, 1, 0, 12, 1, 32, 0, 0},
    {"bmp\\Character6.bmp", 1, 1, 0, 14, 1, 0, 0, 0},
    {"bmp\\Character6.bmp", 1, 1, 0, 14, 1, 32, 0, 0},
    {"bmp\\Character7.bmp", 1, 1, 0, 16, 1, 0, 0, 0},
    {"bmp\\Character7.bmp", 1, 1, 0, 16, 1, 32, 0, 0},
    {"bmp\\Character8.bmp", 1, 1, 0, 18, 1, 0, 0, 0},
    {"bmp\\Character8.bmp", 1, 1, 0, 18, 1, 32, 0, 0},
    {"bmp\\Shot.bmp", 1, 1, 0, 20, 0, 0, 0, 0},
    {"bmp\\Shot.bmp", 1, 1, 0, 20, 0, 16, 0, 0},
    {"bmp\\Item.bmp", 1, 0, 0, -1, 0, 0, 0, 0},
    {"bmp\\Item.bmp", 1, 1, 0, 40, 0, 0, 0, 0},
    {"bmp\\Item_Mini.bmp", 1, 0, 0, -1, 0, 0, 0, 0},
    {"bmp\\Mark.bmp", 1, 0, 0, -1, 0, 0, 0, 0},
    {"bmp\\Mark.bmp", 1, 1, 0, 43, 0, 0, 0, 0},
    {"bmp\\Loading.bmp", 1, 0, 0, -1, 1, 0, 0, 0},
    {"bmp\\Window.bmp", 1, 0, 0, -1, 0, 0, 0, 0},
    {"bmp\\StatusWindow.bmp", 1, 0, 0, -1, 0, 0, 0, 0},
    {"bmp\\Title.bmp", 0, 0, 0, -1, 0, 0, 0, 0},
    {"bmp\\GameMode.bmp", 1, 0, 0, -1, 1, 0, 0, 0},
    {"bmp\\Accessory.bmp", 1, 0, 0, -1, 0, 0, 0, 0},
    {"bmp\\Symbol.bmp", 1, 0, 0, -1, 0, 0, 0, 0},
    {"bmp\\Word.bmp", 1, 0, 0, -1, 0, 0, 0, 0},
    {"bmp\\WorldMapChip.bmp", 1, 0, 0, -1, 0, 0, 0, 0},
    {"bmp\\WorldEvent.bmp", 1, 1, 0, -1, 0, 0, 0, 0},
    {"bmp\\WorldBack.bmp", 0, 1, 0, -1, 1, 0, 0, 0},
    {"背景その1.bmp", 1, 0, 0, -1, 1, 0, 0, 0},
    {"背景その2.bmp", 1, 0, 0, -1, 1, 0, 0, 0},
    {"背景その3.bmp", 1, 0, 0, -1, 1, 0, 0, 0},
    {"背景その4.bmp", 1, 0, 0, -1, 1, 0, 0, 0},
    {"背景その5.bmp", 1, 0, 0, -1, 1, 0, 0, 0},
    {"背景その6.bmp", 1, 0, 0, -1, 1, 0, 0, 0},
    {"背景その7.bmp", 1, 0, 0, -1, 1, 0, 0, 0},
    {"背景その8.bmp", 1, 0, 0, -1, 1, 0, 0, 0},
    {"E", 1, 1, 0, -1, 0, 0, 256, 960},
    {"E", 1, 1, 0, -1, 0, 0, 256, 960},
    {"E", 1, 1, 0, -1, 0, 0, 640, 480},
    {"E", 0, 1, 0, -1, 0, 0, 640, 480},
    {"E", 1, 0, 0, -1, 0, 0, 640, 480},
    {"E", 1, 1, 0, 68, 0, 0, 640, 480},
    {"E", 1, 0, 2, -1, 0, 0, 1024, 1024},
    {"E", 1, 1, 1, -1, 0, 0, 1024, 1024},
};
static_assert(sizeof kBitmapSet / sizeof kBitmapSet[0] == kAppSurfaceCount);

// The descriptor only tests its partner for null; the real address is written by LinkBitmapPartners.
DDSURFACEDATA* const kPartnerMarker = reinterpret_cast<DDSURFACEDATA*>(1);

}  // namespace

DDBITMAPDATA* SetBitmapData(DDBITMAPDATA* bd, const char* file, int colorKey, int ddMemType, int dtMemType,
                            DDSURFACEDATA* partner, int palIndex, int optional, int mirrorWidth, int mirrorHeight,
                            int width, int height) {
  *bd = DDBITMAPDATA{};
  std::snprintf(bd->szFileName, sizeof bd->szFileName, "%s", file ? file : "");
  bd->bColorKey = colorKey;
  bd->nDDMemType = ddMemType;
  bd->nDTMemType = dtMemType;
  bd->lpPartner = partner;
  bd->bPalIndex = palIndex;
  bd->bOptional = optional;
  bd->nMirrorWidth = mirrorWidth;
  bd->nMirrorHeight = mirrorHeight;
  bd->nWidth = width;
  bd->nHeight = height;
  return bd;
}

void BuildBitmapSet() {
  for (int i = 0; i < kAppSurfaceCount; ++i) {
    const BitmapRow& r = kBitmapSet[i];
    SetBitmapData(&g_BitmapSet[i], r.file, r.colorKey, r.ddMemType, r.dtMemType,
                  r.partner >= 0 ? kPartnerMarker : nullptr, 0, r.optional, r.mirrorWidth, 0, r.width, r.height);
  }
}

void BuildDigitRecords() {
  for (DDBITMAPDATA& bd : g_DigitBD) SetBitmapData(&bd, "", 1, 0, 0, nullptr, 0, 0, 0, 0, 0, 0);
}

int BitmapPartnerOf(int entry) {
  if (entry < 0 || entry >= kAppSurfaceCount) return -1;
  return kBitmapSet[entry].partner;
}

const char* FixedBitmapFile(int entry, bool* optional) {
  if (entry < 0 || entry >= kAppSurfaceCount) return nullptr;
  if (optional) *optional = kBitmapSet[entry].optional != 0;
  return kBitmapSet[entry].file;
}

void LinkBitmapPartners() {
  for (int i = 0; i < kAppSurfaceCount; ++i) {
    int partner = BitmapPartnerOf(i);
    if (partner >= 0) g_AppSurface[i].lpPartner = &g_AppSurface[partner];
  }
}

bool IsPlaySceneSurface(int entry) {
  return (entry >= 2 && entry <= 44) || entry == 46 || entry == 47 || entry == 48 || entry == 50 || entry == 52 ||
         (entry >= 56 && entry <= 71);
}
