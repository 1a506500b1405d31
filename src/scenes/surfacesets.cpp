#include "scenes/surfacesets.h"

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

bool IsPlaySceneSurface(int entry) {
  return (entry >= 2 && entry <= 44) || entry == 46 || entry == 47 || entry == 48 || entry == 50 || entry == 52 ||
         (entry >= 56 && entry <= 71);
}
