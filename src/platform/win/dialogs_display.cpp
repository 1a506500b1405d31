// The dialogs on a display: drawn with Dear ImGui in the main window over the frozen last frame, in
// the picture's coordinates, and fed by SDL's input. ImGui draws and tells which control was clicked;
// the dialog layer's model (texts, selections, checks) stays the one truth, so keys and typed text go
// through the same path as a script's steps.
#include <SDL.h>
#include <fontconfig/fontconfig.h>
#include <imgui.h>
#include <imgui_freetype.h>
#include <backends/imgui_impl_sdl.h>

#include <string>
#include <vector>

#include "platform/text/cp932.h"
#include "platform/video/sdl_presenter.h"
#include "platform/video/window.h"
#include "platform/win/dialogs.h"
#include "platform/win/menu.h"
#include "platform/win/sdlinput.h"
#include "platform/win/sdlpump.h"

namespace {

struct Ui {
  bool ready = false;
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  SDL_Texture* font = nullptr;
  bool shownForDialog = false;
  bool builtinFont = false;
};

Ui& U() {
  static Ui ui;
  return ui;
}

// The dialogs' proportional face through fontconfig; "" when none is installed.
std::string DialogFontFile() {
  std::string out;
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("IPAPGothic"));
  if (!pattern) return out;
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  if (FcPattern* match = FcFontMatch(nullptr, pattern, &result)) {
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) out = reinterpret_cast<char*>(file);
    FcPatternDestroy(match);
  }
  FcPatternDestroy(pattern);
  return out;
}

// The context and its font atlas are built when the first dialog shows, never at start-up.
bool EnsureUi(video::SdlPresenter& presenter) {
  Ui& u = U();
  if (u.ready) return true;
  u.window = static_cast<SDL_Window*>(presenter.NativeWindow());
  u.renderer = static_cast<SDL_Renderer*>(presenter.NativeRenderer());
  if (!u.window || !u.renderer) return false;
  ImGui::CreateContext();
  ImGuiIO& io = ImGui::GetIO();
  io.IniFilename = nullptr;
  io.LogFilename = nullptr;
  std::string file = u.builtinFont ? std::string() : DialogFontFile();
  // 9 point at 96 dpi.
  if (!file.empty() && io.Fonts->AddFontFromFileTTF(file.c_str(), 12.0f, nullptr, io.Fonts->GetGlyphRangesJapanese())) {
    io.Fonts->FontBuilderIO = ImGuiFreeType::GetBuilderForFreeType();
  } else {
    io.Fonts->AddFontDefault();
  }
  io.Fonts->Build();
  unsigned char* pixels = nullptr;
  int w = 0, h = 0;
  io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
  u.font = SDL_CreateTexture(u.renderer, SDL_PIXELFORMAT_ABGR8888, SDL_TEXTUREACCESS_STATIC, w, h);
  if (u.font) {
    SDL_UpdateTexture(u.font, nullptr, pixels, w * 4);
    SDL_SetTextureBlendMode(u.font, SDL_BLENDMODE_BLEND);
  }
  io.Fonts->SetTexID(reinterpret_cast<ImTextureID>(u.font));
  ImGui::StyleColorsLight();
  ImGui::GetStyle().WindowRounding = 0;
  ImGui_ImplSDL2_InitForSDLRenderer(u.window);
  u.ready = true;
  return true;
}

// ImGui's draw lists through SDL's renderer: one geometry call per command, clipped.
void RenderDrawData(ImDrawData* data, SDL_Renderer* renderer) {
  if (!data) return;
  for (int n = 0; n < data->CmdListsCount; ++n) {
    const ImDrawList* list = data->CmdLists[n];
    const ImDrawVert* vtx = list->VtxBuffer.Data;
    const ImDrawIdx* idx = list->IdxBuffer.Data;
    for (const ImDrawCmd& cmd : list->CmdBuffer) {
      if (cmd.UserCallback) {
        cmd.UserCallback(list, &cmd);
        continue;
      }
      SDL_Rect clip{static_cast<int>(cmd.ClipRect.x), static_cast<int>(cmd.ClipRect.y),
                    static_cast<int>(cmd.ClipRect.z - cmd.ClipRect.x), static_cast<int>(cmd.ClipRect.w - cmd.ClipRect.y)};
      if (clip.w <= 0 || clip.h <= 0) continue;
      SDL_RenderSetClipRect(renderer, &clip);
      const ImDrawVert* v = vtx + cmd.VtxOffset;
      SDL_RenderGeometryRaw(renderer, static_cast<SDL_Texture*>(cmd.GetTexID()), &v->pos.x, sizeof(ImDrawVert),
                            reinterpret_cast<const SDL_Color*>(&v->col), sizeof(ImDrawVert), &v->uv.x,
                            sizeof(ImDrawVert), list->VtxBuffer.Size - static_cast<int>(cmd.VtxOffset),
                            idx + cmd.IdxOffset, static_cast<int>(cmd.ElemCount), sizeof(ImDrawIdx));
    }
  }
}

