// CMainDlg: window behaviour. Placement, the stacked rate views and their separator strips,
// dragging the window from anywhere, always on top, the caption switch and the layered
// window. The arithmetic is in app/logic/window_layout; this file measures and moves.
#include <cstdlib>

#include "app/res/resource.h"
#include "app/win32/main_dlg.h"
#include "ui/dpi.h"

namespace vantrel {

namespace {

PixelRect FromRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }
RECT ToRect(const PixelRect& r) { return {r.left, r.top, r.right, r.bottom}; }

bool LeftButtonDown() {
  int key = GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
  return (GetAsyncKeyState(key) & 0x8000) != 0;
}

using SetLayeredWindowAttributesFn = BOOL(WINAPI*)(HWND, COLORREF, BYTE, DWORD);

}  // namespace

std::vector<AdapterEntry*> CMainDlg::DisplayedEntries() {
  std::vector<AdapterEntry*> out;
  for (auto& entry : m_adapters)
    if (entry.view) out.push_back(&entry);
  return out;
}

PixelRect CMainDlg::WindowRectangle() const {
  RECT r{};
  if (IsIconic(m_hwnd)) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    GetWindowPlacement(m_hwnd, &wp);
    r = wp.rcNormalPosition;
  } else {
    GetWindowRect(m_hwnd, &r);
  }
  return FromRect(r);
}

PixelRect CMainDlg::ClientRectangle() const {
  RECT r{};
  GetClientRect(m_hwnd, &r);
  return FromRect(r);
}

void CMainDlg::MoveWindowAsProgram(const PixelRect& r) {
  // Moves may nest (a move to a screen of another DPI brings WM_DPICHANGED).
  const bool outer = m_programMove;
  m_programMove = true;
  MoveWindow(m_hwnd, r.left, r.top, r.Width(), r.Height(), TRUE);
  m_programMove = outer;
}

void CMainDlg::PlaceWindowAtStart() {
  RECT work{};
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0))
    work = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  PixelRect placed;
  if (m_options.wndPosition.IsEmpty()) {
    // First start: the default client size at the screen's DPI, in the work area's corner.
    PixelSize client = DefaultClientSize(m_dpi);
    RECT frame{0, 0, client.width, client.height};
    ui::AdjustWindowRectForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_STYLE)),
                               static_cast<DWORD>(GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE)), m_dpi);
    placed = StartPlacement(WindowRect{}, frame.right - frame.left, frame.bottom - frame.top, FromRect(work),
                            ui::SystemMetricForDpi(SM_CXVSCROLL, m_dpi), ui::SystemMetricForDpi(SM_CYHSCROLL, m_dpi));
  } else {
    // The stored rectangle at the DPI of the screen it is on, kept on that screen's work area
    // (a screen that is gone, or a position saved at another scale, never hides the window).
    const WindowRect& stored = m_options.wndPosition;
    RECT at{stored.left, stored.top, stored.right, stored.bottom};
    HMONITOR monitor = MonitorFromRect(&at, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    PixelRect area = monitor && GetMonitorInfoW(monitor, &info) ? FromRect(info.rcWork) : FromRect(work);
    placed = KeepOnWorkArea(RestoredWindowRect(stored, ui::DpiOfMonitor(monitor)), area);
  }
  MoveWindowAsProgram(placed);
  m_dpi = ui::DpiOfWindow(m_hwnd);
  PixelRect client = ClientRectangle();
  SizeShortfall s = MinimumClientShortfall(client.Width(), client.Height(), m_options.rateViewMargins, m_dpi);
  if (s.dx || s.dy) {
    placed.right += s.dx;
    placed.bottom += s.dy;
    MoveWindowAsProgram(placed);
  }
  client = ClientRectangle();
  m_lastClientWidth = client.Width();
  m_lastClientHeight = client.Height();
}

