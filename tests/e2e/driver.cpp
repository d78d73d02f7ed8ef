#include "tests/e2e/driver.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace vantrel::e2e {

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (done()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(50);
  }
}

std::wstring WindowsPath(const std::wstring& path) {
  if (path.empty() || path[0] != L'/') return path;
  std::wstring out = L"Z:" + path;
  for (auto& c : out)
    if (c == L'/') c = L'\\';
  return out;
}

Program::~Program() {
  Terminate();
  if (m_process) CloseHandle(m_process);
}

bool Program::Start(const std::wstring& exePath, const wchar_t* workDir) {
  if (m_process) {
    // Once the earlier run has ended the object can start the program again.
    if (Running()) return false;
    CloseHandle(m_process);
    m_process = nullptr;
  }
  std::wstring cmd = L"\"" + exePath + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, workDir, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  m_process = pi.hProcess;
  m_pid = pi.dwProcessId;
  // Lets the program take the foreground when it asks.
  AllowSetForegroundWindow(m_pid);
  return true;
}

bool Program::Running() const { return m_process && WaitForSingleObject(m_process, 0) == WAIT_TIMEOUT; }

bool Program::WaitForExit(DWORD timeoutMs) {
  return m_process && WaitForSingleObject(m_process, timeoutMs) == WAIT_OBJECT_0;
}

DWORD Program::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (m_process) GetExitCodeProcess(m_process, &code);
  return code;
}

void Program::Terminate() {
  if (!Running()) return;
  TerminateProcess(m_process, 99);
  WaitForSingleObject(m_process, 5000);
}

namespace {

struct FindData {
  DWORD pid;
  const wchar_t* className;
  const wchar_t* title;
  std::vector<HWND>* out;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM lp) {
  auto* d = reinterpret_cast<FindData*>(lp);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (d->pid && pid != d->pid) return TRUE;
  if (d->className && ClassName(hwnd) != d->className) return TRUE;
  if (d->title && WindowText(hwnd) != d->title) return TRUE;
  d->out->push_back(hwnd);
  return TRUE;
}

BOOL CALLBACK CollectChildren(HWND hwnd, LPARAM lp) {
  reinterpret_cast<std::vector<HWND>*>(lp)->push_back(hwnd);
  return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* className, const wchar_t* title) {
  std::vector<HWND> out;
  FindData d{pid, className, title, &out};
  EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&d));
  return out;
}

HWND WaitForWindow(DWORD pid, const wchar_t* className, const wchar_t* title, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        auto w = TopLevelWindows(pid, className, title);
        found = w.empty() ? nullptr : w.front();
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

std::vector<HWND> ChildWindows(HWND parent) {
  std::vector<HWND> out;
  EnumChildWindows(parent, &CollectChildren, reinterpret_cast<LPARAM>(&out));
  return out;
}

std::wstring MessageBoxText(HWND box) {
  // The text is the box's static control with text (its id differs between systems).
  for (HWND child : ChildWindows(box)) {
    if (_wcsicmp(ClassName(child).c_str(), L"Static") != 0) continue;
    std::wstring t = WindowText(child);
    if (!t.empty()) return t;
  }
  return {};
}

HWND WaitForMessageBox(DWORD pid, const wchar_t* caption, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND w : TopLevelWindows(pid, L"#32770", caption)) {
          if (IsWindowVisible(w) && !MessageBoxText(w).empty()) {
            found = w;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return found;
}

void AnswerMessageBox(HWND box, int answer) { PostMessageW(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0); }

std::wstring WindowText(HWND hwnd) {
  // WM_GETTEXT with a time-out: a hung window must not hang the test.
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return {};
  std::vector<wchar_t> buf(static_cast<size_t>(length) + 1024, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buf.size(), reinterpret_cast<LPARAM>(buf.data()), SMTO_ABORTIFHUNG, 2000,
                           &got))
    return {};
  return std::wstring(buf.data(), std::min<size_t>(got, buf.size() - 1));
}

std::wstring ClassName(HWND hwnd) {
  wchar_t buf[256] = {};
  int n = GetClassNameW(hwnd, buf, 256);
  return std::wstring(buf, n > 0 ? n : 0);
}

LONG_PTR Style(HWND hwnd) { return GetWindowLongPtrW(hwnd, GWL_STYLE); }
LONG_PTR ExStyle(HWND hwnd) { return GetWindowLongPtrW(hwnd, GWL_EXSTYLE); }

bool PostCommand(HWND hwnd, UINT id) { return PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(id, 0), 0) != FALSE; }

bool ReadDword(const std::wstring& key, const std::wstring& name, uint32_t* value) {
  DWORD v = 0, size = sizeof(v), type = 0;
  HKEY k;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  LONG r = RegQueryValueExW(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&v), &size);
  RegCloseKey(k);
  if (r != ERROR_SUCCESS || type != REG_DWORD) return false;
  *value = v;
  return true;
}

bool ReadBinary(const std::wstring& key, const std::wstring& name, std::vector<uint8_t>* value) {
  HKEY k;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  DWORD size = 0, type = 0;
  LONG r = RegQueryValueExW(k, name.c_str(), nullptr, &type, nullptr, &size);
  if (r == ERROR_SUCCESS) {
    value->assign(size, 0);
    r = RegQueryValueExW(k, name.c_str(), nullptr, &type, value->data(), &size);
  }
  RegCloseKey(k);
  return r == ERROR_SUCCESS && type == REG_BINARY;
}

bool WriteBinary(const std::wstring& key, const std::wstring& name, const std::vector<uint8_t>& value) {
  HKEY k;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) !=
      ERROR_SUCCESS)
    return false;
  LONG r = RegSetValueExW(k, name.c_str(), 0, REG_BINARY, value.data(), static_cast<DWORD>(value.size()));
  RegCloseKey(k);
  return r == ERROR_SUCCESS;
}

