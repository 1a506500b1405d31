// The frame sequencer of game objects, effects, shots and message windows: frame lists turned into a
// picture number per tick. A frame shows a picture number for a number of ticks, or is a control
// code; while a held frame shows, an unforced change of sequence is refused.
#pragma once
#include "core/checked.h"
#include "stagedata/animframes.h"

class cAnimSeq {
 public:
  // Every sequence of the table, each up to and including its first control frame; the sequencer
  // starts at sequence 0, frame 0. A null table changes nothing.
  void Build(const cAnimFrameTable* table);
  // One sequence, as a running animation holds it.
  void BuildOne(const cAnimSeqFrames& frames);
  // The sequences as given (an animation set's motions).
  void SetSequences(cCheckedVector<cAnimSeqFrames> sequences);
  // Starts sequence seq at frame 0; 0 when refused: unforced while the shown frame holds.
  int Set(int seq, int force);
  // As Set, but 1 at once without a restart when seq is already playing.
  int Change(int seq, int force);
  // One tick; the value shown afterwards (0 without sequences).
  int Tick();
  int GetValue();
  void Clear();

  // Rewinds the current sequence to its first frame, keeping the sequence number.
  void Rewind() {
    m_nFrame = 0;
    m_nTick = 0;
  }

  cCheckedVector<cAnimSeqFrames> m_vSeq;
  int m_nSeq = 0;    // sequence playing
  int m_nFrame = 0;  // frame of it shown
  int m_nTick = 0;   // ticks spent on that frame

 private:
  // The playing sequence; a number the sequencer lacks is reported and sequence 0 plays instead.
  const cAnimSeqFrames& Current();
  const cAnimSeqFrame* CurrentFrame();
};
