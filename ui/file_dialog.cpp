#include "ui/file_dialog.h"

#include <commdlg.h>

#include <algorithm>
#include <vector>

namespace vantrel::ui {

namespace {

bool Ask(FileDialogRequest& r, bool open) {
  std::vector<wchar_t> buffer(std::max<size_t>(r.capacity, 2), L'\0');
  r.file.copy(buffer.data(), std::min(r.file.size(), buffer.size() - 1));
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = r.owner;
  ofn.lpstrFilter = r.filter;
  ofn.nFilterIndex = r.filterIndex;
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrTitle = r.title;
  ofn.lpstrDefExt = r.defaultExtension;
  ofn.lpstrInitialDir = r.folder;
  ofn.Flags = r.flags | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_EXPLORER;
  if (!(open ? GetOpenFileNameW(&ofn) : GetSaveFileNameW(&ofn))) return false;
  r.file = buffer.data();
  r.filterIndex = ofn.nFilterIndex;
  return true;
}

}  // namespace

bool AskSaveFile(FileDialogRequest& request) { return Ask(request, false); }
bool AskOpenFile(FileDialogRequest& request) { return Ask(request, true); }

}  // namespace vantrel::ui
