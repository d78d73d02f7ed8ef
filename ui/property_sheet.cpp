#include "ui/property_sheet.h"

#include <cstring>

#include "ui/dialog_font.h"
#include "ui/dpi.h"

namespace vantrel::ui {

namespace {

// The sheet whose PropertySheetW call is under way: the system's callback carries no
// pointer of ours, and a thread creates one sheet at a time.
thread_local CPropertySheet* t_creatingSheet = nullptr;

constexpr UINT_PTR kSubclassId = 0x56414E54;  // 'VANT'

bool IsSheetNotification(UINT code) {
  // PSN_FIRST .. PSN_LAST run downwards from 0U-200U to 0U-299U.
  return code <= PSN_FIRST && code >= PSN_LAST;
}

}  // namespace

CPropertyPage::CPropertyPage(HINSTANCE instance, UINT templateId) : m_instance(instance), m_templateId(templateId) {}

CPropertyPage::CPropertyPage(HINSTANCE instance, const DLGTEMPLATE* dialogTemplate)
    : m_instance(instance), m_indirect(dialogTemplate) {}

PROPSHEETPAGEW CPropertyPage::Descriptor() {
  PROPSHEETPAGEW psp{};
  psp.dwSize = sizeof psp;
  psp.dwFlags = PSP_DEFAULT;
  if (m_hasHelp) psp.dwFlags |= PSP_HASHELP;
  psp.hInstance = m_instance;
  if (m_indirect) {
    psp.dwFlags |= PSP_DLGINDIRECT;
    psp.pResource = m_indirect;
  } else {
    psp.pszTemplate = MAKEINTRESOURCEW(m_templateId);
  }
  psp.pfnDlgProc = &CPropertyPage::PageProc;
  psp.lParam = reinterpret_cast<LPARAM>(this);
  return psp;
}

void CPropertyPage::SetModified(bool changed) {
  if (!m_hwnd || !m_sheet || !m_sheet->hwnd()) return;
  SendMessageW(m_sheet->hwnd(), changed ? PSM_CHANGED : PSM_UNCHANGED, reinterpret_cast<WPARAM>(m_hwnd), 0);
}

bool CPropertyPage::BringToFront() {
  if (!m_sheet || !m_sheet->hwnd()) return false;
  if (m_active) return true;
  for (int i = 0; i < m_sheet->PageCount(); ++i)
    if (m_sheet->Page(i) == this) return m_sheet->SetActivePage(i);
  return false;
}

bool CPropertyPage::RefuseWithWarning(const wchar_t* caption, const std::wstring& text, int focusControlId) {
  BringToFront();
  HWND owner = m_sheet && m_sheet->hwnd() ? m_sheet->hwnd() : m_hwnd;
  MessageBoxW(owner, text.c_str(), caption, MB_OK | MB_ICONWARNING);
  if (m_hwnd) {
    HWND control = GetDlgItem(m_hwnd, focusControlId);
    if (control) SetFocus(control);
  }
  return false;
}

bool CPropertyPage::OnSheetNotify(const NMHDR* hdr, LRESULT* result) {
  switch (hdr->code) {
    case PSN_SETACTIVE: {
      bool accepted = OnSetActive();
      if (accepted) {
        m_active = true;
        if (m_sheet) m_sheet->PageActivated(this);
      }
      *result = accepted ? 0 : -1;
      return true;
    }
    case PSN_KILLACTIVE: {
      bool leave = OnKillActive();
      if (leave) m_active = false;
      *result = leave ? FALSE : TRUE;
      return true;
    }
    case PSN_APPLY:
      *result = OnApply() ? PSNRET_NOERROR : PSNRET_INVALID_NOCHANGEPAGE;
      return true;
    case PSN_RESET:
      OnReset();
      *result = 0;
      return true;
    default:
      return false;
  }
}

INT_PTR CALLBACK CPropertyPage::PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  CPropertyPage* self = nullptr;
  if (msg == WM_INITDIALOG) {
    // The system hands over its copy of the page's descriptor, whose lParam is the object.
    auto* psp = reinterpret_cast<const PROPSHEETPAGEW*>(lp);
    self = psp ? reinterpret_cast<CPropertyPage*>(psp->lParam) : nullptr;
    if (self) self->Attach(hwnd);
  } else {
    self = static_cast<CPropertyPage*>(FromHandle(hwnd));
  }
  if (!self) return FALSE;
  if (msg == WM_NOTIFY) {
    const auto* hdr = reinterpret_cast<const NMHDR*>(lp);
    if (hdr && hdr->hwndFrom == GetParent(hwnd) && IsSheetNotification(hdr->code)) {
      LRESULT result = 0;
      if (self->OnSheetNotify(hdr, &result)) {
        SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, result);
        return TRUE;
      }
    }
  }
  if (msg == WM_NCDESTROY) self->m_active = false;
  return Dispatch(self, msg, wp, lp);
}

CPropertySheet::~CPropertySheet() {
  if (m_hwnd) RemoveWindowSubclass(m_hwnd, &CPropertySheet::SubclassProc, kSubclassId);
}

void CPropertySheet::AddPage(CPropertyPage* page) {
  if (!page) return;
  page->m_sheet = this;
  m_pages.push_back(page);
}

CPropertyPage* CPropertySheet::Page(int index) const {
  return index >= 0 && index < PageCount() ? m_pages[static_cast<size_t>(index)] : nullptr;
}

