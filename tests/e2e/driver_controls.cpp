#include "tests/e2e/driver_controls.h"

#include <commctrl.h>

#include <cstring>

#include "tests/e2e/driver.h"

namespace vantrel::e2e {

namespace {

constexpr DWORD kSendTimeoutMs = 10000;

// Memory in the process that owns a window: list-view messages carry pointers, which must
// point into the receiver's address space.
class RemoteBuffer {
 public:
  RemoteBuffer(HWND window, size_t size) : m_size(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    m_process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (m_process) m_base = VirtualAllocEx(m_process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }
  ~RemoteBuffer() {
    if (m_base && !m_keep) VirtualFreeEx(m_process, m_base, 0, MEM_RELEASE);
    if (m_process) CloseHandle(m_process);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  bool ok() const { return m_base != nullptr; }
  BYTE* at(size_t offset) const { return static_cast<BYTE*>(m_base) + offset; }
  bool Write(size_t offset, const void* data, size_t size) {
    SIZE_T done = 0;
    return offset + size <= m_size && WriteProcessMemory(m_process, at(offset), data, size, &done) && done == size;
  }
  bool Read(size_t offset, void* data, size_t size) const {
    SIZE_T done = 0;
    return offset + size <= m_size && ReadProcessMemory(m_process, at(offset), data, size, &done) && done == size;
  }
  // A message that timed out may still be read by the receiver later: leave the memory.
  void KeepAfterTimeout() { m_keep = true; }

 private:
  HANDLE m_process = nullptr;
  void* m_base = nullptr;
  size_t m_size;
  bool m_keep = false;
};

bool SendWithTimeout(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result = nullptr) {
  DWORD_PTR answer = 0;
  bool ok = SendMessageTimeoutW(hwnd, msg, wp, lp, SMTO_NORMAL, kSendTimeoutMs, &answer) != 0;
  if (result) *result = static_cast<LRESULT>(answer);
  return ok;
}

bool SetItemState(HWND list, int row, UINT state, UINT mask) {
  RemoteBuffer buf(list, sizeof(LVITEMW));
  if (!buf.ok()) return false;
  LVITEMW item{};
  item.state = state;
  item.stateMask = mask;
  if (!buf.Write(0, &item, sizeof item)) return false;
  LRESULT r = 0;
  if (!SendWithTimeout(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buf.at(0)), &r)) {
    buf.KeepAfterTimeout();
    return false;
  }
  return r != 0;
}

}  // namespace

HWND Control(HWND dialog, int id) { return dialog ? GetDlgItem(dialog, id) : nullptr; }

std::wstring ControlText(HWND dialog, int id) {
  HWND c = Control(dialog, id);
  return c ? WindowText(c) : std::wstring();
}

bool ControlEnabled(HWND dialog, int id) {
  HWND c = Control(dialog, id);
  return c && IsWindowEnabled(c);
}

bool ControlVisible(HWND dialog, int id) {
  HWND c = Control(dialog, id);
  return c && (GetWindowLongPtrW(c, GWL_STYLE) & WS_VISIBLE);
}

bool ClickButton(HWND dialog, int id) {
  HWND c = Control(dialog, id);
  return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(c)) != FALSE;
}

bool SetCheck(HWND dialog, int id, bool checked) {
  HWND c = Control(dialog, id);
  if (!c || !SendWithTimeout(c, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0)) return false;
  return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(c)) != FALSE;
}

bool IsChecked(HWND dialog, int id) {
  HWND c = Control(dialog, id);
  LRESULT r = 0;
  return c && SendWithTimeout(c, BM_GETCHECK, 0, 0, &r) && r == BST_CHECKED;
}

bool SetControlText(HWND dialog, int id, const std::wstring& text) {
  HWND c = Control(dialog, id);
  return c && SendWithTimeout(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::vector<std::wstring> ComboItems(HWND dialog, int id) {
  std::vector<std::wstring> items;
  HWND c = Control(dialog, id);
  LRESULT count = 0;
  if (!c || !SendWithTimeout(c, CB_GETCOUNT, 0, 0, &count)) return items;
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT len = 0;
    SendWithTimeout(c, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0, &len);
    std::wstring text(static_cast<size_t>(len > 0 ? len : 0) + 1, L'\0');
    SendWithTimeout(c, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcslen(text.c_str()));
    items.push_back(text);
  }
  return items;
}

int ComboSelection(HWND dialog, int id) {
  HWND c = Control(dialog, id);
  LRESULT r = -1;
  if (!c || !SendWithTimeout(c, CB_GETCURSEL, 0, 0, &r)) return -1;
  return static_cast<int>(r);
}

bool SelectComboItem(HWND dialog, int id, int index) {
  HWND c = Control(dialog, id);
  LRESULT r = CB_ERR;
  if (!c || !SendWithTimeout(c, CB_SETCURSEL, static_cast<WPARAM>(index), 0, &r) || r == CB_ERR) return false;
  return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(c)) != FALSE;
}