bool CMainDlg::CreateViewFor(AdapterEntry& entry, const RECT& rect) {
  auto view = std::make_unique<CRateView>();
  if (!view->Create(m_hwnd, rect, &entry, &m_state.shown, ViewSettings(),
                    EntryTitle(entry, m_options.showIPInTitle != 0)))
    return false;
  view->SetFixedScale(entry.connRateBps != 0, entry.connRateBps / 8, false);
  view->LayoutAndRedraw();
  entry.view = view.get();
  m_views[&entry] = std::move(view);
  return true;
}

void CMainDlg::CreateViewsAtStart() {
  std::vector<AdapterEntry*> entries;
  std::vector<float> fractions;
  for (auto& entry : m_adapters) {
    if (!entry.monitored) continue;
    entries.push_back(&entry);
    fractions.push_back(entry.size);
  }
  PixelRect client = ClientRectangle();
  int growth = ZeroFractionGrowth(client.Height(), fractions, m_dpi);
  if (growth > 0) {
    PixelRect window = WindowRectangle();
    window.bottom += growth;
    MoveWindowAsProgram(window);
    client = ClientRectangle();
    m_lastClientWidth = client.Width();
    m_lastClientHeight = client.Height();
  }
  ViewStack stack = StackAtStart(client.Width(), client.Height(), m_options.rateViewMargins, fractions, m_dpi);
  std::vector<AdapterEntry*> created;
  ViewStack kept;
  for (size_t i = 0; i < entries.size(); ++i) {
    if (!CreateViewFor(*entries[i], ToRect(stack.views[i]))) {
      entries[i]->monitored = false;
      continue;
    }
    created.push_back(entries[i]);
    kept.views.push_back(stack.views[i]);
  }
  // Views that could not be created leave no gap: stack what exists once more.
  if (created.size() != entries.size()) {
    std::vector<float> f;
    for (AdapterEntry* e : created) f.push_back(e->size);
    kept = StackAtStart(client.Width(), client.Height(), m_options.rateViewMargins, f, m_dpi);
  }
  ApplyStack(kept, created, true, client.Height());
}

void CMainDlg::ApplyStack(const ViewStack& stack, const std::vector<AdapterEntry*>& entries, bool updateFractions,
                          int clientHeight) {
  size_t n = std::min(stack.views.size(), entries.size());
  for (size_t i = 0; i < n; ++i) {
    auto* view = static_cast<CRateView*>(entries[i]->view);
    const PixelRect& r = stack.views[i];
    MoveWindow(view->hwnd(), r.left, r.top, r.Width(), r.Height(), TRUE);
  }
  if (updateFractions) {
    std::vector<float> f = Fractions(stack.views, clientHeight);
    for (size_t i = 0; i < n; ++i) entries[i]->size = f[i];
  }
  m_stack = stack;
  m_stack.views.resize(n);
  if (m_stack.strips.size() + 1 > n) m_stack.strips.resize(n ? n - 1 : 0);
}

void CMainDlg::CollectStack(const std::vector<AdapterEntry*>& entries) {
  m_stack.views.clear();
  for (AdapterEntry* e : entries) {
    RECT r{};
    HWND child = static_cast<CRateView*>(e->view)->hwnd();
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, m_hwnd, reinterpret_cast<POINT*>(&r), 2);
    m_stack.views.push_back(FromRect(r));
  }
}

void CMainDlg::AddView(AdapterEntry& entry) {
  std::vector<AdapterEntry*> before = DisplayedEntries();
  std::vector<int> heightsBefore;
  for (size_t i = 0; i < before.size() && i < m_stack.views.size(); ++i)
    heightsBefore.push_back(m_stack.views[i].Height());
  if (!CreateViewFor(entry, RECT{0, 0, 0, 0})) return;

  int h = NaturalViewHeight(m_options.displayTitle != 0, std::abs(m_options.titleFont.height),
                            m_options.displayText != 0, std::abs(m_options.rateFont.height),
                            m_options.displayGraph != 0, m_dpi);
  MoveWindowAsProgram(GrowForAddedView(WindowRectangle(), h, m_dpi));

  std::vector<AdapterEntry*> entries = DisplayedEntries();
  std::vector<int> heights;
  size_t old = 0;
  for (AdapterEntry* e : entries) {
    if (e == &entry)
      heights.push_back(h + 1);
    else
      heights.push_back(old < heightsBefore.size() ? heightsBefore[old++] : 0);
  }
  PixelRect client = ClientRectangle();
  m_lastClientWidth = client.Width();
  m_lastClientHeight = client.Height();
  ViewStack stack = StackKeepingHeights(client.Width(), client.Height(), m_options.rateViewMargins, heights, m_dpi);
  ApplyStack(stack, entries, true, client.Height());
  for (AdapterEntry* e : entries)
    if (e != &entry) static_cast<CRateView*>(e->view)->ResetTimeGridPhase();
}

