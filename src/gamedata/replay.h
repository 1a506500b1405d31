// Replays: the input of one stage attempt, recorded frame by frame as two run-length coded channels
// (the direction word and the button word of input device 0) with the random seed of the attempt,
// and played back in the same order. A replay file bundles the recording with the stage and the
// progress at the start of the attempt, which with the seed make the attempt repeat exactly.
#pragma once
#include <cstdint>
#include <string>

#include "core/checked.h"
#include "core/record.h"

class cStageData;
class cSaveData;

class cReplayData : public cDataRecord {
 public:
  // Empty lists, seed 0, playback at the start; the recording belongs to this program's version.
  cReplayData();
  cReplayData(const cReplayData&) = default;
  // The four lists, the seed and the version of the recording; the playback position is not copied.
  cReplayData& operator=(const cReplayData& src);

  void RegisterFields(int version) override;
  // The seed, then the four lists. A list whose stored count is 0 keeps what it held. 0 for a
  // damaged file, which includes a run list whose length differs from its word list and a run that
  // is not at least one frame long. The record takes the version of the file.
  int Read(cDataFile& file) override;
  int Write(cDataFile& file) override;

  // Empties the four lists and puts the playback at the start; the recording belongs to this
  // program's version. The seed is kept.
  void ClearRecording();
  // Puts the playback at the first frame.
  void Rewind();

  // Appends one frame: words[0] the direction word, words[1] the button word.
  void Record(const int16_t words[2]);
  // Writes the next frame's two words and returns 0; 1, with the words untouched, when either
  // channel is exhausted, so a recording of N frames plays exactly N frames.
  int Play(int16_t words[2]);

  // Writes the replay file: the stage in its replay form (palette and placed objects of `stage`, the
  // settings of `playStage`), this record and the progress snapshot. 1 when the whole file was
  // written; a failure is logged and shown, and a file that was there stays as it was.
  int SaveFile(const char* path, cStageData& stage, const cStageData& playStage, cSaveData& snapshot);
  // Reads a replay file into the stage, this record and (from version 173) the progress, and fills
  // playStage with the stage's settings and empty lists. A list of the recording that the file
  // stores empty keeps what it held. Nothing changes unless the whole file read:
  // 0, after a logged and shown message, for a missing, damaged or too new file.
  int LoadFile(const char* path, cStageData& stage, cStageData& playStage, cSaveData& save);

  cCheckedVector<int16_t> m_vDir;     // successive distinct direction words
  cCheckedVector<int16_t> m_vButton;  // successive distinct button words
  cCheckedVector<int32_t> m_vDirRun;  // frames each m_vDir entry lasted
  cCheckedVector<int32_t> m_vButtonRun;
  int32_t m_nSeed = 0;  // the random seed of the recorded attempt
  // Playback: the current entry of each channel and the frames already played of it.
  int32_t m_nDirPos = 0;
  int32_t m_nButtonPos = 0;
  int32_t m_nDirCount = 0;
  int32_t m_nButtonCount = 0;
  // The data version of the file the recording was read from, or this program's for a recording
  // made here. Play that depends on the version of the replayed file asks this, not the version of
  // whatever file was read last.
  uint32_t m_nFileVersion = kDataVersion;
};

// Set while the current attempt plays g_ReplayData back (the play mode is replay).
extern int g_bReplayPlayback;
// The data version of the replay being played back, 0 in live play: behaviour that older versions
// had is kept for their replays.
uint32_t PlaybackVersion();

// The recording of the current attempt (also the one played back) and of the previous attempt.
extern cReplayData g_ReplayData;
extern cReplayData g_PrevReplayData;

// The extension of replay files: "rpl4_914".
std::string ReplayFileExt();

// The proposed file name for saving a replay of stageName (the progress's current stage): the stage's
// name with the progress's variable suffix, the local time and the replay extension, in
// "user_data\rpl4\", with " (2)" up to " (999)" before the extension while the name is taken; made
// absolute. An empty stageName gives the current folder. Returns 1.
int MakeReplayPath(std::string& out, const char* stageName);
