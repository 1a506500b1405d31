// The Ogg Vorbis player library ("Vox.dll") stood in for on libvorbisfile. Its one export makes a
// player object that the program drives through the slots of its method table only.
#pragma once
#include "platform/win/types.h"

class IVox {
 public:
  virtual BOOL Open(const char* file) = 0;  // 0: a game path; non-zero on success
  virtual void AfterPlay() = 0;             // 1
  virtual void Stop() = 0;                  // 2
  virtual void Prepare() = 0;               // 3: also resets the volume to 1.0
  virtual BOOL Play(int loops) = 0;         // 4: 0 once, 0x7fffffff endless
  virtual void Pause() = 0;                 // 5
  virtual void SetVolume(float volume) = 0; // 6: 0.0-1.0
  virtual float GetVolume() = 0;            // 7
  virtual BOOL IsPlaying() = 0;             // 8
  virtual void Destroy() = 0;               // 9

 protected:
  ~IVox() = default;
};

// A new player object, playing through the mixer; null when none can be made.
IVox* CreateVox();

namespace vox {
int LiveCount();
}
