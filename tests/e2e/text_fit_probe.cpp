// A DLL the display-scaling test loads into the running OrlixVantrel (tests/e2e/text_fit.h):
// a control's font is the program's own GDI object, which no other process can measure with,
// so the measuring happens inside the program. On every "go" event it measures the text of
// each visible static and button of the program's visible dialogs with the control's own font,
// on the dialog's own thread, and writes what does not fit to a file beside this DLL, then
// sets the "done" event.
#include <windows.h>

#include <string>
#include <vector>

namespace {

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);

UINT DpiOf(HWND hwnd) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  auto fn = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(GetProcAddress(user32, "GetDpiForWindow")));
  UINT dpi = fn ? fn(hwnd) : 0;
  if (dpi == 0) {
    HDC screen = GetDC(nullptr);
    dpi = static_cast<UINT>(GetDeviceCaps(screen, LOGPIXELSY));
    ReleaseDC(nullptr, screen);
  }
  return dpi ? dpi : 96;
}

int MetricFor(int index, UINT dpi) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  auto fn = reinterpret_cast<GetSystemMetricsForDpiFn>(
      reinterpret_cast<void*>(GetProcAddress(user32, "GetSystemMetricsForDpi")));
  return fn ? fn(index, dpi) : GetSystemMetrics(index);
}

std::wstring TextOf(HWND hwnd) {
  wchar_t buf[1024] = {};
  GetWindowTextW(hwnd, buf, 1024);
  return buf;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t buf[64] = {};
  GetClassNameW(hwnd, buf, 64);
  return buf;
}

// The text as drawn: "&x" marks a mnemonic, "&&" is one "&".
std::wstring WithoutPrefix(const std::wstring& s) {
  std::wstring out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == L'&' && i + 1 < s.size()) ++i;
    out += s[i];
  }
  return out;
}

struct Report {
  int measured = 0;
  std::wstring lines;
};

// Measures one control; returns false when it is not a text control this check covers.
bool MeasureControl(HWND control, const std::wstring& dialogTitle, Report* report) {
  if (!IsWindowVisible(control)) return false;
  const std::wstring cls = ClassOf(control);
  const LONG style = GetWindowLongW(control, GWL_STYLE);
  const bool isStatic = lstrcmpiW(cls.c_str(), L"Static") == 0;
  const bool isButton = lstrcmpiW(cls.c_str(), L"Button") == 0;
  if (!isStatic && !isButton) return false;
  bool wraps = false, noPrefix = false;
  int reserve = 0;  // pixels of the control that are not for the text
  const UINT dpi = DpiOf(control);
  if (isStatic) {
    const LONG type = style & SS_TYPEMASK;
    if (type != SS_LEFT && type != SS_CENTER && type != SS_RIGHT && type != SS_LEFTNOWORDWRAP && type != SS_SIMPLE)
      return false;
    wraps = (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) && !(style & SS_CENTERIMAGE);
    noPrefix = (style & SS_NOPREFIX) != 0;
  } else {
    const LONG type = style & BS_TYPEMASK;
    switch (type) {
      case BS_PUSHBUTTON:
      case BS_DEFPUSHBUTTON:
        reserve = 2 * MetricFor(SM_CXEDGE, dpi);
        break;
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON:
      case BS_3STATE:
      case BS_AUTO3STATE:
        reserve = MetricFor(SM_CXMENUCHECK, dpi);
        break;
      case BS_GROUPBOX:
        reserve = 0;
        break;
      default:
        return false;  // owner-drawn buttons (colours) have no text of their own
    }
    wraps = (style & BS_MULTILINE) != 0;
  }
  const std::wstring raw = TextOf(control);
  if (raw.empty()) return false;
  // The report has a line per text: line breaks of the text are shown as "\n".
  std::wstring shown;
  for (wchar_t c : raw) {
    if (c == L'\n') shown += L"\\n";
    else if (c != L'\r') shown += c;
  }
  const std::wstring text = noPrefix ? raw : WithoutPrefix(raw);
  RECT client{};
  GetClientRect(control, &client);
  const int width = client.right - client.left - reserve, height = client.bottom - client.top;
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT));
  RECT need{0, 0, width > 0 ? width : 1, 0};
  UINT flags = DT_CALCRECT | DT_NOPREFIX | (wraps ? DT_WORDBREAK : DT_SINGLELINE);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need, flags);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  ++report->measured;
  // One line of text must fit the height too (a group box shows its caption in its top edge).
  const bool tooWide = need.right > width;
  const bool tooHigh = isButton && (style & BS_TYPEMASK) == BS_GROUPBOX ? tm.tmHeight > height : need.bottom > height;
  if (tooWide || tooHigh) {
    wchar_t line[1400];
    wsprintfW(line, L"%s | %s %d \"%s\": needs %dx%d, has %dx%d\n", dialogTitle.c_str(), cls.c_str(),
              GetDlgCtrlID(control), shown.substr(0, 200).c_str(), static_cast<int>(need.right), static_cast<int>(need.bottom), width,
              height);
    report->lines += line;
  }
  return true;
}

