#include "window_styles.h"

#include <cstdio>

namespace {

struct Flag {
  DWORD bit;
  const char* name;
};

// WS_CAPTION is WS_BORDER and WS_DLGFRAME together and is shown as those two;
// 0x20000 and 0x10000 are the minimize and maximize boxes of a top-level window.
const Flag kStyles[] = {
    {WS_POPUP, "WS_POPUP"},           {WS_CHILD, "WS_CHILD"},
    {WS_MINIMIZE, "WS_MINIMIZE"},     {WS_VISIBLE, "WS_VISIBLE"},
    {WS_DISABLED, "WS_DISABLED"},     {WS_CLIPSIBLINGS, "WS_CLIPSIBLINGS"},
    {WS_CLIPCHILDREN, "WS_CLIPCHILDREN"}, {WS_MAXIMIZE, "WS_MAXIMIZE"},
    {WS_BORDER, "WS_BORDER"},         {WS_DLGFRAME, "WS_DLGFRAME"},
    {WS_VSCROLL, "WS_VSCROLL"},       {WS_HSCROLL, "WS_HSCROLL"},
    {WS_SYSMENU, "WS_SYSMENU"},       {WS_THICKFRAME, "WS_THICKFRAME"},
    {WS_MINIMIZEBOX, "WS_MINIMIZEBOX"}, {WS_MAXIMIZEBOX, "WS_MAXIMIZEBOX"},
};

const Flag kExStyles[] = {
    {WS_EX_NOACTIVATE, "WS_EX_NOACTIVATE"}, {WS_EX_COMPOSITED, "WS_EX_COMPOSITED"},
    {WS_EX_LAYOUTRTL, "WS_EX_LAYOUTRTL"},   {WS_EX_NOINHERITLAYOUT, "WS_EX_NOINHERITLAYOUT"},
    {WS_EX_LAYERED, "WS_EX_LAYERED"},       {WS_EX_APPWINDOW, "WS_EX_APPWINDOW"},
    {WS_EX_STATICEDGE, "WS_EX_STATICEDGE"}, {WS_EX_CONTROLPARENT, "WS_EX_CONTROLPARENT"},
    {WS_EX_LEFTSCROLLBAR, "WS_EX_LEFTSCROLLBAR"}, {WS_EX_RTLREADING, "WS_EX_RTLREADING"},
    {WS_EX_RIGHT, "WS_EX_RIGHT"},           {WS_EX_CONTEXTHELP, "WS_EX_CONTEXTHELP"},
    {WS_EX_CLIENTEDGE, "WS_EX_CLIENTEDGE"}, {WS_EX_WINDOWEDGE, "WS_EX_WINDOWEDGE"},
    {WS_EX_TOOLWINDOW, "WS_EX_TOOLWINDOW"}, {WS_EX_MDICHILD, "WS_EX_MDICHILD"},
    {WS_EX_TRANSPARENT, "WS_EX_TRANSPARENT"}, {WS_EX_ACCEPTFILES, "WS_EX_ACCEPTFILES"},
    {WS_EX_TOPMOST, "WS_EX_TOPMOST"},       {WS_EX_NOPARENTNOTIFY, "WS_EX_NOPARENTNOTIFY"},
    {WS_EX_DLGMODALFRAME, "WS_EX_DLGMODALFRAME"},
};

template <size_t count>
std::vector<std::string> Names(DWORD bits, const Flag (&flags)[count]) {
  std::vector<std::string> names;
  for (const Flag& flag : flags) {
    if ((bits & flag.bit) == flag.bit) {
      names.push_back(flag.name);
      bits &= ~flag.bit;
    }
  }
  if (bits != 0) names.push_back(StyleHex(bits));
  return names;
}

}  // namespace

std::string StyleHex(DWORD style) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08lX", static_cast<unsigned long>(style));
  return text;
}

std::vector<std::string> StyleNames(DWORD style) { return Names(style, kStyles); }

std::vector<std::string> ExStyleNames(DWORD exStyle) { return Names(exStyle, kExStyles); }
