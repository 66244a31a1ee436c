// Keeps the test prefix's desktop open from the wineserver's start to its
// end (scripts/wine-server). Wine's server closes a desktop one second after
// the last program on it has ended, and tells the desktop's explorer to end;
// a program that starts in that moment finds the desktop going and can show
// no window at all. The tests start many short programs one after another,
// each of which must show its boxes: with this program on the desktop it is
// never left empty. It shows no window and ends with the server.
#include <windows.h>

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/, int /*show*/) {
  GetDesktopWindow();  // joins the desktop, starting its explorer where none runs yet
  Sleep(INFINITE);
  return 0;
}
