// The surface sets of the game: the fixed bitmap set and the sets the scenes load and release, each
// surface beside its descriptor.
#pragma once
#include "core/checked.h"
#include "gfx/records.h"

constexpr int kAppSurfaceCount = 72;
constexpr int kLoadingPicture = 45;  // "bmp\Loading.bmp"
// Entries of the play screen's drawing.
constexpr int kShotSheet = 20;         // "bmp\Shot.bmp", 21 its mirror
constexpr int kMarkSheet = 43;         // "bmp\Mark.bmp"
constexpr int kStatusWindow = 47;      // "bmp\StatusWindow.bmp"
constexpr int kAccessorySheet = 50;    // "bmp\Accessory.bmp": icons, gauges and the menu cursor
constexpr int kWordSheet = 52;         // "bmp\Word.bmp": 32 x 32 digits
constexpr int kLayerPicture = 56;      // 56..63 the stage's background pictures
constexpr int kBuiltShotSheet = 64;    // 64 and 65 the shot cells, centred in 32 x 32 cells
constexpr int kSightMask = 66;        // the hero's sight mask, 67 its hole mask
constexpr int kEffectWork = 68;        // 640 x 480 work surface in video memory, 69 its system-memory twin

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

// The fixed bitmap set: entry i describes surface i of g_AppSurface. Aliases carry a non-null
// partner marker until LinkBitmapPartners points them at the surface whose texture they show.
extern DDBITMAPDATA g_BitmapSet[kAppSurfaceCount];
// The digit strips of the three fonts and their descriptors.
extern DDSURFACEDATA g_DigitSD[3];
extern DDBITMAPDATA g_DigitBD[3];

// Fills one descriptor; the remaining fields keep their zero value.
DDBITMAPDATA* SetBitmapData(DDBITMAPDATA* bd, const char* file, int colorKey, int ddMemType, int dtMemType,
                            DDSURFACEDATA* partner, int palIndex, int optional, int mirrorWidth, int mirrorHeight,
                            int width, int height);
void BuildBitmapSet();
void BuildDigitRecords();
// The entry whose texture an alias of the set shows, or -1 for an entry that is no alias.
int BitmapPartnerOf(int entry);
// Direct3D only: points every alias of g_AppSurface at its partner's record.
void LinkBitmapPartners();

// The file of entry i of the fixed set as the table names it ("E" for a blank work surface), and
// whether a missing file is allowed; null outside the set. Writers of game folders read it.
const char* FixedBitmapFile(int entry, bool* optional);

// The entries of the fixed set that belong to the play scene: 2..44, 46, 47, 48, 50, 52, 56..71.
bool IsPlaySceneSurface(int entry);
