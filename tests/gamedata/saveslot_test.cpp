#include <gtest/gtest.h>

#include "gamedata/savedata.h"
#include "gamedata/saveslot.h"
#include "progress_fixture.h"
#include "support/bytes.h"

namespace {

class SaveSlotTest : public ProgressTest {
 protected:
  // Saves a progress stamped with the time into the slot's file.
  static void WriteSlot(int slot, const SYSTEMTIME& time) {
    cSaveData s;
    s.m_SaveTime = time;
    ASSERT_EQ(s.Save(GetStoryPath(slot).c_str()), 1);
  }
};

TEST_F(SaveSlotTest, TheListShowsTheSlotsWhoseFilesOpenWithTheirDates) {
  WriteSlot(2, MakeTime(2023, 7, 14, 9, 5));
  // Slot 5: written by a newer program. Slot 7: cut short after its date.
  WriteSlot(5, MakeTime(2022, 1, 1, 0, 0));
  std::vector<uint8_t> newer = ReadFileBytes("user_data/story/Story06.dat");
  newer[0] = 0x93;  // version 915
  newer[1] = 0x03;
  ASSERT_TRUE(WriteFileBytes("user_data/story/Story06.dat", newer));
  WriteSlot(7, MakeTime(2021, 12, 31, 23, 1));
  std::vector<uint8_t> cut = ReadFileBytes("user_data/story/Story08.dat");
  cut.resize(cut.size() / 2);
  ASSERT_TRUE(WriteFileBytes("user_data/story/Story08.dat", cut));

  cSaveSlotList list(kSaveSlotCount);
  list[5].m_bUsed = 1;
  list[5].m_Time = MakeTime(1999, 9, 9, 9, 9);
  list[40].m_bUsed = 1;
  LoadSaveSlotList(list);
  for (int i = 0; i < kSaveSlotCount; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(list[i].m_bUsed, i == 2 || i == 7 ? 1 : 0);
  }
  EXPECT_EQ(list[2].GetDateText(), "2023/07/14 09:05\n");
  EXPECT_EQ(list[7].GetDateText(), "2021/12/31 23:01\n");
  // An entry found empty keeps its old time, and shows no date.
  EXPECT_EQ(list[5].m_Time.wYear, 1999);
  EXPECT_EQ(list[5].GetDateText(), "");
}

TEST_F(SaveSlotTest, TheListPanelDrawsEveryRowAndStopsTheSlotsAtTheListEnd) {
  cSaveSlotList list(kSaveSlotCount);
  list[96].m_bUsed = 1;
  list[96].m_Time = MakeTime(2020, 2, 3, 4, 5);
  const cPanelLayout layout = GetSaveSlotListLayout(100, 50, list, 95, 8);
  EXPECT_EQ(layout.m_Window, (cPanelBox{100, 50, 320, 128}));
  ASSERT_EQ(layout.m_vFill.size(), 7u);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(layout.m_vFill[i], (cPanelFill{{100, 50 + 16 * i + 15, 320, 1}, 240}));
  const std::vector<cPanelText> texts = {{116, 50, "96"},
                                         {116, 66, "97"},
                                         {164, 66, "2020/02/03 04:05\n"},
                                         {116, 82, "98"},
                                         {116, 98, "99"}};
  EXPECT_EQ(layout.m_vText, texts);
  EXPECT_FALSE(layout.m_bCursor);

  EXPECT_TRUE(GetSaveSlotListLayout(0, 0, cSaveSlotList(), 0, 3).m_vText.empty());
}

}  // namespace
