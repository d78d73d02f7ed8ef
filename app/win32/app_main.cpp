// Placeholder until the interactive program is built: it does nothing and says so.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  MessageBoxW(nullptr, L"OrlixVantrel: not built yet.", L"Vantrel", MB_ICONWARNING);
  return 1;
}
