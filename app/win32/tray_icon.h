#pragma once
// CTrayIcon: the main window's icon in the notification area. It shows the tray adapter's
// activity as one of four icons or as a miniature of its rate graph drawn at the size the
// notification area asks for (16 x 16 at 96 DPI), with a tooltip of
// name, address and rates, and puts itself back when the shell lost it (after a restart of
// the shell a modify fails; the icon is then deleted and added again).
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "app/logic/tray_logic.h"
#include "engine/adapter_entry.h"

namespace vantrel {

class CRateView;

// The tray callback message; the main window knows it as UM_TRAY_NOTIFY.
constexpr UINT kTrayNotifyMessage = 0x800A;
constexpr UINT kTrayIconId = 104;

// The notification-area call, Shell_NotifyIconW unless a test supplies another.
using ShellNotifyProc = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAW data);

// The settings a tray update follows.
struct TrayUpdateOptions {
  bool showGraph = true;    // ShowGraphInSystray
  bool showName = true;     // ShowAdapterNameInSystrayTips
  bool showAddress = true;  // ShowAdapterIPInSystrayTips
  bool byteUnits = false;   // DisplayUnitByte
  bool columns = true;      // GraphStyle
};

// The colours of the main window's three colour pens.
struct TrayGraphColours {
  COLORREF both = 0x00FFFF;
  COLORREF down = 0x0000FF;
  COLORREF up = 0x00CC00;
};
// The colours of three solid pens (black for a pen that cannot be read).
TrayGraphColours TrayColoursFromPens(HPEN both, HPEN down, HPEN up);

class CTrayIcon {
 public:
  explicit CTrayIcon(UINT callbackMessage = kTrayNotifyMessage, ShellNotifyProc notify = &Shell_NotifyIconW);
  ~CTrayIcon();
  CTrayIcon(const CTrayIcon&) = delete;
  CTrayIcon& operator=(const CTrayIcon&) = delete;

  // Owner window and the activity icons (resources 140 no traffic, 141 upload only, 142
  // download only, 143 both; not owned). With `graphPossible` (Windows XP and later) the
  // graph icon's drawing surface and bitmaps are created; false when that fails.
  bool Init(HWND owner, const HICON (&activityIcons)[4], bool graphPossible);
  bool GraphPossible() const { return m_memDC != nullptr; }
  // Another icon size (the screen's DPI changed): the activity icons of that size (not
  // owned) and the graph icon's bitmaps made anew; the next update sends its icon in any case.
  // False when the graph icon's bitmaps cannot be made (the activity icons then stand in).
  bool SetIconSize(int size, const HICON (&activityIcons)[4]);
  int IconSize() const { return m_size; }

  // The notification-area calls, all with the pre-Windows 2000 structure size.
  bool Add(HICON icon, const std::wstring& tip);
  bool ModifyIconAndTip(HICON icon, const std::wstring& tip);
  bool ModifyTip(const std::wstring& tip);
  bool Delete();
  // At start when no graph icon will be shown: the no-traffic icon and the tip "Vantrel".
  bool AddInitial();
  // A balloon with an information icon over the icon (which must be there); false when the
  // shell cannot show one.
  bool ShowBalloon(const std::wstring& title, const std::wstring& text);

  // One tick for the tray adapter (its history just extended). `view` is the adapter's rate
  // view or null when it is not displayed; the graph icon needs it (scale top, background).
  void Update(const AdapterEntry& entry, const CRateView* view, const TrayUpdateOptions& options,
              const TrayGraphColours& colours);

  // The activity icon last sent; null after a graph icon so the next activity icon is sent.
  HICON CurrentIcon() const { return m_current; }
  void ForgetCurrentIcon() { m_current = nullptr; }

 private:
  bool Call(DWORD message, UINT flags, HICON icon, const std::wstring& tip);
  HICON MakeGraphIcon(const std::deque<RateSample>& history, uint32_t scaleTop, COLORREF background, bool columns,
                      const TrayGraphColours& colours);
  bool CreateGraphResources();
  void ReleaseGraphResources();

  UINT m_callback;
  int m_size = kTrayIconSize;
  bool m_graphWanted = false;
  ShellNotifyProc m_notify;
  HWND m_owner = nullptr;
  HICON m_icons[4] = {nullptr, nullptr, nullptr, nullptr};
  HICON m_current = nullptr;
  HDC m_memDC = nullptr;
  HBITMAP m_colour = nullptr;
  HBITMAP m_mask = nullptr;
};

}  // namespace vantrel
