// A static text control of a dialog, bound to its control id by DDX_Control.
#pragma once

class CDialog;

class CStatic {
 public:
  CStatic() = default;
  CStatic(const CStatic&) = delete;
  CStatic& operator=(const CStatic&) = delete;

  void Bind(CDialog* dialog, int id) {
    m_pDialog = dialog;
    m_nId = id;
  }
  bool IsBound() const { return m_pDialog != nullptr; }
  int GetDlgCtrlID() const { return m_nId; }

  // Through the dialog's current window, so that a text set while no window
  // exists goes nowhere.
  void SetWindowText(const char* text);

 private:
  CDialog* m_pDialog = nullptr;
  int m_nId = 0;
};
