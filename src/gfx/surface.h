// Blank surfaces, the Direct3D texture-size rules, surface lists and release.
#pragma once
#include "core/checked.h"
#include "gfx/records.h"

// A texture that cannot be made ends the program: the texture error text in a box, then WM_CLOSE.
void DDTextureFailureExit();

// Gives the record a part for the selected back end (an existing part is kept).
void DDNewSurfaceData(DDSURFACEDATA* lpSD);
// Direct3D, a surface made for the first time: its name, file, memory type, colour-key flag and
// partner, no device objects yet, and without a partner its number and its quad's vertex buffer.
// The result of the vertex buffer's creation.
HRESULT DDStartSurfacePart(DDSURFACEDATA* lpSD, const char* name, const char* file, int dtMemType, int colorKey,
                           DDSURFACEDATA* partner);

// Makes a blank surface. Colour-key flag 1: the surface is drawn with its transparent colour. The
// restore flag is 1 only when the recovery after a lost device re-creates an existing surface.
BOOL DDCreateSurface(DDSURFACEDATA* lpSD, int width, int height, int colorKey, int ddMemType, int dtMemType,
                     DDSURFACEDATA* partner, int restore);

void DDAdjustTextureSize(int* width, int* height);
// 1 when both sides fit the device's largest texture; each side that does not is reported.
int DDCheckTextureSize(unsigned width, unsigned height);

// Append a record and its descriptor to a pair of containers and create the new surface.
BOOL DDAddSurface(cCheckedVector<DDSURFACEDATA>& surfaces, cCheckedVector<DDBITMAPDATA>& bitmaps, int width,
                  int height, int colorKey, int ddMemType, int dtMemType, DDSURFACEDATA* partner);
BOOL DDAddSurfaceToList(cCheckedList<DDSURFACEDATA>& surfaces, cCheckedList<DDBITMAPDATA>& bitmaps, int width,
                        int height, int colorKey, int ddMemType, int dtMemType, DDSURFACEDATA* partner);
// Inserts before position index (a negative index counts as 0, one at or past the end appends).
BOOL DDInsertSurface(cCheckedList<DDSURFACEDATA>& surfaces, cCheckedList<DDBITMAPDATA>& bitmaps, int index,
                     int width, int height, int colorKey, int ddMemType, int dtMemType, DDSURFACEDATA* partner);
// Releases and removes the record and the descriptor at its position; 0 when it is not in the list.
int DDRemoveSurface(cCheckedList<DDSURFACEDATA>& surfaces, cCheckedList<DDBITMAPDATA>& bitmaps,
                    DDSURFACEDATA* lpSD);

// FALSE (after a debug-log line) for the creation codes 4, 8 and 9.
BOOL DDCheckResult(int code);
// DirectDraw: *out = 1 when the bitmap is wider or higher than the maxima; 0 when it cannot be read.
int DDCheckBitmapSize(int* out, const char* file, int maxWidth, int maxHeight);
// Re-creates the surfaces at the given indexes of the array from the application's descriptors.
BOOL DDReloadBitmaps(DDSURFACEDATA* surfaces, int* indexes, int count);

void DDReleaseSurface(DDSURFACEDATA* lpSD);
void DDDestroySurface(DDSURFACEDATA* lpSD);
void DDReleaseSurfaceVector(cCheckedVector<DDSURFACEDATA>& surfaces);
void DDReleaseSurfaceList(cCheckedList<DDSURFACEDATA>& surfaces);
