#include "flow/exectable.h"

#include "core/log.h"
#include "flow/flowinst.h"
#include "stagedata/flow.h"

std::array<CmdExecFn, kCmdKindCount> g_CmdExecTable{};
std::array<ItemCmdExecFn, kItemCmdKindCount> g_ItemCmdExecTable{};

namespace {

// Reports a kind that no table holds, once per run and table.
template <class Table>
typename Table::value_type EntryOf(const Table& table, int kind, bool& reported, const char* what) {
  if (kind >= 0 && kind < static_cast<int>(table.size())) return table[kind];
  if (!reported) {
    reported = true;
    ReportLog("%s: unknown command kind %d ignored", what, kind);
  }
  return nullptr;
}

}  // namespace

int DispatchCmd(cCharaBase* subject, cCmdInstance* cmd) {
  static bool reported = false;
  if (!cmd || !cmd->m_pCmd) return 0;
  CmdExecFn fn = EntryOf(g_CmdExecTable, cmd->m_pCmd->m_nKind, reported, "ExecCmd");
  return fn ? fn(subject, cmd) : 0;
}

int DispatchItemCmd(cCharaBase* subject, const cFlowCmd* cmd) {
  static bool reported = false;
  if (!cmd) return 0;
  ItemCmdExecFn fn = EntryOf(g_ItemCmdExecTable, cmd->m_nKind, reported, "ItemCmd");
  return fn ? fn(subject, cmd) : 0;
}