bool CMainDlg::RemoveView(AdapterEntry& entry) {
  std::vector<AdapterEntry*> before = DisplayedEntries();
  if (before.size() <= 1 || !entry.view) return false;
  int removedHeight = 0;
  std::vector<int> heights;
  for (size_t i = 0; i < before.size() && i < m_stack.views.size(); ++i) {
    if (before[i] == &entry)
      removedHeight = m_stack.views[i].Height();
    else
      heights.push_back(m_stack.views[i].Height());
  }
  auto owned = m_views.find(&entry);
  entry.view = nullptr;
  if (owned != m_views.end()) {
    owned->second->Destroy();
    m_views.erase(owned);
  }
  MoveWindowAsProgram(ShrinkForRemovedView(WindowRectangle(), removedHeight, m_dpi));
  PixelRect client = ClientRectangle();
  m_lastClientWidth = client.Width();
  m_lastClientHeight = client.Height();
  std::vector<AdapterEntry*> entries = DisplayedEntries();
  heights.resize(entries.size());
  ViewStack stack = StackKeepingHeights(client.Width(), client.Height(), m_options.rateViewMargins, heights, m_dpi);
  ApplyStack(stack, entries, true, client.Height());
  return true;
}

void CMainDlg::OnSize(int width, int height) {
  if (m_programMove) {
    m_lastClientWidth = width;
    m_lastClientHeight = height;
    return;
  }
  std::vector<AdapterEntry*> entries = DisplayedEntries();
  if (m_stack.views.size() != entries.size()) CollectStack(entries);
  std::vector<float> fractions;
  for (AdapterEntry* e : entries) fractions.push_back(e->size);
  ViewStack stack = ResizeViews(m_lastClientWidth, m_lastClientHeight, width, height, m_options.rateViewMargins,
                                m_stack.views, fractions, m_dpi);
  ApplyStack(stack, entries, false, height);
  m_lastClientWidth = width;
  m_lastClientHeight = height;
}

void CMainDlg::OnDpiChanged(UINT dpi, const RECT* suggested) {
  if (dpi == 0) return;
  m_dpi = dpi;
  // The system's rectangle keeps the window's place on its new screen; a move the program
  // makes itself already has the size it wants.
  if (suggested && !m_programMove) MoveWindowAsProgram(FromRect(*suggested));
  // Fonts, pens, paddings and pulses at the new DPI, then the views stacked by their shares.
  PushSettingsToViews(false);
  std::vector<AdapterEntry*> entries = DisplayedEntries();
  std::vector<float> fractions;
  for (AdapterEntry* e : entries) fractions.push_back(e->size);
  PixelRect client = ClientRectangle();
  m_lastClientWidth = client.Width();
  m_lastClientHeight = client.Height();
  ApplyStack(StackAtStart(client.Width(), client.Height(), m_options.rateViewMargins, fractions, m_dpi), entries, false,
             client.Height());
  InvalidateRect(m_hwnd, nullptr, TRUE);
}

bool CMainDlg::OnSetCursor(HWND over, UINT hitTest) {
  if (over != m_hwnd || hitTest != HTCLIENT || !m_splitCursor) return false;
  POINT pt;
  GetCursorPos(&pt);
  ScreenToClient(m_hwnd, &pt);
  if (!m_dragging && StripAt(m_stack, pt.x, pt.y) < 0) return false;
  SetCursor(m_splitCursor);
  return true;
}

