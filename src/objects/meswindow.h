// Message windows: a short text or icon shown over the play screen (the message and game-wait
// commands, the hero's item popup, the extra-life mark). The play scene keeps them in its list and
// draws each once per drawn frame, after all other objects; a window whose Draw reports 1 is taken
// out of the list by the scene. A text window may hold '#' variable references, expanded when it
// opens and, if asked, again at intervals.
#pragma once
#include <string>

struct DDSURFACEDATA;
struct DDBITMAPDATA;

// Window kinds.
enum eMesWindowKind : int {
  MESWIN_TEXT = 1,
  MESWIN_ITEM_ICON = 2,   // an item's icon rising over its taker
  MESWIN_FIXED_ICON = 3,  // the extra-life mark
};

// Lifetimes.
enum eMesTimeMode : int {
  MESTIME_UNTIL_KEY = 0,    // "進行キーが押されるまで表示"
  MESTIME_UNTIL_END = 1,    // "ステージ終了まで表示"
  MESTIME_BY_TIME = 2,      // "時間で指定"
};

// A plain record: copies share the surface, which the play scene releases.
class cMesWindow {
 public:
  cMesWindow() = default;
  // Builds a window and gives a text window a new surface at the end of the message surface list.
  cMesWindow(int kind, const std::string& text, int iconKind, int iconIndex, int iconFrame, int posMode, int posUnit,
             int x, int y, int dx, int dy, int keepOnScreen, int fixed, int timeMode, int time, int countFrozen,
             int ownerNo, int noOpening, int expand, int refresh, int refreshInterval, int boxStyle, int hasId, int id);
  cMesWindow(const cMesWindow&) = default;
  cMesWindow& operator=(const cMesWindow&) = default;

  // Sets the window up again with new content, keeping its surface (the message command replaces
  // the text of a window it already shows).
  void Reset(int kind, const std::string& text, int iconKind, int iconIndex, int iconFrame, int posMode, int posUnit,
             int x, int y, int dx, int dy, int keepOnScreen, int fixed, int timeMode, int time, int countFrozen,
             int ownerNo, int noOpening, int expand, int refresh, int refreshInterval, int boxStyle, int hasId, int id);
  void Setup(int kind, const std::string& text, int iconKind, int iconIndex, int iconFrame, int posMode, int posUnit,
             int x, int y, int dx, int dy, int keepOnScreen, int fixed, int timeMode, int time, int countFrozen,
             int ownerNo, int noOpening, int expand, int refresh, int refreshInterval, int boxStyle, int hasId, int id,
             int reuseSurface);

  // A surface of the window's size in the message surface list: an index at or past the end appends
  // one, a smaller index re-creates that entry. A surface that cannot be made closes the program.
  void AllocSurface(int index);
  // Clears the surface and draws the text at (1, 1), in the message font's box or plain.
  void RenderText(DDSURFACEDATA* surface);
  // One drawn frame; frozen is set for frames the play scene draws without advancing the game.
  // 1 when the window is finished (its surface, if any, already released).
  int Draw(DDSURFACEDATA* target, int frozen);

  DDSURFACEDATA* m_pSurface = nullptr;  // text windows: an entry of the message surface list
  DDBITMAPDATA* m_pBitmap = nullptr;    // the descriptor of the same entry
  int m_nKind = 0;
  std::string m_strText;    // as shown
  std::string m_strSource;  // before expansion, for the refreshes
  int m_nIconKind = 0;      // a kind-2 popup's picture, as DrawGraphicCell takes it
  int m_nIconIndex = 0;
  int m_nIconFrame = 0;
  int m_bExpand = 0;
  int m_bRefresh = 0;
  int m_nRefreshInterval = 0;
  int m_bBoxStyle = 0;  // drawn in the message font's window box, which opens with an animation
  int m_nPosMode = 0;
  int m_nPosUnit = 0;  // modes 7-10: 0 cells, 1 pixels
  int m_nPosX = 0;
  int m_nPosY = 0;
  int m_nOfsX = 0;
  int m_nOfsY = 0;
  int m_nWidth = 0;
  int m_nHeight = 0;
  int m_bKeepOnScreen = 0;
  int m_nTimeMode = 0;
  int m_bFixed = 0;
  int m_bAnchored = 0;
  int m_nAnchorX = 0;
  int m_nAnchorY = 0;
  // The two values kept for the command that made the window: its ID switch and ID.
  int m_bHasId = 0;
  int m_nId = 0;
  int m_nOwnerNo = 0;  // the object modes 1-6 follow
  int m_nTimeLeft = 0;
  int m_bCountFrozen = 0;
  int m_bOpening = 0;
  double m_dOpenStep = 0;

 private:
  // The window's top-left on screen by its position mode; 0 when its owner is gone.
  int CalcScreenPos(int& x, int& y);
  // Releases a text window's surface from the message surface list.
  void ReleaseSurface();
};

// Replaces each '#' variable reference of the text by the variable's value, formatted as the
// reference asks.
void ExpandMessageVariables(std::string& text);
// The size of a text in the message font, plus 2 each way.
void MeasureMessageText(int& w, int& h, const std::string& text);