HWND StoredMainWindow(DWORD processId, bool mustBeVisible) {
  uint32_t value = 0;
  if (!ReadDword(L"Software\\Orlix Systems\\Vantrel\\Options", L"HWND", &value) || value == 0) return nullptr;
  // Stored as 32 bits: widened with its sign, as the program does.
  HWND h = reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(value)));
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  if (!IsWindow(h) || pid != processId || (mustBeVisible && !IsWindowVisible(h))) return nullptr;
  return h;
}

bool WriteDword(const std::wstring& key, const std::wstring& name, uint32_t value) {
  HKEY k;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) !=
      ERROR_SUCCESS)
    return false;
  DWORD v = value;
  LONG r = RegSetValueExW(k, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof(v));
  RegCloseKey(k);
  return r == ERROR_SUCCESS;
}

bool WriteString(const std::wstring& key, const std::wstring& name, const std::wstring& value) {
  HKEY k;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k, nullptr) !=
      ERROR_SUCCESS)
    return false;
  LONG r = RegSetValueExW(k, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(k);
  return r == ERROR_SUCCESS;
}

bool ReadString(const std::wstring& key, const std::wstring& name, std::wstring* value) {
  HKEY k;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
  DWORD size = 0, type = 0;
  LONG r = RegQueryValueExW(k, name.c_str(), nullptr, &type, nullptr, &size);
  std::vector<wchar_t> text(size / sizeof(wchar_t) + 1, L'\0');
  if (r == ERROR_SUCCESS) r = RegQueryValueExW(k, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size);
  RegCloseKey(k);
  if (r != ERROR_SUCCESS || type != REG_SZ) return false;
  *value = text.data();
  return true;
}

std::vector<uint8_t> ReadFileBytes(const std::wstring& path) {
  std::vector<uint8_t> out;
  HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (f == INVALID_HANDLE_VALUE) return out;
  uint8_t buf[4096];
  DWORD got = 0;
  while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got > 0) out.insert(out.end(), buf, buf + got);
  CloseHandle(f);
  return out;
}

bool DeleteTree(const std::wstring& key) {
  LONG r = RegDeleteTreeW(HKEY_CURRENT_USER, key.c_str());
  return r == ERROR_SUCCESS || r == ERROR_FILE_NOT_FOUND;
}

double Screenshot::ShareOf(uint32_t rgb, int tolerance) const {
  if (pixels.empty()) return 0;
  int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
  size_t hits = 0;
  for (uint32_t p : pixels) {
    int pr = (p >> 16) & 0xFF, pg = (p >> 8) & 0xFF, pb = p & 0xFF;
    if (std::abs(pr - r) <= tolerance && std::abs(pg - g) <= tolerance && std::abs(pb - b) <= tolerance) ++hits;
  }
  return static_cast<double>(hits) / static_cast<double>(pixels.size());
}

bool Screenshot::SaveBmp(const std::wstring& path) const {
  if (width <= 0 || height <= 0) return false;
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return false;
  int stride = (width * 3 + 3) & ~3;
  uint32_t imageSize = static_cast<uint32_t>(stride) * static_cast<uint32_t>(height);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  fh.bfSize = fh.bfOffBits + imageSize;
  BITMAPINFOHEADER ih{};
  ih.biSize = sizeof(ih);
  ih.biWidth = width;
  ih.biHeight = height;
  ih.biPlanes = 1;
  ih.biBitCount = 24;
  ih.biSizeImage = imageSize;
  bool ok = fwrite(&fh, sizeof(fh), 1, f) == 1 && fwrite(&ih, sizeof(ih), 1, f) == 1;
  std::vector<uint8_t> row(static_cast<size_t>(stride), 0);
  for (int y = height - 1; ok && y >= 0; --y) {
    for (int x = 0; x < width; ++x) {
      uint32_t p = pixels[static_cast<size_t>(y) * width + x];
      row[x * 3] = p & 0xFF;
      row[x * 3 + 1] = (p >> 8) & 0xFF;
      row[x * 3 + 2] = (p >> 16) & 0xFF;
    }
    ok = fwrite(row.data(), 1, row.size(), f) == row.size();
  }
  return fclose(f) == 0 && ok;
}

bool CaptureWindow(HWND hwnd, Screenshot* shot) {
  RECT r;
  if (!GetWindowRect(hwnd, &r)) return false;
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top row first
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = false;
  if (dib && bits) {
    HGDIOBJ old = SelectObject(mem, dib);
    ok = BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY) != FALSE;
    GdiFlush();
    SelectObject(mem, old);
    if (ok) {
      shot->width = w;
      shot->height = h;
      const auto* p = static_cast<const uint32_t*>(bits);
      shot->pixels.assign(p, p + static_cast<size_t>(w) * h);
      for (auto& px : shot->pixels) px &= 0x00FFFFFF;
    }
  }
  if (dib) DeleteObject(dib);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return ok;
}

bool ReadProgramArguments(int argc, char** argv, std::wstring* programPath, std::wstring* artifactDir) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s <OrlixVantrel.exe> <artifact folder>\n", argv[0]);
    return false;
  }
  auto widen = [](const char* s) {
    int n = MultiByteToWideChar(CP_ACP, 0, s, -1, nullptr, 0);
    std::wstring w(n > 0 ? n - 1 : 0, L'\0');
    if (n > 1) MultiByteToWideChar(CP_ACP, 0, s, -1, w.data(), n);
    return w;
  };
  *programPath = WindowsPath(widen(argv[1]));
  *artifactDir = WindowsPath(widen(argv[2]));
  CreateDirectoryW(artifactDir->c_str(), nullptr);
  return true;
}

}  // namespace vantrel::e2e