bool SelectComboText(HWND dialog, int id, const std::wstring& text) {
  std::vector<std::wstring> items = ComboItems(dialog, id);
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i] == text) return SelectComboItem(dialog, id, static_cast<int>(i));
  return false;
}

int ListViewRowCount(HWND list) {
  LRESULT r = 0;
  return list && SendWithTimeout(list, LVM_GETITEMCOUNT, 0, 0, &r) ? static_cast<int>(r) : 0;
}

int ListViewColumnCount(HWND list) {
  LRESULT header = 0;
  if (!list || !SendWithTimeout(list, LVM_GETHEADER, 0, 0, &header) || !header) return 0;
  LRESULT r = 0;
  return SendWithTimeout(reinterpret_cast<HWND>(header), HDM_GETITEMCOUNT, 0, 0, &r) ? static_cast<int>(r) : 0;
}

std::wstring ListViewCell(HWND list, int row, int column) {
  constexpr size_t kChars = 2048;
  const size_t textAt = (sizeof(LVITEMW) + 15) / 16 * 16;
  RemoteBuffer buf(list, textAt + kChars * sizeof(wchar_t));
  if (!buf.ok()) return {};
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = reinterpret_cast<LPWSTR>(buf.at(textAt));
  item.cchTextMax = static_cast<int>(kChars);
  wchar_t zero = 0;
  if (!buf.Write(0, &item, sizeof item) || !buf.Write(textAt, &zero, sizeof zero)) return {};
  if (!SendWithTimeout(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buf.at(0)))) {
    buf.KeepAfterTimeout();
    return {};
  }
  std::wstring text(kChars, L'\0');
  if (!buf.Read(textAt, text.data(), kChars * sizeof(wchar_t))) return {};
  text.back() = 0;
  text.resize(wcslen(text.c_str()));
  return text;
}

std::vector<std::vector<std::wstring>> ListViewRows(HWND list) {
  std::vector<std::vector<std::wstring>> rows;
  int columns = ListViewColumnCount(list);
  for (int r = 0, n = ListViewRowCount(list); r < n; ++r) {
    std::vector<std::wstring> cells;
    for (int c = 0; c < columns; ++c) cells.push_back(ListViewCell(list, r, c));
    rows.push_back(std::move(cells));
  }
  return rows;
}

bool ListViewSelectRow(HWND list, int row) {
  SetItemState(list, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
  return SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

std::vector<int> ListViewSelectedRows(HWND list) {
  std::vector<int> rows;
  LRESULT r = -1;
  for (int guard = 0; guard < 100000; ++guard) {
    if (!SendWithTimeout(list, LVM_GETNEXTITEM, static_cast<WPARAM>(r), LVNI_SELECTED, &r) || r < 0) break;
    rows.push_back(static_cast<int>(r));
  }
  return rows;
}

bool ListViewSetChecked(HWND list, int row, bool checked) {
  return SetItemState(list, row, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), LVIS_STATEIMAGEMASK);
}

bool ListViewChecked(HWND list, int row) {
  LRESULT r = 0;
  if (!SendWithTimeout(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK, &r)) return false;
  return ((static_cast<UINT>(r) & LVIS_STATEIMAGEMASK) >> 12) == 2;
}

bool ListViewClickHeader(HWND list, int column) {
  HWND parent = GetParent(list);
  RemoteBuffer buf(list, sizeof(NMLISTVIEW));
  if (!parent || !buf.ok()) return false;
  NMLISTVIEW nm{};
  nm.hdr.hwndFrom = list;
  nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list));
  nm.hdr.code = LVN_COLUMNCLICK;
  nm.iItem = -1;
  nm.iSubItem = column;
  if (!buf.Write(0, &nm, sizeof nm)) return false;
  if (!SendWithTimeout(parent, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(buf.at(0)))) {
    buf.KeepAfterTimeout();
    return false;
  }
  return true;
}

