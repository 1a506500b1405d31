// Frame sequences as the database builds them for the animation sequencer (src/objects/animseq.h).
// A frame shows a picture number for a number of ticks, or is a control code; while a held frame
// shows, an unforced change of sequence is refused.
#pragma once
#include <vector>

#include "core/checked.h"

// Control codes that stand in place of a picture number.
enum eAnimSeqCode : int {
  ANIMSEQ_HOLD = -1,     // step back to the frame before: the last picture stays
  ANIMSEQ_RESTART = -2,  // start the sequence again at frame 0
  ANIMSEQ_JUMP = -3,     // start the sequence whose number stands in the ticks word
  ANIMSEQ_END = -4,      // the end of a running animation
};

struct cAnimSeqFrame {
  int m_nValue = 0;
  int m_nTicks = 0;
  int m_bHold = 0;
  bool operator==(const cAnimSeqFrame&) const = default;
};

using cAnimSeqFrames = std::vector<cAnimSeqFrame>;

// One sequence per entry of a database list, addressed by the entry's number.
using cAnimFrameTable = cCheckedVector<cAnimSeqFrames>;
