#include "stagedata/palette.h"

#include <algorithm>

#include "stagedata/stagedata.h"

cCommonPaletteData g_CommonPalette;

cPaletteRef StagePalette() { return StageBeingRead().Palette(); }

namespace {

// Calls f on each of the three lists.
template <class F>
void ForEachList(cPaletteRef palette, F&& f) {
  f(palette.m_vBlock);
  f(palette.m_vChara);
  f(palette.m_vItem);
}

}  // namespace

void ResetPalette(cPaletteRef palette) {
  ForEachList(palette, [](auto& list) {
    list.clear();
    list.emplace_back();
  });
}

int ReadPaletteLists(cPaletteRef palette, cDataFile& file, bool (*stop)(cDataFile&)) {
  return ReadPaletteList(palette.m_vBlock, file, stop) && ReadPaletteList(palette.m_vChara, file, stop) &&
                 ReadPaletteList(palette.m_vItem, file, stop)
             ? 1
             : 0;
}

void WritePaletteLists(cPaletteRef palette, cDataFile& file) {
  ForEachList(palette, [&](auto& list) { WriteRecordVector(list, file); });
}

void BlankEntryZero(cPaletteRef palette) {
  ForEachList(palette, [](auto& list) {
    if (!list.empty()) list[0].SetDefault();
  });
}

void PadPalette(cPaletteRef palette) {
  ForEachList(palette, [](auto& list) {
    if (list.size() < 2) list.resize(2);
  });
}

void CheckDefinitions(cPaletteRef lists) {
  for (cBlockData& block : lists.m_vBlock) {
    block.CheckPaletteRef();
    block.CheckItemRef();
  }
  for (cCharaData& chara : lists.m_vChara) {
    chara.Validate();
    chara.FixFlows();
  }
  for (cItemData& item : lists.m_vItem) {
    item.Validate();
    item.FixCommands();
  }
}

cCommonPaletteData::cCommonPaletteData() { ResetPalette(Lists()); }

int cCommonPaletteData::Read(cDataFile& file) {
  // The entries are read into the lists in place, as they take their templates from the palette
  // being read; a damaged file puts the lists back as they were.
  cCheckedVector<cBlockData> blocks(m_vBlock);
  cCheckedVector<cCharaData> charas(m_vChara);
  cCheckedVector<cItemData> items(m_vItem);
  if (!cDataRecord::Read(file) || !ReadPaletteLists(Lists(), file)) {
    m_vBlock.swap(blocks);
    m_vChara.swap(charas);
    m_vItem.swap(items);
    return 0;
  }
  BlankEntryZero(Lists());
  ForEachList(Lists(), [](auto& list) {
    for (auto& entry : list) std::fill(entry.m_vInherit.begin(), entry.m_vInherit.end(), 0);
  });
  Normalize();
  return 1;
}

int cCommonPaletteData::Write(cDataFile& file) {
  Normalize();
  cDataRecord::Write(file);
  WritePaletteLists(Lists(), file);
  return file.Failed() ? 0 : 1;
}

void cCommonPaletteData::Normalize() {
  PadPalette(Lists());
  CheckDefinitions(Lists());
}
