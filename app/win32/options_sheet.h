#pragma once
// COptionsSheet: the modal "Vantrel Options" sheet over the main window. The main window fills
// OptionsSheetData with copies of what the pages edit; each page edits its own copy and, on OK
// or Apply with changes, checks it and hands it to the main window with UM_APPLY_OPTIONS
// (the page's code, a pointer to the page's values). The sheet remembers the page in front
// when it closed so that the main window reopens it there.
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/logic/metrics_page_logic.h"
#include "app/logic/options_pages.h"
#include "notify/email_settings.h"
#include "app/logic/service_apply.h"
#include "engine/adapter_entry.h"
#include "settings/options.h"
#include "ui/dialog_font.h"
#include "ui/property_sheet.h"

namespace vantrel {

// What the main window hands to the sheet. Pages copy what they edit from here when they are
// made; a page that was never shown hands nothing back.
struct OptionsSheetData {
  Options options;                        // every setting, as the main window has it
  bool layered = false;                   // SetLayeredWindowAttributes exists
  std::vector<OptionsAdapter> adapters;   // the monitored list's editable part, in list order
  EmailSettings email;                    // the e-mail settings (Notification page)
  ServicePageData service;                // the service settings and report jobs
  MonitoredList serviceAdapters;          // a data copy of the monitored list, for the report jobs
  MetricsPageData metrics;                // the metrics endpoint's settings and status
};

class COptionsSheet;

// The Service page's place among the sheet's pages (the last tab).
constexpr int kServiceOptionsPageIndex = 4;

// A page of the Options sheet: the dialog font, the changed and initialized flags, the Help
// button, and the apply flow (a page without changes applies nothing; a page that fails its
// check shows the warning and keeps the sheet open).
class COptionsPage : public ui::CPropertyPage {
 public:
  COptionsPage(COptionsSheet& sheet, UINT templateId);

  bool Changed() const { return m_changed; }

 protected:
  // Start-up of the page's controls; the initialized flag is set after it.
  virtual void InitPage() = 0;
  // The check in its order; on success the page's values are ready to hand over.
  virtual PageCheck CheckPage() = 0;
  // Sends the checked values to the main window; false when it refused them.
  virtual bool SendToMain() = 0;
  // The page's commands and notifications; true when handled.
  virtual bool OnPageMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) { return false; }

  // Marks the page changed (only once start-up is over) and lights Apply.
  void MarkChanged();
  bool Initialized() const { return m_initialized; }
  COptionsSheet& OptionsSheet() { return m_sheet; }
  HWND Item(int id) const { return GetDlgItem(m_hwnd, id); }
  void Enable(int id, bool on) const { EnableWindow(Item(id), on ? TRUE : FALSE); }
  bool Checked(int id) const { return IsDlgButtonChecked(m_hwnd, id) == BST_CHECKED; }
  void Check(int id, bool on) const { CheckDlgButton(m_hwnd, id, on ? BST_CHECKED : BST_UNCHECKED); }
  std::wstring Text(int id) const;
  // Fills a drop-down list and selects `selected` (-1: none).
  void FillList(int id, const std::vector<ListChoice>& items, int selected) const;
  int Selection(int id) const;
  // Sets a number edit's text while start-up or the program itself fills it.
  void SetNumber(int id, int64_t value);
  void ShowInformation(const wchar_t* text) const;

 private:
  BOOL OnInitDialog() final;
  bool OnApply() final;
  bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) final;

  COptionsSheet& m_sheet;
  bool m_changed = false;
  bool m_initialized = false;
};

class COptionsSheet : public ui::CPropertySheet {
 public:
  COptionsSheet(HINSTANCE instance, HWND mainWindow, HICON icon, OptionsSheetData& data, int startPage);
  ~COptionsSheet() override;

  // Runs the sheet modally over the main window; returns when it is closed.
  void Run();
  // The page that was in front when the sheet closed.
  int PageIndex() const { return LastActivePageIndex(); }

  // For the pages.
  OptionsSheetData& Data() { return m_data; }
  HINSTANCE Instance() const { return m_instance; }
  // Hands a page's values to the main window (UM_APPLY_OPTIONS); true when it took them.
  bool ApplyToMain(uint32_t pageCode, const void* values);
  // The window that owns message boxes and common dialogs.
  HWND Owner() const { return m_hwnd ? m_hwnd : m_main; }
  HWND MainWindow() const { return m_main; }

 protected:
  void OnInitSheet() override;

 private:
  void CreatePages();

  HWND m_main;
  OptionsSheetData& m_data;
  std::vector<std::unique_ptr<ui::CPropertyPage>> m_pages;
};

}  // namespace vantrel