PROPSHEETHEADERW CPropertySheet::Header(HWND owner, DWORD mode, std::vector<PROPSHEETPAGEW>* pages) {
  pages->clear();
  for (CPropertyPage* p : m_pages) {
    p->m_sheet = this;
    p->m_active = false;
    pages->push_back(p->Descriptor());
  }
  int start = m_startPage;
  if (start < 0 || start >= PageCount()) start = 0;
  m_lastActive = start;
  PROPSHEETHEADERW h{};
  h.dwSize = sizeof h;
  h.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK | mode | m_extraFlags;
  if (m_icon) h.dwFlags |= PSH_USEHICON;
  h.hwndParent = owner;
  h.hInstance = m_instance;
  h.hIcon = m_icon;
  h.pszCaption = m_caption.c_str();
  h.nPages = static_cast<UINT>(pages->size());
  h.nStartPage = static_cast<UINT>(start);
  h.ppsp = pages->data();
  h.pfnCallback = &CPropertySheet::SheetCallback;
  return h;
}

INT_PTR CPropertySheet::DoModal(HWND owner) {
  if (m_hwnd || m_pages.empty()) return -1;
  std::vector<PROPSHEETPAGEW> pages;
  PROPSHEETHEADERW h = Header(owner, 0, &pages);
  t_creatingSheet = this;
  INT_PTR result = PropertySheetW(&h);
  t_creatingSheet = nullptr;
  return result;
}

bool CPropertySheet::CreateModeless(HWND owner) {
  if (m_hwnd || m_pages.empty()) return false;
  std::vector<PROPSHEETPAGEW> pages;
  PROPSHEETHEADERW h = Header(owner, PSH_MODELESS, &pages);
  t_creatingSheet = this;
  INT_PTR result = PropertySheetW(&h);
  t_creatingSheet = nullptr;
  return result != 0 && result != -1 && m_hwnd != nullptr;
}

int CALLBACK CPropertySheet::SheetCallback(HWND hwnd, UINT msg, LPARAM lp) {
  CPropertySheet* self = t_creatingSheet;
  if (!self) return 0;
  if (msg == PSCB_PRECREATE && lp) {
    // The template may be the extended form (signature 0xFFFF in its second word).
    auto* words = reinterpret_cast<WORD*>(lp);
    DWORD* exStyle = nullptr;
    DWORD* style = nullptr;
    if (words[1] == 0xFFFF) {
      exStyle = reinterpret_cast<DWORD*>(reinterpret_cast<BYTE*>(lp) + 8);
      style = reinterpret_cast<DWORD*>(reinterpret_cast<BYTE*>(lp) + 12);
    } else {
      style = reinterpret_cast<DWORD*>(lp);
      exStyle = reinterpret_cast<DWORD*>(reinterpret_cast<BYTE*>(lp) + 4);
    }
    DWORD s = 0, e = 0;
    std::memcpy(&s, style, sizeof s);
    std::memcpy(&e, exStyle, sizeof e);
    s |= self->m_extraStyle;
    e |= self->m_extraExStyle;
    std::memcpy(style, &s, sizeof s);
    std::memcpy(exStyle, &e, sizeof e);
  } else if (msg == PSCB_INITIALIZED && hwnd) {
    t_creatingSheet = nullptr;
    self->Attach(hwnd);
    SetWindowSubclass(hwnd, &CPropertySheet::SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(self));
    // The sheet's buttons and tabs show the dialog font at the sheet's DPI, as its pages do.
    ApplyDialogFont(hwnd);
    self->OnInitSheet();
  }
  return 0;
}

LRESULT CALLBACK CPropertySheet::SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR ref) {
  auto* self = reinterpret_cast<CPropertySheet*>(ref);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, &CPropertySheet::SubclassProc, kSubclassId);
    LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
    if (self) self->Detach();
    return r;
  }
  // Moved to a screen of another DPI: the sheet's and its pages' controls get their fonts at it
  // (the system's sheet resizes itself and its pages).
  if (msg == kWmDpiChanged) RescaleSharedFonts(hwnd, LOWORD(wp));
  if (self) {
    LRESULT result = 0;
    if (self->OnSheetMessage(msg, wp, lp, &result)) return result;
  }
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void CPropertySheet::PageActivated(CPropertyPage* page) {
  for (int i = 0; i < PageCount(); ++i)
    if (m_pages[static_cast<size_t>(i)] == page) m_lastActive = i;
}

int CPropertySheet::ActivePageIndex() const {
  for (int i = 0; i < PageCount(); ++i)
    if (m_pages[static_cast<size_t>(i)]->IsActive()) return i;
  return -1;
}

CPropertyPage* CPropertySheet::ActivePage() const { return Page(ActivePageIndex()); }

bool CPropertySheet::SetActivePage(int index) {
  if (!m_hwnd || index < 0 || index >= PageCount()) return false;
  return SendMessageW(m_hwnd, PSM_SETCURSEL, static_cast<WPARAM>(index), 0) != 0;
}

RECT CPropertySheet::PageArea() const {
  RECT r{};
  if (!m_hwnd) return r;
  HWND tab = reinterpret_cast<HWND>(SendMessageW(m_hwnd, PSM_GETTABCONTROL, 0, 0));
  if (!tab) return r;
  GetWindowRect(tab, &r);
  MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&r), 2);
  SendMessageW(tab, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  return r;
}

void CPropertySheet::PressApply() {
  if (m_hwnd) SendMessageW(m_hwnd, PSM_APPLY, 0, 0);
}

}  // namespace vantrel::ui
