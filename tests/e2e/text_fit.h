#pragma once
// Does every text fit its control? A control's font is a GDI object of the program, which
// this process cannot measure with, so the measuring DLL (text_fit_probe.cpp) is loaded into
// the running program once and asked for a pass whenever a window to check is open.
#include <windows.h>

#include <string>
#include <vector>

namespace vantrel::e2e {

class TextFitProbe {
 public:
  TextFitProbe() = default;
  ~TextFitProbe();
  TextFitProbe(const TextFitProbe&) = delete;
  TextFitProbe& operator=(const TextFitProbe&) = delete;

  // Loads the DLL into the process (once per process). False when it cannot be loaded.
  bool Attach(DWORD pid, const std::wstring& dllPath, DWORD timeoutMs);
  // One pass over the process's visible dialogs: every visible static and button text is
  // measured with its control's font. `overflows` gets one line per text that does not fit;
  // returns the number of texts measured, -1 when the pass did not finish in time.
  int Measure(DWORD timeoutMs, std::vector<std::wstring>* overflows);

 private:
  DWORD m_pid = 0;
  std::wstring m_reportPath;
  HANDLE m_go = nullptr;
  HANDLE m_done = nullptr;
};

}  // namespace vantrel::e2e
