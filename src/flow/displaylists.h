// The play scene's display lists as the message, game-wait, effect and picture commands change them:
// entries are found and removed by identity, so that a command that waited removes what it added
// even when other entries came or went meanwhile.
#pragma once

class cScenePlay;
class cMesWindow;
class cPictureObj;

// Removes the window with its surface; nothing when it is no longer in the list.
void RemoveMesWindow(cScenePlay& scene, const cMesWindow* window);
// Removes the picture with its surface and descriptor; nothing when it is no longer in the list.
void RemovePicture(cScenePlay& scene, const cPictureObj* picture);
// Removes picture k with its surface entries.
void RemovePictureAt(cScenePlay& scene, int k);
// Empties the effect list.
void ClearEffects(cScenePlay& scene);
// Releases every picture surface and empties the picture list and both surface lists.
void ClearPictures(cScenePlay& scene);
