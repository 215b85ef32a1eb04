#include "WindowQuery.h"

#include <cstdio>

namespace uidriver {
namespace {

// The static control that holds a message box's text.
constexpr int kBoxTextId = 0xFFFF;

BOOL CALLBACK CollectDialog(HWND window, LPARAM list) {
  if (IsWindowVisible(window) && ClassName(window) == "#32770")
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

bool ButtonShown(HWND box, int id) {
  HWND button = GetDlgItem(box, id);
  return button != nullptr && IsWindowVisible(button);
}

struct KnownIcon {
  LPCSTR id;
  const char* name;
};
const KnownIcon kKnownIcons[] = {{IDI_EXCLAMATION, "exclamation"},
                                 {IDI_ASTERISK, "information"},
                                 {IDI_QUESTION, "question"},
                                 {IDI_HAND, "error"}};

// The pixels of a screen rectangle (32-bit, top row first).
std::vector<DWORD> Capture(HDC source, int x, int y, int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC memory = CreateCompatibleDC(source);
  HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY);
  GdiFlush();
  std::vector<DWORD> pixels(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + width * height);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  return pixels;
}

// A system icon drawn over a background colour, as a box shows it.
std::vector<DWORD> Render(HICON icon, DWORD background, int width, int height) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = SelectObject(memory, bitmap);
  HBRUSH brush = CreateSolidBrush(background & 0xFFFFFF);
  RECT all = {0, 0, width, height};
  FillRect(memory, &all, brush);
  DeleteObject(brush);
  DrawIconEx(memory, 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
  std::vector<DWORD> pixels = Capture(memory, 0, 0, width, height);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

std::string IconName(HWND box) {
  // The icon control of a message box has no fixed id; it is the static with SS_ICON.
  HWND icon = nullptr;
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (ClassName(child) == "Static" &&
        (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      icon = child;
      break;
    }
  }
  if (icon == nullptr || !IsWindowVisible(icon)) return "none";
  // What the screen shows is compared with each system icon: asking the control
  // for its icon would be a message sent into the program's modal loop, and
  // under Wine an icon handle means nothing in another process anyway. The box
  // is repainted first (invalidated only: its own loop paints it).
  RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
  Sleep(200);
  RECT place = {};
  GetWindowRect(icon, &place);
  // A box without an icon may keep an empty icon control (Wine does); its text
  // then starts where an icon would be, not right of it.
  RECT text = {};
  HWND textControl = GetDlgItem(box, kBoxTextId);
  if (textControl != nullptr && GetWindowRect(textControl, &text) && text.left < place.right)
    return "none";
  int width = GetSystemMetrics(SM_CXICON), height = GetSystemMetrics(SM_CYICON);
  HDC screen = GetDC(nullptr);
  std::vector<DWORD> seen = Capture(screen, place.left, place.top, width, height);
  ReleaseDC(nullptr, screen);
  DWORD background = seen.front();  // icon corners are transparent
  bool blank = true;
  for (DWORD pixel : seen) blank = blank && pixel == background;
  if (blank) return "none";
  background = (background & 0xFF00) | ((background & 0xFF) << 16) | ((background >> 16) & 0xFF);
  const char* best = "unknown";
  std::size_t fewest = seen.size() / 10;  // at most a tenth of the pixels may differ
  for (const KnownIcon& known : kKnownIcons) {
    std::vector<DWORD> drawn = Render(LoadIconA(nullptr, known.id), background, width, height);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < seen.size(); ++i)
      differing += (seen[i] & 0xFFFFFF) != (drawn[i] & 0xFFFFFF);
    if (differing < fewest) {
      fewest = differing;
      best = known.name;
    }
  }
  return best;
}

}  // namespace

bool SaveScreenBitmap(const RECT& area, const std::string& path) {
  int width = area.right - area.left, height = area.bottom - area.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = GetDC(nullptr);
  std::vector<DWORD> pixels = Capture(screen, area.left, area.top, width, height);
  ReleaseDC(nullptr, screen);
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof info;
  info.biWidth = width;
  info.biHeight = -height;  // top row first, as captured
  info.biPlanes = 1;
  info.biBitCount = 32;
  info.biCompression = BI_RGB;
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size() * sizeof(DWORD));
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
            std::fwrite(&info, sizeof info, 1, out) == 1 &&
            std::fwrite(pixels.data(), sizeof(DWORD), pixels.size(), out) == pixels.size();
  return std::fclose(out) == 0 && ok;
}

std::string WindowText(HWND window) {
  // For windows of another process GetWindowText reads the stored text and
  // sends nothing to that process.
  char text[4096] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::string ClassName(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::vector<HWND> TopLevelDialogs() {
  std::vector<HWND> dialogs;
  EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
  return dialogs;
}

HWND FindDialog(const std::string& caption) {
  for (HWND dialog : TopLevelDialogs()) {
    if (WindowText(dialog) == caption) return dialog;
  }
  return nullptr;
}

ControlState ReadControl(HWND dialog, int id) {
  ControlState state;
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) return state;
  state.exists = true;
  state.text = WindowText(control);
  state.enabled = IsWindowEnabled(control) != FALSE;
  state.visible = IsWindowVisible(control) != FALSE;
  state.focused = FocusOf(dialog) == control;
  return state;
}

HWND FindMessageBox(HWND exclude) {
  for (HWND dialog : TopLevelDialogs()) {
    if (dialog != exclude && GetDlgItem(dialog, kBoxTextId) != nullptr) return dialog;
  }
  return nullptr;
}

BoxState ReadMessageBox(HWND box) {
  BoxState state;
  state.window = box;
  state.caption = WindowText(box);
  state.text = WindowText(GetDlgItem(box, kBoxTextId));
  state.icon = IconName(box);
  state.owner = GetWindow(box, GW_OWNER);
  struct Layout {
    int first, second, third;
    const char* name;
  };
  const Layout layouts[] = {{IDABORT, IDRETRY, IDIGNORE, "abortretryignore"},
                            {IDYES, IDNO, IDCANCEL, "yesnocancel"},
                            {IDYES, IDNO, 0, "yesno"},
                            {IDRETRY, IDCANCEL, 0, "retrycancel"},
                            {IDOK, IDCANCEL, 0, "okcancel"},
                            {IDOK, 0, 0, "ok"}};
  state.buttons = "unknown";
  for (const Layout& layout : layouts) {
    bool shown = ButtonShown(box, layout.first) &&
                 (layout.second == 0 || ButtonShown(box, layout.second)) &&
                 (layout.third == 0 || ButtonShown(box, layout.third));
    if (shown) {
      state.buttons = layout.name;
      break;
    }
  }
  return state;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  DWORD thread = GetWindowThreadProcessId(window, nullptr);
  if (!GetGUIThreadInfo(thread, &info)) return nullptr;
  return info.hwndFocus;
}

}  // namespace uidriver
