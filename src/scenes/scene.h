// The base of every scene and the scene ids. A scene's Run runs Init once (state -1), then the
// handler of its current state; state 0 fades in, the last state fades out and names the next scene.
#pragma once

enum eSceneId {
  SCENE_TITLE = 0,
  SCENE_WORLDMAP = 1,
  SCENE_MAPMENU = 2,
  SCENE_STAGESELECT = 3,
  SCENE_PLAY = 4,
  SCENE_OPTION = 5,
};

class cScene {
 public:
  virtual ~cScene() = default;
  virtual void Run() {}
  virtual void Init() {}
  virtual int FadeIn() { return 0; }
  virtual int FadeOut() { return 0; }

  int m_nState = -1;  // -1 until Init has run
  int m_nSubState = 0;

 protected:
  // The contract of Run: Init when the state is -1 (a text thrown there closes the program), then the
  // handler of the state; states outside the table run nothing.
  template <class S, int N>
  void RunStates(S& self, int (S::*const (&handlers)[N])()) {
    if (m_nState == -1) {
      RunInitGuarded();
      m_nState = 0;
    }
    if (m_nState < 0 || m_nState >= N) return;
    // The handler is taken before the call: a handler changes the state it was chosen by.
    const auto handler = handlers[m_nState];
    (self.*handler)();
  }

 private:
  void RunInitGuarded();
};

// A text thrown while a scene is switched or set up: logged to the report log and the debug log, and
// the program closes.
void SceneFatal(const char* text);
