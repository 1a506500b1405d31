// Brings a command read from a file of an older data version up to date: parameters were added,
// moved and renumbered over the versions, and kinds from 24 on moved up by one at version 734.
#pragma once
#include <cstdint>

class cFlowCmd;

// Applies, in order, every rule for versions above fileVersion to the command as the rules before
// it left it. Rules for object kinds from 17 on also apply to the item command set (item kind
// k = object kind - 15). A rule never reads or writes a parameter the command lacks: the vector
// is first padded with zeros; rules for a block the command lacks are skipped.
void UpgradeFlowCmd(cFlowCmd& cmd, uint32_t fileVersion);
