// Shows the "Removing files" dialog from template 104 half-way through a
// removal and keeps it up for a few seconds, for a screenshot.
#include <windows.h>
#include <commctrl.h>

#include "ui/res_dialog.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  InitCommonControls();
  ui::TQNLResDialog dialog(MAKEINTRESOURCEA(104));
  SendDlgItemMessageA(dialog.Handle, 1000, PBM_SETRANGE32, 0, 5);
  ShowWindow(dialog.Handle, SW_SHOWDEFAULT);
  SendDlgItemMessageA(dialog.Handle, 1001, WM_SETTEXT, 0,
                      reinterpret_cast<LPARAM>("C:\\Program Files\\Quenlar\\Lib\\R&D Grid.dcu"));
  SendDlgItemMessageA(dialog.Handle, 1000, PBM_SETPOS, 2, 0);
  UpdateWindow(dialog.Handle);
  Sleep(6000);
  return 0;
}