// The edit as a framed box: its text with the composition at the caret, the selection shaded.
void DrawEdit(const dlg::ControlView& c, bool focused, ImVec2 origin) {
  ImDrawList* dl = ImGui::GetWindowDrawList();
  ImVec2 a{origin.x + c.x, origin.y + c.y}, b{a.x + c.cx, a.y + c.cy};
  dl->AddRectFilled(a, b, IM_COL32(255, 255, 255, 255));
  dl->AddRect(a, b, IM_COL32(80, 80, 80, 255));
  std::string before = c.text.substr(0, c.selStart), sel = c.text.substr(c.selStart, c.selEnd - c.selStart),
              after = c.text.substr(c.selEnd);
  std::string pre = focused ? dlg::Composition() : std::string();
  ImVec2 p{a.x + 2, a.y + (c.cy - ImGui::GetFontSize()) / 2};
  auto put = [&](const std::string& cp932, ImU32 colour, bool shade, bool underline) {
    std::string t = Cp932ToUtf8(cp932);
    ImVec2 size = ImGui::CalcTextSize(t.c_str());
    if (shade) dl->AddRectFilled(p, ImVec2{p.x + size.x, p.y + size.y}, IM_COL32(51, 153, 255, 255));
    dl->AddText(p, colour, t.c_str());
    if (underline) dl->AddLine(ImVec2{p.x, p.y + size.y}, ImVec2{p.x + size.x, p.y + size.y}, colour);
    p.x += size.x;
  };
  put(before, IM_COL32(0, 0, 0, 255), false, false);
  if (!pre.empty()) put(pre, IM_COL32(0, 0, 0, 255), false, true);
  float caretX = p.x;
  put(sel, IM_COL32(255, 255, 255, 255), true, false);
  put(after, IM_COL32(0, 0, 0, 255), false, false);
  if (focused && sel.empty() && (SDL_GetTicks() / 500) % 2 == 0)
    dl->AddLine(ImVec2{caretX, p.y}, ImVec2{caretX, p.y + ImGui::GetFontSize()}, IM_COL32(0, 0, 0, 255));
  if (focused) {
    SDL_Rect r{static_cast<int>(caretX), static_cast<int>(a.y), 1, c.cy};
    SDL_SetTextInputRect(&r);
  }
}

