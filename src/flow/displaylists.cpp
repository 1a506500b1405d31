#include "flow/displaylists.h"

#include <algorithm>
#include <iterator>

#include "gfx/surface.h"
#include "scenes/sceneplay.h"
#include "scenes/surfacesets.h"

namespace {

// A removed entry may have been marked finished during a wait: the mark goes with it, so that a
// later entry at the same address is not taken for it.
void ForgetMark(cScenePlay& scene, const void* entry) {
  auto& marks = scene.m_vFinishedDisplay;
  marks.erase(std::remove(marks.begin(), marks.end(), entry), marks.end());
}

}  // namespace

void RemoveMesWindow(cScenePlay& scene, const cMesWindow* window) {
  auto& list = scene.m_lMesWindow;
  auto it = std::find_if(list.begin(), list.end(), [window](const cMesWindow& w) { return &w == window; });
  if (it == list.end()) return;
  if (it->m_pSurface) DDRemoveSurface(Off_Msg, g_lstMesBD, it->m_pSurface);
  ForgetMark(scene, window);
  list.erase(it);
}

void RemovePicture(cScenePlay& scene, const cPictureObj* picture) {
  int k = 0;
  for (const cPictureObj& p : scene.m_lPicture) {
    if (&p == picture) {
      RemovePictureAt(scene, k);
      return;
    }
    ++k;
  }
}

void RemovePictureAt(cScenePlay& scene, int k) {
  if (k < 0 || k >= scene.m_lPicture.Size()) return;
  auto pic = std::next(scene.m_lPicture.begin(), k);
  ForgetMark(scene, &*pic);
  scene.m_lPicture.erase(pic);
  if (k < g_lstPictureSD.Size()) {
    auto sd = std::next(g_lstPictureSD.begin(), k);
    DDReleaseSurface(&*sd);
    g_lstPictureSD.erase(sd);
  }
  if (k < g_lstPictureBD.Size()) g_lstPictureBD.EraseAt(k);
}

void ClearEffects(cScenePlay& scene) {
  for (const cEffectObj& e : scene.m_lEffect) ForgetMark(scene, &e);
  scene.m_lEffect.clear();
}

void ClearPictures(cScenePlay& scene) {
  for (const cPictureObj& p : scene.m_lPicture) ForgetMark(scene, &p);
  scene.FreePictureSurfaces();
}
