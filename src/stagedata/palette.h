// Palettes: the lists of block, character and item definitions that definitions name as templates
// and that summon commands create from. The common palette ("data\CommonPalette.cplt4") serves every
// stage; each stage has a palette of its own. Entry 0 of every list is the reserved blank definition.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/checked.h"
#include "core/record.h"
#include "stagedata/blockdata.h"
#include "stagedata/charadata.h"
#include "stagedata/flow.h"
#include "stagedata/itemdata.h"
#include "stagedata/listindex.h"

// The three lists of a palette, wherever they are kept.
struct cPaletteRef {
  cCheckedVector<cBlockData>& m_vBlock;
  cCheckedVector<cCharaData>& m_vChara;
  cCheckedVector<cItemData>& m_vItem;

  cPaletteSizes Sizes() const { return {m_vBlock.size(), m_vChara.size(), m_vItem.size()}; }
  template <class T>
  cCheckedVector<T>& List() const;
};

template <>
inline cCheckedVector<cBlockData>& cPaletteRef::List<cBlockData>() const { return m_vBlock; }
template <>
inline cCheckedVector<cCharaData>& cPaletteRef::List<cCharaData>() const { return m_vChara; }
template <>
inline cCheckedVector<cItemData>& cPaletteRef::List<cItemData>() const { return m_vItem; }

class cCommonPaletteData : public cDataRecord {
 public:
  // Each list holds exactly its blank entry 0.
  cCommonPaletteData();

  // The empty body, the three lists (each entry inheriting and checking itself as it is read), the
  // blank entries 0, every inherit flag cleared (common templates never inherit), Normalize.
  int Read(cDataFile& file) override;
  // Normalize, the empty body, the three lists.
  int Write(cDataFile& file) override;
  // Fills each list up to 2 entries and checks every definition.
  void Normalize();

  cPaletteRef Lists() { return {m_vBlock, m_vChara, m_vItem}; }

  cCheckedVector<cBlockData> m_vBlock;
  cCheckedVector<cCharaData> m_vChara;
  cCheckedVector<cItemData> m_vItem;
};

extern cCommonPaletteData g_CommonPalette;

inline cPaletteRef CommonPalette() { return g_CommonPalette.Lists(); }
// The palette that stage references (kind 2) name: the palette of the stage being played
// (g_StageData), or on a thread that reads a stage for play, that of the record it reads into.
cPaletteRef StagePalette();

// The list of class T that a palette kind names (1 common, 2 stage); null for other kinds.
template <class T>
cCheckedVector<T>* PaletteList(int kind) {
  if (kind == PAL_COMMON) return &CommonPalette().List<T>();
  if (kind == PAL_STAGE) return &StagePalette().List<T>();
  return nullptr;
}

// Entry `index` of that list; null for other kinds and for indices outside the list.
template <class T>
T* PaletteEntry(int kind, int index) {
  cCheckedVector<T>* list = PaletteList<T>(kind);
  if (!list || !InList(index, list->size())) return nullptr;
  return &(*list)[static_cast<size_t>(index)];
}

// True for a reference into the common or the stage palette whose index lies outside its list.
template <class T>
bool PaletteRefBroken(int kind, int index) {
  const cCheckedVector<T>* list = PaletteList<T>(kind);
  return list && !InList(index, list->size());
}

// A reference into the common or the stage palette whose index lies outside its list becomes none.
template <class T>
void RepairPaletteRef(int8_t& kind, int16_t& index) {
  if (PaletteRefBroken<T>(kind, index)) {
    kind = PAL_NONE;
    index = 0;
  }
}

// Each list holds exactly its blank entry 0.
void ResetPalette(cPaletteRef palette);
// Reads one list as a sub-record list: it becomes the stored count of blank definitions, and each
// entry then reads itself over its blank one. The whole list stands while its entries read, since an
// entry takes its template as the palettes stand at that moment (a later entry is still blank).
// `stop`, when given, is asked before each entry and fails the read when it says so.
template <class T>
int ReadPaletteList(cCheckedVector<T>& list, cDataFile& file, bool (*stop)(cDataFile&) = nullptr) {
  // Blank definitions cost far more than the bytes of the count that asks for them: a large count
  // is first seen to be followed by that many entries, each read into a scratch entry.
  constexpr uint32_t kUncheckedCount = 256;
  const auto readEntries = [&](auto&& entryAt, uint32_t n) {
    for (uint32_t i = 0; i < n; ++i)
      if ((stop && stop(file)) || !entryAt(i).Read(file)) return false;
    return true;
  };
  uint32_t n = 0;
  if (!file.ReadCount(n, 8)) return 0;  // a body takes at least its two counts
  if (n > kUncheckedCount) {
    const uint64_t start = file.Position();
    T scratch;
    if (!readEntries([&](uint32_t) -> T& { return scratch = T(); }, n) || !file.Seek(start)) return 0;
  }
  list.assign(n, T());
  return readEntries([&](uint32_t i) -> T& { return list[i]; }, n) ? 1 : 0;
}
// The three lists in file order.
int ReadPaletteLists(cPaletteRef palette, cDataFile& file, bool (*stop)(cDataFile&) = nullptr);
void WritePaletteLists(cPaletteRef palette, cDataFile& file);
// The entry 0 of each list that is not empty becomes the blank definition, whatever was stored.
void BlankEntryZero(cPaletteRef palette);
// Each list with fewer than 2 entries is filled up to 2 with blank definitions.
void PadPalette(cPaletteRef palette);
// Checks every definition of three lists (a palette's, or a stage's placed ones): blocks their
// template and item references, characters and items their references and their flows' or
// commands' palette references.
void CheckDefinitions(cPaletteRef lists);
