#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <vector>

#include "objects/objects_fixture.h"

namespace {

struct Pos {
  double x, y;
  bool operator==(const Pos&) const = default;
};

void PrintTo(const Pos& p, std::ostream* os) {
  char text[96];
  std::snprintf(text, sizeof text, "{%a, %a}", p.x, p.y);
  *os << text;
}

class TrajectoryTest : public ObjectsTest {};

// A walking character falls; in the third sub-step a hit knocks it up and to the left. Each sub-step
// runs the play step's order, the root's moves standing in for the kinds': the horizontal move
// takes the impact as its speed (the character has no move of its own), then gravity, then the
// vertical move beginning with the impact's step, then the decays.
TEST_F(TrajectoryTest, FallingObjectHitByAnImpact) {
  g_StageData.SetCollisionLevel(4);  // n = 4, gravity 0.025 per sub-step
  cCharaBase c;
  c.m_nHitW = c.m_nHitH = 32;
  c.m_dX = 800;
  c.m_dY = 600;
  c.m_dSpeedY = 0.5;
  c.CheckBoundsX(2);
  c.CheckBoundsY(2);
  std::vector<Pos> path;
  for (int step = 0; step < 24; ++step) {
    if (step == 2) {
      int out = 0;
      c.ApplyImpact(3, -1, -3, out);
    }
    c.m_dSpeedX = c.m_dImpactX;
    c.ApplySpeedX(2);
    c.ApplyFallGravity();
    c.StepImpactY();
    c.ApplySpeedY(2);
    c.DecayImpactX();
    c.DecayImpactY();
    path.push_back({c.m_dX, c.m_dY});
  }
  // Exact doubles. Steps 0-1 fall. The hit stops the fall: the object rises by the impact's
  // decaying share alone (no gravity while the impact rises) and moves left until the horizontal
  // impact has decayed (step 11). Once the vertical impact is gone (step 18) its last share stays in
  // the speed and gravity takes over: the rise slows and turns into a fall at step 23.
  const std::vector<Pos> expected = {
      {0x1.9p+9, 0x1.2c43333333333p+9},
      {0x1.9p+9, 0x1.2c89999999999p+9},
      {0x1.8ed60ead2f0acp+9, 0x1.2a7a4e6c5bbb2p+9},
      {0x1.8dcc1d5a5e158p+9, 0x1.288b033f1ddcap+9},
      {0x1.8ce22c078d204p+9, 0x1.26bbb811dffe2p+9},
      {0x1.8c183ab4bc2bp+9, 0x1.250c6ce4a21fap+9},
      {0x1.8b6e4961eb35cp+9, 0x1.237d21b764412p+9},
      {0x1.8ae4580f1a408p+9, 0x1.220dd68a2662ap+9},
      {0x1.8a7a66bc494b4p+9, 0x1.20be8b5ce8842p+9},
      {0x1.8a3075697856p+9, 0x1.1f8f402faaa5ap+9},
      {0x1.8a068416a760cp+9, 0x1.1e7ff5026cc72p+9},
      {0x1.89fc92c3d66b8p+9, 0x1.1d90a9d52ee8ap+9},
      {0x1.89fc92c3d66b8p+9, 0x1.1cc15ea7f10a2p+9},
      {0x1.89fc92c3d66b8p+9, 0x1.1c12137ab32bap+9},
      {0x1.89fc92c3d66b8p+9, 0x1.1b82c84d754d2p+9},
      {0x1.89fc92c3d66b8p+9, 0x1.1b137d20376eap+9},
      {0x1.89fc92c3d66b8p+9, 0x1.1ac431f2f9902p+9},
      {0x1.89fc92c3d66b8p+9, 0x1.1a94e6c5bbb1ap+9},
      {0x1.89fc92c3d66b8p+9, 0x1.1a859b987dd32p+9},
      {0x1.89fc92c3d66b8p+9, 0x1.1a79839e7327ep+9},
      {0x1.89fc92c3d66b8p+9, 0x1.1a709ed79bafdp+9},
      {0x1.89fc92c3d66b8p+9, 0x1.1a6aed43f76afp+9},
      {0x1.89fc92c3d66b8p+9, 0x1.1a686ee386594p+9},
      {0x1.89fc92c3d66b8p+9, 0x1.1a6923b6487acp+9},
  };
  EXPECT_EQ(path, expected);
}

}  // namespace
