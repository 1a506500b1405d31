// The surface sets of the game: the fixed bitmap set and the sets the scenes load and release, each
// surface beside its descriptor.
#pragma once
#include "core/checked.h"
#include "gfx/records.h"

constexpr int kAppSurfaceCount = 72;
constexpr int kLoadingPicture = 45;  // "bmp\Loading.bmp"

extern DDSURFACEDATA g_AppSurface[kAppSurfaceCount];
extern cCheckedVector<DDSURFACEDATA> g_vCharaBmpSD;
extern cCheckedVector<DDBITMAPDATA> g_vCharaBmpBD;
extern cCheckedVector<DDSURFACEDATA> g_vSwordSD;
extern cCheckedVector<DDBITMAPDATA> g_vSwordBD;
extern cCheckedVector<DDSURFACEDATA> g_vEffectSD;
extern cCheckedVector<DDBITMAPDATA> g_vEffectBD;
extern cCheckedVector<DDSURFACEDATA> g_vMenuSD;
extern cCheckedVector<DDBITMAPDATA> g_vMenuBD;
extern cCheckedList<DDSURFACEDATA> g_lstPictureSD;
extern cCheckedList<DDBITMAPDATA> g_lstPictureBD;
extern cCheckedList<DDSURFACEDATA> Off_Msg;
extern cCheckedList<DDBITMAPDATA> g_lstMesBD;

// The entries of the fixed set that belong to the play scene: 2..44, 46, 47, 48, 50, 52, 56..71.
bool IsPlaySceneSurface(int entry);
