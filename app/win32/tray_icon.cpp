#include "app/win32/tray_icon.h"

#include <vector>

#include "app/win32/rate_view.h"
#include "platform/text.h"

namespace vantrel {

namespace {

// The tip buffer of the pre-Windows 2000 structure: 63 characters and the zero.
constexpr int kTipBuffer = 64;

COLORREF PenColour(HPEN pen) {
  LOGPEN lp{};
  if (!pen || GetObjectW(pen, sizeof lp, &lp) != sizeof lp) return RGB(0, 0, 0);
  return lp.lopnColor;
}

}  // namespace

TrayGraphColours TrayColoursFromPens(HPEN both, HPEN down, HPEN up) {
  return TrayGraphColours{PenColour(both), PenColour(down), PenColour(up)};
}

CTrayIcon::CTrayIcon(UINT callbackMessage, ShellNotifyProc notify)
    : m_callback(callbackMessage), m_notify(notify ? notify : &Shell_NotifyIconW) {}

CTrayIcon::~CTrayIcon() { ReleaseGraphResources(); }

bool CTrayIcon::Init(HWND owner, const HICON (&activityIcons)[4], bool graphPossible) {
  m_owner = owner;
  for (int i = 0; i < 4; ++i) m_icons[i] = activityIcons[i];
  m_current = nullptr;
  m_graphWanted = graphPossible;
  ReleaseGraphResources();
  if (!graphPossible) return true;
  return CreateGraphResources();
}

bool CTrayIcon::SetIconSize(int size, const HICON (&activityIcons)[4]) {
  for (int i = 0; i < 4; ++i) m_icons[i] = activityIcons[i];
  // New handles: the next update sends its icon even when the activity stays the same.
  m_current = nullptr;
  if (size <= 0 || size == m_size) return !m_graphWanted || GraphPossible();
  m_size = size;
  ReleaseGraphResources();
  return !m_graphWanted || CreateGraphResources();
}

bool CTrayIcon::CreateGraphResources() {
  HDC screen = GetDC(m_owner);
  m_memDC = CreateCompatibleDC(screen);
  m_colour = CreateCompatibleBitmap(screen, m_size, m_size);
  ReleaseDC(m_owner, screen);
  // The mask is never drawn into: all zero, so every pixel of the icon is opaque. Its rows
  // are whole 16-bit words.
  std::vector<BYTE> zeros(static_cast<size_t>((m_size + 15) / 16 * 2 * m_size), 0);
  m_mask = CreateBitmap(m_size, m_size, 1, 1, zeros.data());
  if (!m_memDC || !m_colour || !m_mask) {
    ReleaseGraphResources();
    return false;
  }
  return true;
}

void CTrayIcon::ReleaseGraphResources() {
  if (m_memDC) DeleteDC(m_memDC);
  if (m_colour) DeleteObject(m_colour);
  if (m_mask) DeleteObject(m_mask);
  m_memDC = nullptr;
  m_colour = nullptr;
  m_mask = nullptr;
}

bool CTrayIcon::Call(DWORD message, UINT flags, HICON icon, const std::wstring& tip) {
  NOTIFYICONDATAW nid{};
  // The pre-Windows 2000 layout: size, window, id, flags, callback, icon, 64-character tip.
  nid.cbSize = NOTIFYICONDATAW_V1_SIZE;
  nid.hWnd = m_owner;
  nid.uID = kTrayIconId;
  nid.uFlags = flags;
  nid.uCallbackMessage = m_callback;
  nid.hIcon = icon;
  lstrcpynW(nid.szTip, tip.c_str(), kTipBuffer);
  return m_notify(message, &nid) != FALSE;
}

bool CTrayIcon::Add(HICON icon, const std::wstring& tip) { return Call(NIM_ADD, NIF_MESSAGE | NIF_ICON | NIF_TIP, icon, tip); }

bool CTrayIcon::ModifyIconAndTip(HICON icon, const std::wstring& tip) {
  return Call(NIM_MODIFY, NIF_ICON | NIF_TIP, icon, tip);
}

bool CTrayIcon::ModifyTip(const std::wstring& tip) { return Call(NIM_MODIFY, NIF_TIP, nullptr, tip); }

bool CTrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text) {
  NOTIFYICONDATAW nid{};
  // Balloons came with the Windows 2000 layout; the icon keeps what the older calls set.
  nid.cbSize = NOTIFYICONDATAW_V2_SIZE;
  nid.hWnd = m_owner;
  nid.uID = kTrayIconId;
  nid.uFlags = NIF_INFO;
  lstrcpynW(nid.szInfo, text.c_str(), ARRAYSIZE(nid.szInfo));
  lstrcpynW(nid.szInfoTitle, title.c_str(), ARRAYSIZE(nid.szInfoTitle));
  nid.dwInfoFlags = NIIF_INFO;
  return m_notify(NIM_MODIFY, &nid) != FALSE;
}

bool CTrayIcon::Delete() { return Call(NIM_DELETE, NIF_MESSAGE, nullptr, std::wstring()); }

bool CTrayIcon::AddInitial() {
  m_current = m_icons[0];
  return Add(m_current, L"Vantrel");
}

HICON CTrayIcon::MakeGraphIcon(const std::deque<RateSample>& history, uint32_t scaleTop, COLORREF background,
                               bool columns, const TrayGraphColours& colours) {
  IconPlan plan = TrayGraphIconPlan(history, scaleTop, columns, m_size);
  const COLORREF palette[] = {background, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT),
                              colours.both, colours.down, colours.up};
  HGDIOBJ old = SelectObject(m_memDC, m_colour);
  const int size = static_cast<int>(plan.size());
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) SetPixelV(m_memDC, x, y, palette[static_cast<int>(plan[y][x])]);
  // The bitmaps must not stay selected while the icon is made from them.
  SelectObject(m_memDC, old);
  ICONINFO info{};
  info.fIcon = TRUE;
  info.xHotspot = 0;
  info.yHotspot = 0;
  info.hbmMask = m_mask;
  info.hbmColor = m_colour;
  return CreateIconIndirect(&info);
}

void CTrayIcon::Update(const AdapterEntry& entry, const CRateView* view, const TrayUpdateOptions& options,
                       const TrayGraphColours& colours) {
  const RateSample newest = entry.history.empty() ? RateSample{} : entry.history.front();
  std::wstring name = options.showName ? entry.displayName : std::wstring();
  std::wstring address = options.showAddress ? AsciiToWide(entry.ip) : std::wstring();
  std::wstring tip = TrayTooltip(name, address, TrayRatesText(newest, options.byteUnits));

  if (GraphPossible() && options.showGraph && view) {
    HICON graph = MakeGraphIcon(entry.history, view->ScaleTop(), view->GraphBackground(), options.columns, colours);
    if (graph) {
      if (!ModifyIconAndTip(graph, tip)) {
        Delete();
        Add(graph, tip);
      }
      DestroyIcon(graph);
      m_current = nullptr;
      return;
    }
    // Without a graph icon this second the activity icon stands in.
  }

  HICON icon = m_icons[ActivityIconIndex(newest)];
  bool ok;
  if (icon != m_current) {
    m_current = icon;
    ok = ModifyIconAndTip(icon, tip);
  } else {
    ok = ModifyTip(tip);
  }
  if (!ok) {
    Delete();
    Add(m_current, tip);
  }
}

}  // namespace vantrel
