// SDL's keyboard, mouse and joystick events as the key and joystick state the game polls.
#include <gtest/gtest.h>

#include "platform/win/keys.h"
#include "platform/win/sdlinput.h"

namespace {

class SdlInput : public ::testing::Test {
 protected:
  void SetUp() override { ResetKeyStateStandIn(); }
  void TearDown() override {
    for (int id : {7, 8, 9}) DetachJoystickStandIn(id);
    ReleaseAllKeysStandIn();
    ResetKeyStateStandIn();
  }
  static bool Held(int vKey) { return (GetAsyncKeyState(vKey) & 0x8000) != 0; }
  static JOYINFOEX Poll(UINT slot, UINT* result) {
    JOYINFOEX info{};
    info.dwSize = sizeof info;
    info.dwFlags = JOY_RETURNX | JOY_RETURNY | JOY_RETURNBUTTONS;
    *result = joyGetPosEx(slot, &info);
    return info;
  }
};

TEST_F(SdlInput, ScancodesGiveTheGamesVirtualKeys) {
  // Scancodes are USB usage numbers.
  struct Case {
    int scancode, vKey;
  };
  for (Case c : {Case{4, 'A'}, Case{29, 'Z'}, Case{30, '1'}, Case{39, '0'}, Case{40, VK_RETURN},
                 Case{41, VK_ESCAPE}, Case{44, VK_SPACE}, Case{58, VK_F1}, Case{69, VK_F12}, Case{79, VK_RIGHT},
                 Case{80, VK_LEFT}, Case{81, VK_DOWN}, Case{82, VK_UP}, Case{88, VK_RETURN}, Case{98, VK_NUMPAD0},
                 Case{89, VK_NUMPAD0 + 1}, Case{225, VK_LSHIFT}, Case{229, VK_RSHIFT}, Case{0, 0}, Case{300, 0}})
    EXPECT_EQ(VirtualKeyOfScancode(c.scancode), c.vKey) << c.scancode;
}

TEST_F(SdlInput, EitherSideHoldsTheCommonKeyAndLosingFocusReleasesAll) {
  KeyEventStandIn(VK_LSHIFT, true);
  KeyEventStandIn(VK_RSHIFT, true);
  KeyEventStandIn('Z', true);
  EXPECT_TRUE(Held(VK_SHIFT));
  KeyEventStandIn(VK_LSHIFT, false);
  EXPECT_TRUE(Held(VK_SHIFT)) << "the right shift is still down";
  KeyEventStandIn(VK_RSHIFT, false);
  EXPECT_FALSE(Held(VK_SHIFT));
  EXPECT_TRUE(Held('Z'));
  KeyEventStandIn(VK_LMENU, true);
  KeyEventStandIn(VK_LBUTTON, true);
  ReleaseAllKeysStandIn();
  for (int k : {int('Z'), VK_MENU, VK_LMENU, VK_LBUTTON}) EXPECT_FALSE(Held(k)) << k;
  KeyEventStandIn(VK_RMENU, true);
  EXPECT_TRUE(Held(VK_MENU)) << "no side is left stuck by the release";
  KeyEventStandIn(0, true);
  KeyEventStandIn(256, true);  // nothing outside the codes
}

TEST_F(SdlInput, JoysticksTakeSlotsInOrderAndReportAxesButtonsAndHat) {
  EXPECT_EQ(AttachJoystickStandIn(8), 0);
  EXPECT_EQ(AttachJoystickStandIn(9), 1);
  EXPECT_EQ(AttachJoystickStandIn(8), 0) << "attached once";
  UINT rc;
  JOYINFOEX j = Poll(1, &rc);
  EXPECT_EQ(rc, JOYERR_NOERROR);
  EXPECT_EQ(j.dwXpos, 32767u);
  EXPECT_EQ(j.dwYpos, 32767u);

  JoystickAxisStandIn(9, 0, -32768);
  JoystickAxisStandIn(9, 1, 32767);
  JoystickAxisStandIn(9, 2, -32768);  // a third axis is not reported
  JoystickButtonStandIn(9, 0, true);
  JoystickButtonStandIn(9, 3, true);
  JoystickButtonStandIn(9, 0, false);
  j = Poll(1, &rc);
  EXPECT_EQ(j.dwXpos, 0u);
  EXPECT_EQ(j.dwYpos, 65535u);
  EXPECT_EQ(j.dwButtons, 8u);

  JoystickHatStandIn(8, 2 | 1);  // right and up
  j = Poll(0, &rc);
  EXPECT_EQ(j.dwXpos, 65535u);
  EXPECT_EQ(j.dwYpos, 0u);
  JoystickHatStandIn(8, 0);
  j = Poll(0, &rc);
  EXPECT_EQ(j.dwXpos, 32767u) << "the axes again once the hat is let go";

  DetachJoystickStandIn(9);
  Poll(1, &rc);
  EXPECT_EQ(rc, JOYERR_UNPLUGGED);
  EXPECT_EQ(AttachJoystickStandIn(7), 1) << "a freed slot is taken again";
  JoystickButtonStandIn(42, 0, true);  // an unknown joystick changes nothing
}

}  // namespace