void CMainDlg::OnLeftButtonDown(int x, int y) {
  SeparatorDrag drag = BeginSeparatorDrag(m_stack, x, y, m_dpi);
  if (drag.strip < 0) return;
  m_drag = drag;
  m_dragging = true;
  SetCapture(m_hwnd);
}

void CMainDlg::OnMouseMove(int, int y) {
  if (!m_dragging) return;
  if (!DragSeparatorTo(&m_stack, m_drag, y)) return;
  std::vector<AdapterEntry*> entries = DisplayedEntries();
  size_t upper = static_cast<size_t>(m_drag.strip);
  if (upper + 1 >= entries.size()) return;
  PixelRect client = ClientRectangle();
  for (size_t i : {upper, upper + 1}) {
    const PixelRect& r = m_stack.views[i];
    MoveWindow(static_cast<CRateView*>(entries[i]->view)->hwnd(), r.left, r.top, r.Width(), r.Height(), TRUE);
    entries[i]->size = client.Height() > 0 ? static_cast<float>(r.Height()) / static_cast<float>(client.Height()) : 0;
  }
  // The strip itself shows the dialog's background.
  RECT strip = ToRect(m_stack.strips[upper]);
  InvalidateRect(m_hwnd, &strip, TRUE);
}

void CMainDlg::OnLeftButtonUp() {
  if (!m_dragging) return;
  m_dragging = false;
  ReleaseCapture();
}

LRESULT CMainDlg::OnNcHitTest(LPARAM lp) {
  LRESULT hit = DefWindowProcW(m_hwnd, WM_NCHITTEST, 0, lp);
  if (hit != HTCLIENT || !LeftButtonDown()) return hit;
  POINT pt{static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
  ScreenToClient(m_hwnd, &pt);
  return StripAt(m_stack, pt.x, pt.y) >= 0 ? HTCLIENT : HTCAPTION;
}

void CMainDlg::ApplyTopmost(bool topmost) {
  SetWindowPos(m_hwnd, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void CMainDlg::ApplyCaption(bool show) {
  LONG_PTR style = GetWindowLongPtrW(m_hwnd, GWL_STYLE);
  style = show ? (style | WS_CAPTION) : (style & ~static_cast<LONG_PTR>(WS_CAPTION));
  SetWindowLongPtrW(m_hwnd, GWL_STYLE, style);
  SetWindowPos(m_hwnd, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  RedrawWindow(m_hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ERASE | RDW_ALLCHILDREN);
}

void CMainDlg::ApplyLayered() {
  if (!m_layered) return;
  int percent = EffectiveTransparency(m_options.semiTransparent != 0, m_options.transparentPercent);
  BYTE alpha = LayeredAlpha(percent);
  LONG_PTR ex = GetWindowLongPtrW(m_hwnd, GWL_EXSTYLE);
  SetWindowLongPtrW(m_hwnd, GWL_EXSTYLE,
                    static_cast<LONG_PTR>(LayeredExStyle(static_cast<uint32_t>(ex), m_options.enableClickThrough != 0)));
  // Looked up by name on every use, never linked, so the program starts where it is missing.
  HMODULE user32 = LoadLibraryW(L"user32.dll");
  if (!user32) return;
  FARPROC proc = GetProcAddress(user32, "SetLayeredWindowAttributes");
  if (proc) {
    auto fn = reinterpret_cast<SetLayeredWindowAttributesFn>(reinterpret_cast<void*>(proc));
    fn(m_hwnd, 0, alpha, LWA_ALPHA);
  }
  FreeLibrary(user32);
}

void CMainDlg::ResetWindowPosition() {
  PixelRect r = WindowRectangle();
  SetWindowPos(m_hwnd, nullptr, 0, 0, r.Width(), r.Height(), SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOSIZE);
  if (!m_state.shown) ShowMainWindow();
}

}  // namespace vantrel
