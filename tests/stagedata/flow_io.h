// Byte images of commands, flows and key conditions as files of a given data version store them, for
// the tests of the flow and command records. Use inside a TempDirTest.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/datafile.h"
#include "stagedata/flow.h"
#include "stagedata/cmdparts_io.h"
#include "support/bytes.h"

namespace flowbody {

using Bytes = std::vector<uint8_t>;

// The body a block writes when the program's data version is `version`: the layout that version
// stores.
inline Bytes BlockAt(uint32_t version, cDataRecord& block) {
  const int32_t saved = g_nDataVersion;
  g_nDataVersion = static_cast<int32_t>(version);
  Bytes body = WrittenBody(block);
  g_nDataVersion = saved;
  return body;
}

struct Cmd {
  int8_t category = 0;
  int8_t kind = 0;
  int16_t time = 0;
  int16_t timeStep = 0;
  int8_t goOn = 0;
  int16_t sound = 0;
  int8_t soundOnScreen = 1;
  int16_t anime = 0;
  std::string text;
  std::optional<Bytes> move, shot, cond;  // block bodies; absent blocks are stored as flag 0
  std::vector<Bytes> flows;
  std::vector<int32_t> params;
  std::optional<int32_t> paramCount;  // stored in place of the real count when set
};

inline void Block(ByteWriter& w, const std::optional<Bytes>& b) {
  w.I32(b ? 1 : 0);
  if (b) w.Raw(b->data(), b->size());
}

inline void List(ByteWriter& w, const std::vector<Bytes>& elements) {
  w.U32(static_cast<uint32_t>(elements.size()));
  for (const Bytes& e : elements) w.Raw(e.data(), e.size());
}

inline Bytes CmdBody(uint32_t version, const Cmd& c) {
  ByteWriter w;
  w.U32(8).I8(c.category).I8(c.kind).I16(c.time).I16(c.timeStep).I8(c.goOn).I16(c.sound).I8(c.soundOnScreen);
  w.I16(c.anime).U32(1).Str(c.text);
  Block(w, c.move);
  Block(w, c.shot);
  if (version >= 764) Block(w, c.cond);
  List(w, c.flows);
  w.I32(c.paramCount.value_or(static_cast<int32_t>(c.params.size())));
  for (int32_t p : c.params) w.I32(p);
  return w.bytes;
}

struct KeyCond {
  int8_t mirror = 0;
  int16_t holdMin = 0;
  int16_t holdMax = 0;
  int8_t anyHold = 0;
  int8_t mode = 0;
  std::vector<uint8_t> keys = std::vector<uint8_t>(19, 0);
  std::optional<int32_t> keyCount;  // stored in place of the real count when set
};

inline Bytes KeyCondBody(const KeyCond& k) {
  ByteWriter w;
  w.U32(5).I8(k.mirror).I16(k.holdMin).I16(k.holdMax).I8(k.anyHold).I8(k.mode).U32(0);
  w.I32(k.keyCount.value_or(static_cast<int32_t>(k.keys.size())));
  w.Raw(k.keys.data(), k.keys.size());
  return w.bytes;
}

struct Flow {
  std::string name;
  int8_t key = 0, flowId = 0, testOnly = 0, condLogic = 0, condLatch = 0, trigger = 0;
  int8_t bindPartner = 0, partnerTarget = 0, keyGap = 3, keyLatch = 0;
  std::vector<Bytes> conds = {}, keyConds = {}, cmds = {};
};

// Gives a flow record the members of a stored flow (name included).
inline void SetMembers(cFlow& f, const Flow& s) {
  f.m_strName = s.name;
  f.m_nKey = s.key;
  f.m_nFlowId = s.flowId;
  f.m_bTestOnly = s.testOnly;
  f.m_nCondLogic = s.condLogic;
  f.m_bCondLatch = s.condLatch;
  f.m_nTrigger = s.trigger;
  f.m_bBindPartner = s.bindPartner;
  f.m_nPartnerTarget = s.partnerTarget;
  f.m_nKeyGap = s.keyGap;
  f.m_bKeyLatch = s.keyLatch;
}

inline Bytes FlowBody(uint32_t version, const Flow& f) {
  ByteWriter w;
  w.U32(8 + (version >= 762) + (version >= 767));
  w.I8(f.key).I8(f.flowId).I8(f.testOnly).I8(f.condLogic).I8(f.condLatch).I8(f.trigger);
  if (version >= 762) w.I8(f.bindPartner);
  if (version >= 767) w.I8(f.partnerTarget);
  w.I8(f.keyGap).I8(f.keyLatch);
  if (version >= 676) w.U32(1).Str(f.name);
  else w.U32(0);
  List(w, f.conds);
  List(w, f.keyConds);
  List(w, f.cmds);
  return w.bytes;
}

}  // namespace flowbody
