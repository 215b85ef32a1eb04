#ifdef _WIN32  // the source glob of the portable library reaches this folder too

#include "platform/win32/DialogHost.h"

namespace win32 {

plat::Icon DialogWindow::LoadIconA(int resourceId) {
  return FromIcon(::LoadIconA(instance_, MAKEINTRESOURCEA(resourceId)));
}

void DialogWindow::SetIcon(int which, plat::Icon icon) {
  ::SendMessageA(window_, WM_SETICON, static_cast<WPARAM>(which), static_cast<LPARAM>(icon));
}

void DialogWindow::SetDlgItemTextA(int id, const char* text) {
  ::SetDlgItemTextA(window_, id, text);
}

void DialogWindow::EnableDlgItem(int id, plat::BOOL enable) {
  ::EnableWindow(::GetDlgItem(window_, id), enable);
}

void DialogWindow::SetFocusToDlgItem(int id) { ::SetFocus(::GetDlgItem(window_, id)); }

plat::BOOL DialogWindow::IsIconic() { return ::IsIconic(window_); }

int DialogWindow::GetSystemMetrics(int index) { return ::GetSystemMetrics(index); }

plat::Rect DialogWindow::GetClientRect() {
  RECT client = {};
  ::GetClientRect(window_, &client);
  return plat::Rect{client.left, client.top, client.right, client.bottom};
}

void DialogWindow::PaintIcon(plat::Icon icon, int x, int y) {
  PAINTSTRUCT paint = {};
  HDC context = ::BeginPaint(window_, &paint);
  if (context != nullptr) {
    ::SendMessageA(window_, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(context), 0);
    ::DrawIcon(context, x, y, ToIcon(icon));
  }
  ::EndPaint(window_, &paint);
  painted_ = true;
}

void DialogWindow::EndDialog(int result) { ::EndDialog(window_, result); }

int DialogHost::Run(int templateId) {
  INT_PTR result = ::DialogBoxParamA(instance_, MAKEINTRESOURCEA(templateId), nullptr, &DialogProc,
                                     reinterpret_cast<LPARAM>(this));
  window_.reset();
  *mainWindow_ = plat::kNoWindow;
  return static_cast<int>(result);
}

INT_PTR CALLBACK DialogHost::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) ::SetWindowLongPtrA(window, DWLP_USER, lParam);
  auto* host = reinterpret_cast<DialogHost*>(::GetWindowLongPtrA(window, DWLP_USER));
  // Messages before WM_INITDIALOG (WM_SETFONT) belong to the system.
  if (host == nullptr) return FALSE;
  return host->Handle(window, message, wParam, lParam);
}

INT_PTR DialogHost::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      window_.emplace(instance_, window);
      *mainWindow_ = FromHwnd(window);
      events_.Attach(&*window_);
      return events_.OnInitDialog();
    case WM_COMMAND: {
      if (!window_) return FALSE;
      int id = LOWORD(wParam);
      int notify = HIWORD(wParam);
      // A button's click and the dialog manager's Enter and Escape come with
      // BN_CLICKED; 1 is an accelerator's command.
      bool command = notify == BN_CLICKED || (notify == 1 && lParam == 0);
      if (command && id == IDOK) {
        events_.OnOK();
      } else if (command && id == IDCANCEL) {
        events_.OnCancel();
      } else {
        events_.OnCommand(id, notify);
      }
      return TRUE;
    }
    case WM_PAINT:
      if (!window_) return FALSE;
      window_->BeginPaintMessage();
      events_.OnPaint();
      // Not painted by the handler: the dialog's own painting runs.
      return window_->Painted() ? TRUE : FALSE;
    case WM_QUERYDRAGICON:
      if (!window_) return FALSE;
      // One of the messages whose result the dialog procedure returns directly.
      return static_cast<INT_PTR>(events_.OnQueryDragIcon());
    default:
      return FALSE;
  }
}

}  // namespace win32

#endif  // _WIN32