void DrawDialog(HWND hwnd, bool active) {
  RECT r = dlg::DialogRect(hwnd);
  std::string caption = Cp932ToUtf8(dlg::DialogCaption(hwnd));
  std::vector<dlg::ControlView> controls = dlg::ViewControls(hwnd);
  bool hasCaption = (GetWindowLongA(hwnd, GWL_STYLE) & WS_CAPTION) != 0;
  if (!(GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE)) return;
  ImGui::SetNextWindowPos(ImVec2(static_cast<float>(r.left), static_cast<float>(r.top)));
  ImGui::SetNextWindowSize(ImVec2(static_cast<float>(r.right - r.left), static_cast<float>(r.bottom - r.top)));
  ImGuiWindowFlags flags = ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove | ImGuiWindowFlags_NoCollapse |
                           ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoScrollbar;
  if (!hasCaption) flags |= ImGuiWindowFlags_NoTitleBar;
  std::string name = caption + "##dlg" + std::to_string(reinterpret_cast<uintptr_t>(hwnd));
  ImGui::Begin(name.c_str(), nullptr, flags);
  if (!active) ImGui::BeginDisabled();
  ImVec2 origin = ImGui::GetWindowPos();
  origin.y += hasCaption ? ImGui::GetFrameHeight() : 0;
  HWND focus = GetFocus();
  for (const dlg::ControlView& c : controls) {
    std::string label = Cp932ToUtf8(c.text) + "##" + std::to_string(c.id);
    ImGui::SetCursorScreenPos(ImVec2(origin.x + c.x, origin.y + c.y));
    if (!c.enabled) ImGui::BeginDisabled();
    switch (c.kind) {
      case DlgCtl::Static:
        ImGui::PushTextWrapPos(origin.x + c.x + c.cx - ImGui::GetWindowPos().x);
        ImGui::TextUnformatted(Cp932ToUtf8(c.text).c_str());
        ImGui::PopTextWrapPos();
        break;
      case DlgCtl::Group: {
        ImDrawList* dl = ImGui::GetWindowDrawList();
        float half = ImGui::GetFontSize() / 2;
        dl->AddRect(ImVec2(origin.x + c.x, origin.y + c.y + half), ImVec2(origin.x + c.x + c.cx, origin.y + c.y + c.cy),
                    IM_COL32(160, 160, 160, 255));
        ImGui::SetCursorScreenPos(ImVec2(origin.x + c.x + 6, origin.y + c.y));
        ImGui::TextUnformatted(Cp932ToUtf8(c.text).c_str());
        break;
      }
      case DlgCtl::Button:
      case DlgCtl::DefButton:
        if (ImGui::Button(label.c_str(), ImVec2(static_cast<float>(c.cx), static_cast<float>(c.cy))))
          dlg::ClickEvent(c.id);
        break;
      case DlgCtl::Radio:
        if (ImGui::RadioButton(label.c_str(), c.checked != 0)) dlg::ClickEvent(c.id);
        break;
      case DlgCtl::Check: {
        bool on = c.checked != 0;
        if (ImGui::Checkbox(label.c_str(), &on)) dlg::ClickEvent(c.id);
        break;
      }
      case DlgCtl::Edit: {
        HWND self = GetDlgItem(hwnd, c.id);
        DrawEdit(c, active && focus == self, origin);
        if (ImGui::InvisibleButton(label.c_str(), ImVec2(static_cast<float>(c.cx), static_cast<float>(c.cy))))
          dlg::ClickEvent(c.id);
        break;
      }
      case DlgCtl::List: {
        int selected = dlg::GetListSelection(hwnd, c.id);
        if (ImGui::BeginListBox(label.c_str(), ImVec2(static_cast<float>(c.cx), static_cast<float>(c.cy)))) {
          // Only the entries in sight are converted, so a folder of thousands stays quick.
          ImGuiListClipper clipper;
          clipper.Begin(static_cast<int>(c.entries.size()));
          while (clipper.Step()) {
            for (int i = clipper.DisplayStart; i < clipper.DisplayEnd; ++i) {
              std::string entry = Cp932ToUtf8(c.entries[i]) + "##e" + std::to_string(i);
              if (ImGui::Selectable(entry.c_str(), i == selected, ImGuiSelectableFlags_AllowDoubleClick)) {
                dlg::PickEvent(c.entries[i]);
                if (ImGui::IsMouseDoubleClicked(0)) dlg::ClickEvent(IDOK);
              }
            }
          }
          ImGui::EndListBox();
        }
        break;
      }
      case DlgCtl::Picture:
        break;
    }
    if (!c.enabled) ImGui::EndDisabled();
  }
  if (!active) ImGui::EndDisabled();
  ImGui::End();
}

