#pragma once
// The end-to-end test driver's tools: start and stop the program, find its windows and
// message boxes, send commands, read styles, texts and the registry, and take screenshots.
// Every wait is bounded.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vantrel::e2e {

// Polls `done` every 50 ms until it holds or `timeoutMs` passed; true when it held.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs);

// A Windows path for a path this driver was given (a Unix path becomes one on drive Z:).
std::wstring WindowsPath(const std::wstring& path);
// The window tests' command line, "<OrlixVantrel.exe> <artifact folder>": both as Windows paths,
// the folder made. False (with the usage printed) when they are missing.
bool ReadProgramArguments(int argc, char** argv, std::wstring* programPath, std::wstring* artifactDir);

// A started program; stopped (terminated) when the object goes, if it still runs.
class Program {
 public:
  Program() = default;
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // workDir: the program's current folder (its file dialogues open there); none keeps ours.
  // False while an earlier start of this object still runs.
  bool Start(const std::wstring& exePath, const wchar_t* workDir = nullptr);
  bool Running() const;
  // Waits for the program to end by itself; true when it did within the time.
  bool WaitForExit(DWORD timeoutMs);
  DWORD ExitCode() const;
  void Terminate();
  DWORD ProcessId() const { return m_pid; }

 private:
  HANDLE m_process = nullptr;
  DWORD m_pid = 0;
};

// Top-level windows of a process (0: any) with this class and title (null: any).
std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* className, const wchar_t* title);
// The first such window that appears within the time, or null.
HWND WaitForWindow(DWORD pid, const wchar_t* className, const wchar_t* title, DWORD timeoutMs);
// A message box of the process with that caption: a dialog with a static text child.
HWND WaitForMessageBox(DWORD pid, const wchar_t* caption, DWORD timeoutMs);
// The message text of a message box.
std::wstring MessageBoxText(HWND box);
// Presses the message box's default answer (IDOK, or IDNO / IDCANCEL as given).
void AnswerMessageBox(HWND box, int answer);

std::wstring WindowText(HWND hwnd);
std::wstring ClassName(HWND hwnd);
LONG_PTR Style(HWND hwnd);
LONG_PTR ExStyle(HWND hwnd);
std::vector<HWND> ChildWindows(HWND parent);
// Posts WM_COMMAND with the command id (never blocks on a message box the command opens).
bool PostCommand(HWND hwnd, UINT id);

// Registry under HKEY_CURRENT_USER.
bool ReadDword(const std::wstring& key, const std::wstring& name, uint32_t* value);
bool ReadBinary(const std::wstring& key, const std::wstring& name, std::vector<uint8_t>* value);
bool WriteDword(const std::wstring& key, const std::wstring& name, uint32_t value);
bool WriteBinary(const std::wstring& key, const std::wstring& name, const std::vector<uint8_t>& value);
bool WriteString(const std::wstring& key, const std::wstring& name, const std::wstring& value);
bool ReadString(const std::wstring& key, const std::wstring& name, std::wstring* value);
bool DeleteTree(const std::wstring& key);
// The program's main window as its running copy stores it (Options\HWND), when that is a
// window of the process (and visible, when asked); else null.
HWND StoredMainWindow(DWORD processId, bool mustBeVisible = true);

// A whole file's bytes (empty when it cannot be read).
std::vector<uint8_t> ReadFileBytes(const std::wstring& path);

// An image of the screen area of a window, 32-bit pixels 0x00RRGGBB, top row first.
struct Screenshot {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> pixels;
  // Share of pixels (0..1) within `tolerance` per channel of an RGB colour.
  double ShareOf(uint32_t rgb, int tolerance) const;
  // Writes a 24-bit .bmp; false on failure.
  bool SaveBmp(const std::wstring& path) const;
};
bool CaptureWindow(HWND hwnd, Screenshot* shot);

}  // namespace vantrel::e2e
