#include "app/win32/service_waits.h"

#include <system_error>
#include <thread>

namespace vantrel {

bool RunWhilePumping(std::function<bool()> work) {
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!done) return work();
  bool result = false;
  std::thread worker;
  try {
    worker = std::thread([&] {
      result = work();
      SetEvent(done);
    });
  } catch (const std::system_error&) {
    CloseHandle(done);
    return work();
  }
  bool quit = false;
  int quitCode = 0;
  while (!quit && MsgWaitForMultipleObjects(1, &done, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        quit = true;
        quitCode = static_cast<int>(msg.wParam);
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  worker.join();  // the work's own waits are bounded
  CloseHandle(done);
  if (quit) PostQuitMessage(quitCode);
  return result;
}

bool RunInBackground(std::function<bool()> work, HWND window, UINT message, LPARAM tag) {
  try {
    std::thread([work = std::move(work), window, message, tag] {
      bool ok = work();
      PostMessageW(window, message, ok ? 1 : 0, tag);
    }).detach();
    return true;
  } catch (const std::system_error&) {
    return false;
  }
}

}  // namespace vantrel
