#include "tests/e2e/text_fit.h"

#include <cstdio>

#include "tests/e2e/driver.h"

namespace vantrel::e2e {

TextFitProbe::~TextFitProbe() {
  if (m_go) CloseHandle(m_go);
  if (m_done) CloseHandle(m_done);
}

bool TextFitProbe::Attach(DWORD pid, const std::wstring& dllPath, DWORD timeoutMs) {
  if (m_pid == pid && m_go) return true;
  // Another process (the program was started again): new events for it.
  if (m_go) CloseHandle(m_go);
  if (m_done) CloseHandle(m_done);
  m_go = m_done = nullptr;
  m_pid = pid;
  wchar_t name[64];
  std::swprintf(name, 64, L"Local\\VantrelTextFitGo-%lu", static_cast<unsigned long>(pid));
  m_go = CreateEventW(nullptr, FALSE, FALSE, name);
  std::swprintf(name, 64, L"Local\\VantrelTextFitDone-%lu", static_cast<unsigned long>(pid));
  m_done = CreateEventW(nullptr, FALSE, FALSE, name);
  wchar_t suffix[32];
  std::swprintf(suffix, 32, L".%lu.txt", static_cast<unsigned long>(pid));
  m_reportPath = dllPath + suffix;
  if (!m_go || !m_done) return false;

  // LoadLibraryW in the program, on a thread of its own; kernel32 sits at the same address in
  // every process.
  HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION | PROCESS_VM_OPERATION |
                                   PROCESS_VM_WRITE | PROCESS_VM_READ | SYNCHRONIZE,
                               FALSE, pid);
  if (!process) return false;
  const size_t bytes = (dllPath.size() + 1) * sizeof(wchar_t);
  void* remote = VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  bool ok = false;
  SIZE_T written = 0;
  if (remote && WriteProcessMemory(process, remote, dllPath.c_str(), bytes, &written) && written == bytes) {
    auto load = reinterpret_cast<LPTHREAD_START_ROUTINE>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW")));
    HANDLE thread = CreateRemoteThread(process, nullptr, 0, load, remote, 0, nullptr);
    if (thread) {
      DWORD code = 0;
      ok = WaitForSingleObject(thread, timeoutMs) == WAIT_OBJECT_0 && GetExitCodeThread(thread, &code) && code != 0;
      CloseHandle(thread);
    }
  }
  if (remote && ok) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return ok;
}

int TextFitProbe::Measure(DWORD timeoutMs, std::vector<std::wstring>* overflows) {
  if (!m_go || !m_done) return -1;
  DeleteFileW(m_reportPath.c_str());
  ResetEvent(m_done);
  SetEvent(m_go);
  if (WaitForSingleObject(m_done, timeoutMs) != WAIT_OBJECT_0) return -1;
  std::vector<uint8_t> bytes = ReadFileBytes(m_reportPath);
  std::string utf8(bytes.begin(), bytes.end());
  int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring text(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(), n);
  int measured = -1;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    if (measured < 0) {
      if (std::swscanf(line.c_str(), L"measured %d", &measured) != 1) return -1;
    } else if (!line.empty()) {
      overflows->push_back(line);
    }
    start = end + 1;
  }
  return measured;
}

}  // namespace vantrel::e2e
