#include "objects/animseq.h"

#include <utility>

namespace {

// A frame list up to and including its first control frame, laid into the storage `seq` holds.
void TakeSequence(cAnimSeqFrames& seq, const cAnimSeqFrames& frames) {
  seq.clear();
  for (const cAnimSeqFrame& f : frames) {
    seq.push_back(f);
    if (f.m_nValue < 0) break;
  }
}

}  // namespace

// Both lay the sequences into the storage the sequencer already holds, so that an object built again
// in the same place (a shot fired anew) allocates nothing.
void cAnimSeq::Build(const cAnimFrameTable* table) {
  if (!table) return;
  m_vSeq.resize(table->size());
  for (size_t i = 0; i < table->size(); ++i) TakeSequence(m_vSeq[i], (*table)[i]);
  m_nSeq = 0;
  Rewind();
}

void cAnimSeq::BuildOne(const cAnimSeqFrames& frames) {
  m_vSeq.resize(1);
  TakeSequence(m_vSeq[0], frames);
  m_nSeq = 0;
  Rewind();
}

void cAnimSeq::SetSequences(cCheckedVector<cAnimSeqFrames> sequences) {
  m_vSeq = std::move(sequences);
  m_nSeq = 0;
  Rewind();
}

const cAnimSeqFrames& cAnimSeq::Current() {
  if (m_nSeq < 0 || m_nSeq >= m_vSeq.Size()) {
    const cAnimSeqFrames& fallback = m_vSeq.At(m_nSeq);  // reports the bad number
    m_nSeq = 0;
    Rewind();
    return fallback;
  }
  return m_vSeq[static_cast<size_t>(m_nSeq)];
}

const cAnimSeqFrame* cAnimSeq::CurrentFrame() {
  if (m_vSeq.empty()) return nullptr;
  const cAnimSeqFrames& seq = Current();
  if (seq.empty()) return nullptr;
  if (m_nFrame < 0 || static_cast<size_t>(m_nFrame) >= seq.size()) m_nFrame = 0;
  return &seq[static_cast<size_t>(m_nFrame)];
}

int cAnimSeq::Set(int seq, int force) {
  if (!force) {
    const cAnimSeqFrame* f = CurrentFrame();
    if (f && f->m_bHold) return 0;
  }
  m_nSeq = seq;
  Rewind();
  return 1;
}

int cAnimSeq::Change(int seq, int force) {
  if (seq == m_nSeq) return 1;
  return Set(seq, force);
}

int cAnimSeq::Tick() {
  if (m_vSeq.empty()) return 0;
  const cAnimSeqFrame* f = CurrentFrame();
  if (!f) return 0;
  // A frame whose ticks are reached or passed gives way to the next; the last frame never does,
  // so a sequence of one control frame stays put.
  if (++m_nTick >= f->m_nTicks) {
    m_nTick = 0;
    const cAnimSeqFrames& seq = Current();
    if (static_cast<size_t>(m_nFrame) + 1 < seq.size()) {
      ++m_nFrame;
      const cAnimSeqFrame& next = seq[static_cast<size_t>(m_nFrame)];
      if (next.m_nValue == ANIMSEQ_JUMP) {
        Set(next.m_nTicks, 1);
      } else if (next.m_nValue == ANIMSEQ_RESTART) {
        m_nFrame = 0;
      } else if (next.m_nValue == ANIMSEQ_HOLD) {
        --m_nFrame;
      }
    }
  }
  return GetValue();
}

int cAnimSeq::GetValue() {
  const cAnimSeqFrame* f = CurrentFrame();
  return f ? f->m_nValue : 0;
}

void cAnimSeq::Clear() {
  m_vSeq.clear();
  m_nSeq = 0;
  Rewind();
}
