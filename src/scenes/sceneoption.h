// The options page: palette, music, sound volume, ranking mode and ranking name of the player's
// options record. Palette and volume act while edited, music when the page is left; the record is
// written on every leave.
#pragma once
#include <cstdint>
#include <vector>

#include "core/checked.h"
#include "gfx/records.h"
#include "scenes/scene.h"

// Option command kinds: a command's index in the system data's option list. The order is the one
// the stored lists' labels name ("BGM", "SE", ranking mode, ranking name, back); the 8-bit palette,
// which only 8-bit colour modes use, is the sixth.
enum eOptionCmd {
  OPTION_BGM = 0,
  OPTION_VOLUME = 1,
  OPTION_RANKMODE = 2,
  OPTION_RANKNAME = 3,
  OPTION_LEAVE = 4,
  OPTION_PALETTE = 5,
};

class cSceneOption : public cScene {
 public:
  cSceneOption();
  ~cSceneOption() override;
  void Run() override;
  void Init() override;
  int FadeIn() override;
  int FadeOut() override;
  int StateOptions();

  void BuildPage();
  void DrawPage(DDSURFACEDATA* surface);
  void Show();
  // The music switch takes effect: the manager released when switched off, made again when on.
  static void ApplyBgmSwitch();

  std::vector<int> m_vEntry;  // option kind of each visible row: at least one
  int m_nEditKind = 0;
  int m_nSavedValue = 0;
  int32_t* m_pValue = nullptr;
  int m_nMin = 0;
  int m_nMax = 0;
  cCheckedVector<DDSURFACEDATA> m_vWorkSD;
  cCheckedVector<DDBITMAPDATA> m_vWorkBD;

 private:
  static int (cSceneOption::*const kHandlers[3])();
  void Choose();
  void Edit();
  void ApplyEffect();
  void RedrawPage();
};

// The sound-effect volume of the options applied to every runtime sound, absolute.
void ApplySoundVolume(int step);