HWND SheetCurrentPage(HWND sheet) {
  LRESULT r = 0;
  return sheet && SendWithTimeout(sheet, PSM_GETCURRENTPAGEHWND, 0, 0, &r) ? reinterpret_cast<HWND>(r) : nullptr;
}

bool SheetSelectPage(HWND sheet, int index) {
  // Posted: leaving a page may show a message box.
  return sheet && PostMessageW(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0) != FALSE;
}

std::vector<std::wstring> SheetTabTexts(HWND sheet) {
  std::vector<std::wstring> texts;
  LRESULT tab = 0, count = 0;
  if (!sheet || !SendWithTimeout(sheet, PSM_GETTABCONTROL, 0, 0, &tab) || !tab) return texts;
  HWND tabs = reinterpret_cast<HWND>(tab);
  if (!SendWithTimeout(tabs, TCM_GETITEMCOUNT, 0, 0, &count)) return texts;
  constexpr size_t kChars = 256;
  const size_t textAt = (sizeof(TCITEMW) + 15) / 16 * 16;
  for (LRESULT i = 0; i < count; ++i) {
    RemoteBuffer buf(tabs, textAt + kChars * sizeof(wchar_t));
    if (!buf.ok()) return texts;
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = reinterpret_cast<LPWSTR>(buf.at(textAt));
    item.cchTextMax = static_cast<int>(kChars);
    wchar_t zero = 0;
    if (!buf.Write(0, &item, sizeof item) || !buf.Write(textAt, &zero, sizeof zero)) return texts;
    if (!SendWithTimeout(tabs, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf.at(0)))) {
      buf.KeepAfterTimeout();
      return texts;
    }
    std::wstring text(kChars, L'\0');
    if (!buf.Read(textAt, text.data(), kChars * sizeof(wchar_t))) return texts;
    text.back() = 0;
    text.resize(wcslen(text.c_str()));
    texts.push_back(std::move(text));
  }
  return texts;
}

HWND SheetPageWithControl(HWND sheet, int controlId) {
  for (HWND child : ChildWindows(sheet))
    if (GetParent(child) == sheet && ClassName(child) == L"#32770" && GetDlgItem(child, controlId)) return child;
  return nullptr;
}

void PressKey(HWND hwnd, UINT virtualKey) {
  UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
  PostMessageW(hwnd, WM_KEYDOWN, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16));
  PostMessageW(hwnd, WM_KEYUP, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16) | (3LL << 30));
}

HWND WaitForFileDialog(DWORD pid, const wchar_t* title, DWORD timeoutMs) {
  return WaitForWindow(pid, L"#32770", title, timeoutMs);
}

bool AnswerFileDialog(HWND dialog, const std::wstring& path) {
  // The file name box: the explorer-style dialogue's combo box (cmb13), else the old edit (edt1).
  HWND name = GetDlgItem(dialog, 0x47C);
  if (!name) name = GetDlgItem(dialog, 0x480);
  if (!name || !SendWithTimeout(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()))) return false;
  return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                      reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK))) != FALSE;
}

void CancelFileDialog(HWND dialog) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
}

bool SelectFileDialogFilter(HWND dialog, int index) {
  // The file type box (cmb1). Systems differ in which notification they act on, so both are
  // sent, in the order a click gives them; sent, so the choice is made before anything else.
  HWND types = GetDlgItem(dialog, 0x470);
  LRESULT r = CB_ERR;
  if (!types || !SendWithTimeout(types, CB_SETCURSEL, static_cast<WPARAM>(index), 0, &r) || r == CB_ERR) return false;
  LPARAM from = reinterpret_cast<LPARAM>(types);
  return SendWithTimeout(dialog, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELCHANGE), from) &&
         SendWithTimeout(dialog, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELENDOK), from);
}

HWND WaitForDialogWithControl(DWORD pid, int controlId, DWORD timeoutMs) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        for (HWND w : TopLevelWindows(pid, L"#32770", nullptr)) {
          if (IsWindowVisible(w) && GetDlgItem(w, controlId)) {
            found = w;
            return true;
          }
        }
        return false;
      },
      timeoutMs);
  return found;
}

}  // namespace vantrel::e2e