struct Walk {
  DWORD pid;
  Report report;
};

BOOL CALLBACK ChildProc(HWND child, LPARAM data) {
  auto* walk = reinterpret_cast<Walk*>(data);
  HWND top = GetAncestor(child, GA_ROOT);
  MeasureControl(child, TextOf(top), &walk->report);
  return TRUE;
}

HINSTANCE g_instance;
UINT g_measureMessage;

// Runs on the dialog's own thread: its controls are measured there, as the program paints
// them, and never while that thread is drawing or changing them.
LRESULT CALLBACK OnDialogThread(int code, WPARAM wp, LPARAM lp) {
  const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lp);
  if (code == HC_ACTION && sent && sent->message == g_measureMessage)
    EnumChildWindows(sent->hwnd, &ChildProc, sent->lParam);
  return CallNextHookEx(nullptr, code, wp, lp);
}

BOOL CALLBACK TopProc(HWND top, LPARAM data) {
  auto* walk = reinterpret_cast<Walk*>(data);
  DWORD pid = 0;
  const DWORD thread = GetWindowThreadProcessId(top, &pid);
  if (pid != walk->pid || !IsWindowVisible(top) || ClassOf(top) != L"#32770") return TRUE;
  HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, &OnDialogThread, g_instance, thread);
  if (!hook) return TRUE;  // not measured: the test sees too few texts
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(top, g_measureMessage, 0, data, SMTO_NORMAL, 10000, &ignored);
  UnhookWindowsHookEx(hook);
  return TRUE;
}

void WriteReport(const std::wstring& path, const Report& report) {
  wchar_t head[64];
  wsprintfW(head, L"measured %d\n", report.measured);
  std::wstring all = head + report.lines;
  int n = WideCharToMultiByte(CP_UTF8, 0, all.c_str(), static_cast<int>(all.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(CP_UTF8, 0, all.c_str(), static_cast<int>(all.size()), utf8.data(), n, nullptr, nullptr);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr);
  CloseHandle(file);
}

std::wstring g_reportPath;

DWORD WINAPI MeasureLoop(void*) {
  const DWORD pid = GetCurrentProcessId();
  wchar_t name[64];
  wsprintfW(name, L"Local\\VantrelTextFitGo-%lu", pid);
  HANDLE go = OpenEventW(SYNCHRONIZE, FALSE, name);
  wsprintfW(name, L"Local\\VantrelTextFitDone-%lu", pid);
  HANDLE done = OpenEventW(EVENT_MODIFY_STATE, FALSE, name);
  if (!go || !done) return 1;
  g_measureMessage = RegisterWindowMessageW(L"VantrelTextFitMeasure");
  // Runs until the program ends; each "go" is one measuring pass.
  while (WaitForSingleObject(go, INFINITE) == WAIT_OBJECT_0) {
    Walk walk{pid, {}};
    EnumWindows(&TopProc, reinterpret_cast<LPARAM>(&walk));
    WriteReport(g_reportPath, walk.report);
    SetEvent(done);
  }
  return 0;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  g_instance = instance;
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(instance, path, MAX_PATH);
  wchar_t suffix[32];
  wsprintfW(suffix, L".%lu.txt", GetCurrentProcessId());
  g_reportPath = std::wstring(path) + suffix;
  // The measuring runs on a thread of its own, started once the loader is done with this DLL.
  HANDLE thread = CreateThread(nullptr, 0, &MeasureLoop, nullptr, 0, nullptr);
  if (thread) CloseHandle(thread);
  return TRUE;
}