void Drive(const std::vector<HWND>& open) {
  video::SdlPresenter* presenter = SdlMainPresenter();
  if (!presenter || !presenter->IsOpen() || !EnsureUi(*presenter)) {
    // No display after all: the dialog is closed as in a run without one.
    if (!open.empty()) PostMessage(open.back(), WM_CLOSE, 0, 0);
    return;
  }
  Ui& u = U();
  if (SDL_GetWindowFlags(u.window) & SDL_WINDOW_HIDDEN) {
    // The start-up dialog comes before the window shows: it shows for the dialog's time.
    SDL_ShowWindow(u.window);
    u.shownForDialog = true;
  }
  HWND focus = GetFocus();
  bool editFocused = false;
  for (const dlg::ControlView& c : dlg::ViewControls(open.back()))
    if (c.kind == DlgCtl::Edit && GetDlgItem(open.back(), c.id) == focus) editFocused = true;
  if (editFocused && !SDL_IsTextInputActive()) SDL_StartTextInput();
  if (!editFocused && SDL_IsTextInputActive()) SDL_StopTextInput();

  ImGuiIO& io = ImGui::GetIO();
  ImGui_ImplSDL2_NewFrame();
  int ww = 0, wh = 0, lw = 0, lh = 0;
  SDL_GetWindowSize(u.window, &ww, &wh);
  SDL_RenderGetLogicalSize(u.renderer, &lw, &lh);
  if (lw <= 0 || lh <= 0) {
    lw = 640;
    lh = 480;
  }
  io.DisplaySize = ImVec2(static_cast<float>(lw), static_cast<float>(lh));
  io.DisplayFramebufferScale = ImVec2(1, 1);
  // The pointer in the picture's coordinates, past the bars of a full-screen window.
  int mx = 0, my = 0;
  SDL_GetMouseState(&mx, &my);
  float px = 0, py = 0;
  SDL_RenderWindowToLogical(u.renderer, mx, my, &px, &py);
  if (ww > 0 && wh > 0) io.MousePos = ImVec2(px, py);
  ImGui::NewFrame();
  for (size_t i = 0; i < open.size(); ++i) DrawDialog(open[i], i + 1 == open.size());
  ImGui::Render();
  presenter->PumpOverlay([](void* renderer) { RenderDrawData(ImGui::GetDrawData(), static_cast<SDL_Renderer*>(renderer)); });

  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    ImGui_ImplSDL2_ProcessEvent(&e);
    switch (e.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP:
        if (int vk = VirtualKeyOfScancode(e.key.keysym.scancode))
          dlg::KeyEvent(vk, e.type == SDL_KEYDOWN, e.key.repeat != 0);
        break;
      case SDL_TEXTINPUT:
        dlg::PreeditEvent("");
        dlg::TextEvent(e.text.text);
        break;
      case SDL_TEXTEDITING:
        dlg::PreeditEvent(e.edit.text);
        break;
      case SDL_QUIT:
        PostMessage(SdlMainWindowHandle(), WM_CLOSE, 0, 0);  // held back until the dialog ends
        break;
      case SDL_MOUSEBUTTONDOWN: {
        // A popup menu closes on a click beside it, as a menu does.
        HWND top = open.back();
        if (!GetPropA(top, kPopupMenuProp)) break;
        float px = 0, py = 0;
        SDL_RenderWindowToLogical(u.renderer, e.button.x, e.button.y, &px, &py);
        RECT r = dlg::DialogRect(top);
        if (px < r.left || px >= r.right || py < r.top || py >= r.bottom) PostMessage(top, WM_CLOSE, 0, 0);
        break;
      }
      default:
        break;
    }
  }
}

void AfterDialogs() {
  Ui& u = U();
  if (SDL_IsTextInputActive()) SDL_StopTextInput();
  if (u.shownForDialog && u.window) SDL_HideWindow(u.window);
  u.shownForDialog = false;
}

}  // namespace

namespace dlg {

void AttachDisplay(bool builtinFont) {
  U().builtinFont = builtinFont;
  SetHeadless(false);
  SetDisplayDriver(&Drive);
  SetDisplayEndHook(&AfterDialogs);
  SetCursorWarp([](int x, int y) {
    video::SdlPresenter* presenter = SdlMainPresenter();
    if (!presenter || !presenter->IsOpen()) return;
    SDL_Window* window = static_cast<SDL_Window*>(presenter->NativeWindow());
    SDL_Renderer* renderer = static_cast<SDL_Renderer*>(presenter->NativeRenderer());
    int lw = 0, lh = 0;
    SDL_RenderGetLogicalSize(renderer, &lw, &lh);
    if (lw <= 0 || lh <= 0) return;
    int wx = 0, wy = 0;
    SDL_RenderLogicalToWindow(renderer, static_cast<float>(x), static_cast<float>(y), &wx, &wy);
    SDL_WarpMouseInWindow(window, wx, wy);
  });
}

void DetachDisplay() {
  Ui& u = U();
  if (u.ready) {
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
    if (u.font) SDL_DestroyTexture(u.font);
  }
  u = Ui();
  SetDisplayDriver(nullptr);
  SetDisplayEndHook(nullptr);
  SetCursorWarp(nullptr);
  SetHeadless(true);
}

}  // namespace dlg

namespace dlg::test {

void PushDisplayText(const std::string& utf8) {
  SDL_Event e{};
  e.type = SDL_TEXTINPUT;
  SDL_strlcpy(e.text.text, utf8.c_str(), sizeof e.text.text);
  SDL_PushEvent(&e);
}

void PushDisplayKey(int vk, bool down, bool repeat) {
  for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc) {
    if (VirtualKeyOfScancode(sc) != vk) continue;
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.scancode = static_cast<SDL_Scancode>(sc);
    e.key.keysym.sym = SDL_GetKeyFromScancode(static_cast<SDL_Scancode>(sc));
    SDL_PushEvent(&e);
    return;
  }
}

void PushDisplayClick(int x, int y) {
  for (Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
    SDL_Event e{};
    e.type = type;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    e.button.x = x;
    e.button.y = y;
    SDL_PushEvent(&e);
  }
}

}  // namespace dlg::test
