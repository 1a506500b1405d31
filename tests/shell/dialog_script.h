// Steps of the headless dialog script, spelled briefly for the dialog tests.
#pragma once
#include <functional>
#include <string>

#include "platform/win/dialogs.h"

namespace script {
// UTF-8 text as the display delivers it (narrow literals here are code page 932).
inline std::string U8(const char8_t* s) { return reinterpret_cast<const char*>(s); }
inline dlg::ScriptStep Key(int vk) { return {dlg::ScriptStep::Key, vk, true, true, "", 0, nullptr}; }
inline dlg::ScriptStep KeyDown(int vk) { return {dlg::ScriptStep::Key, vk, true, false, "", 0, nullptr}; }
// The keyboard's repeat of a key held down.
inline dlg::ScriptStep KeyRepeat(int vk) { return {dlg::ScriptStep::Key, vk, true, false, "", 0, nullptr, true}; }
inline dlg::ScriptStep KeyUp(int vk) { return {dlg::ScriptStep::Key, vk, false, true, "", 0, nullptr}; }
inline dlg::ScriptStep Type(const std::string& utf8) { return {dlg::ScriptStep::Text, 0, true, true, utf8, 0, nullptr}; }
inline dlg::ScriptStep Preedit(const std::string& utf8) {
  return {dlg::ScriptStep::Preedit, 0, true, true, utf8, 0, nullptr};
}
inline dlg::ScriptStep Click(int id) { return {dlg::ScriptStep::Click, 0, true, true, "", id, nullptr}; }
inline dlg::ScriptStep Pick(const std::string& cp932) { return {dlg::ScriptStep::Pick, 0, true, true, cp932, 0, nullptr}; }
inline dlg::ScriptStep Close() { return {dlg::ScriptStep::Close, 0, true, true, "", 0, nullptr}; }
inline dlg::ScriptStep Look(std::function<void(HWND)> f) {
  return {dlg::ScriptStep::Call, 0, true, true, "", 0, std::move(f)};
}

// What control `id` of the running dialog shows.
inline dlg::ControlView View(HWND dlg, int id) {
  for (const dlg::ControlView& v : dlg::ViewControls(dlg))
    if (v.id == id) return v;
  return dlg::ControlView{-1, DlgCtl::Static, "", 0, 0, 0, false, {}, 0, 0, 0, 0};
}
}  // namespace script
