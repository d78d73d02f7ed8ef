// COptNotifyPage: the Notification page of the options sheet.
#include "app/win32/opt_notify_page.h"

#include <commctrl.h>
#include <commdlg.h>
#include <mmsystem.h>

#include "app/logic/main_messages.h"
#include "app/logic/options_apply.h"
#include "app/res/notify_ids.h"
#include "app/win32/email_settings_dlg.h"
#include "notify/beeper.h"
#include "ui/file_dialog.h"

namespace vantrel {

static_assert(IDC_NOTIFY_ENABLE == kNotifyEnable && IDC_NOTIFY_ENTRY == kNotifyEntry &&
                  IDC_NOTIFY_PROGRAM_PATH == kNotifyProgramPath && IDC_NOTIFY_BEEP_CHOICE == kNotifyBeepChoice,
              "the template's ids are the page's");

namespace {

constexpr uint32_t kBeepTestCount = 5;

std::wstring ControlText(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  int n = control ? GetWindowTextLengthW(control) : 0;
  std::wstring text(static_cast<size_t>(n > 0 ? n : 0) + 1, L'\0');
  if (control) GetWindowTextW(control, text.data(), n + 1);
  text.resize(wcslen(text.c_str()));
  return text;
}

bool FileAvailable(const std::wstring& path) {
  DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_ARCHIVE) &&
         !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring ProgramFolder() {
  wchar_t path[MAX_PATH] = {};
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return {};
  std::wstring folder(path, n);
  size_t slash = folder.rfind(L'\\');
  return slash == std::wstring::npos ? std::wstring() : folder.substr(0, slash);
}

void FillCombo(HWND dialog, int id, const std::vector<std::wstring>& items) {
  SendDlgItemMessageW(dialog, id, CB_RESETCONTENT, 0, 0);
  for (const std::wstring& item : items)
    SendDlgItemMessageW(dialog, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

int ComboSelection(HWND dialog, int id) {
  LRESULT sel = SendDlgItemMessageW(dialog, id, CB_GETCURSEL, 0, 0);
  return sel == CB_ERR ? -1 : static_cast<int>(sel);
}

bool IsChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

// The open-file dialogue; `filter` is a double-NUL-ended list. False when cancelled.
bool ChooseFile(HWND owner, const wchar_t* filter, const std::wstring& folder, std::wstring* path) {
  ui::FileDialogRequest ask;
  ask.owner = owner;
  ask.filter = filter;
  ask.folder = folder.empty() ? nullptr : folder.c_str();
  ask.flags = OFN_FILEMUSTEXIST;
  if (!ui::AskOpenFile(ask)) return false;
  *path = ask.file;
  return true;
}

}  // namespace

COptNotifyPage::COptNotifyPage(COptionsSheet& sheet) : COptionsPage(sheet, IDD_OPT_NOTIFICATION) {
  const OptionsSheetData& data = sheet.Data();
  m_data.enabled = data.options.notificationEnabled;
  m_data.rule = data.options.notification;
  m_data.email = data.email;
  for (const OptionsAdapter& a : data.adapters) m_entries.push_back(NotifyEntryChoice{a.kind, a.id, a.name});
}

COptNotifyPage::~COptNotifyPage() { ProgramBeeper().StopBeeper(); }

void COptNotifyPage::InitPage() {
  SendDlgItemMessageW(m_hwnd, IDC_NOTIFY_NUMBER, EM_LIMITTEXT, kNotifyNumberChars, 0);
  for (int id : {IDC_NOTIFY_SOUND_FILE, IDC_NOTIFY_RECIPIENTS, IDC_NOTIFY_PROGRAM_PATH})
    SendDlgItemMessageW(m_hwnd, id, EM_LIMITTEXT, kNotifyPathChars, 0);
  SendDlgItemMessageW(m_hwnd, IDC_NOTIFY_DAYS, EM_LIMITTEXT, 5, 0);
  SendDlgItemMessageW(m_hwnd, IDC_NOTIFY_NUMBER_SPIN, UDM_SETRANGE32, 0, 2147483647);
  SendDlgItemMessageW(m_hwnd, IDC_NOTIFY_DAYS_SPIN, UDM_SETRANGE32, 1, 32767);
  m_updating = true;
  FillCombo(m_hwnd, IDC_NOTIFY_UNIT, UnitComboItems());
  FillCombo(m_hwnd, IDC_NOTIFY_DIRECTION, DirectionComboItems());
  FillCombo(m_hwnd, IDC_NOTIFY_PERIOD, PeriodComboItems());
  std::vector<std::wstring> names;
  for (const NotifyEntryChoice& e : m_entries) names.push_back(e.displayName);
  FillCombo(m_hwnd, IDC_NOTIFY_ENTRY, names);
  std::vector<std::wstring> beeps;
  for (int32_t choice = 0; choice < 9; ++choice) beeps.push_back(BeepChoiceText(choice));
  FillCombo(m_hwnd, IDC_NOTIFY_BEEP_CHOICE, beeps);
  m_updating = false;
  ShowValues(PageValuesFromRule(m_data.enabled != 0, m_data.rule, m_entries));
}

NotifyPageValues COptNotifyPage::ReadValues() const {
  NotifyPageValues v;
  v.enabled = IsChecked(m_hwnd, IDC_NOTIFY_ENABLE);
  v.entry = ComboSelection(m_hwnd, IDC_NOTIFY_ENTRY);
  v.number = ControlText(m_hwnd, IDC_NOTIFY_NUMBER);
  v.unit = ComboSelection(m_hwnd, IDC_NOTIFY_UNIT);
  v.direction = ComboSelection(m_hwnd, IDC_NOTIFY_DIRECTION);
  v.period = ComboSelection(m_hwnd, IDC_NOTIFY_PERIOD);
  v.days = ControlText(m_hwnd, IDC_NOTIFY_DAYS);
  v.playSound = IsChecked(m_hwnd, IDC_NOTIFY_PLAY_SOUND);
  v.soundFile = ControlText(m_hwnd, IDC_NOTIFY_SOUND_FILE);
  v.beep = IsChecked(m_hwnd, IDC_NOTIFY_BEEP);
  v.beepChoice = ComboSelection(m_hwnd, IDC_NOTIFY_BEEP_CHOICE);
  v.sendEmail = IsChecked(m_hwnd, IDC_NOTIFY_SEND_EMAIL);
  v.recipients = ControlText(m_hwnd, IDC_NOTIFY_RECIPIENTS);
  v.runProgram = IsChecked(m_hwnd, IDC_NOTIFY_RUN_PROGRAM);
  v.programPath = ControlText(m_hwnd, IDC_NOTIFY_PROGRAM_PATH);
  return v;
}

void COptNotifyPage::ShowValues(const NotifyPageValues& v) {
  m_updating = true;
  CheckDlgButton(m_hwnd, IDC_NOTIFY_ENABLE, v.enabled ? BST_CHECKED : BST_UNCHECKED);
  SendDlgItemMessageW(m_hwnd, IDC_NOTIFY_ENTRY, CB_SETCURSEL, static_cast<WPARAM>(v.entry), 0);
  SetDlgItemTextW(m_hwnd, IDC_NOTIFY_NUMBER, v.number.c_str());
  SendDlgItemMessageW(m_hwnd, IDC_NOTIFY_UNIT, CB_SETCURSEL, static_cast<WPARAM>(v.unit), 0);
  SendDlgItemMessageW(m_hwnd, IDC_NOTIFY_DIRECTION, CB_SETCURSEL, static_cast<WPARAM>(v.direction), 0);
  SendDlgItemMessageW(m_hwnd, IDC_NOTIFY_PERIOD, CB_SETCURSEL, static_cast<WPARAM>(v.period), 0);
  SetDlgItemTextW(m_hwnd, IDC_NOTIFY_DAYS, v.days.c_str());
  CheckDlgButton(m_hwnd, IDC_NOTIFY_PLAY_SOUND, v.playSound ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextW(m_hwnd, IDC_NOTIFY_SOUND_FILE, v.soundFile.c_str());
  CheckDlgButton(m_hwnd, IDC_NOTIFY_BEEP, v.beep ? BST_CHECKED : BST_UNCHECKED);
  SendDlgItemMessageW(m_hwnd, IDC_NOTIFY_BEEP_CHOICE, CB_SETCURSEL, static_cast<WPARAM>(v.beepChoice), 0);
  CheckDlgButton(m_hwnd, IDC_NOTIFY_SEND_EMAIL, v.sendEmail ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextW(m_hwnd, IDC_NOTIFY_RECIPIENTS, v.recipients.c_str());
  CheckDlgButton(m_hwnd, IDC_NOTIFY_RUN_PROGRAM, v.runProgram ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextW(m_hwnd, IDC_NOTIFY_PROGRAM_PATH, v.programPath.c_str());
  m_updating = false;
  UpdateEnables();
}

void COptNotifyPage::UpdateEnables() {
  NotifyPageEnables e = NotifyPageEnablesFor(ReadValues());
  auto enable = [&](std::initializer_list<int> ids, bool on) {
    for (int id : ids) EnableWindow(GetDlgItem(m_hwnd, id), on);
  };
  enable({IDC_NOTIFY_NUMBER, IDC_NOTIFY_NUMBER_SPIN, IDC_NOTIFY_UNIT, IDC_NOTIFY_DIRECTION, IDC_NOTIFY_PERIOD,
          IDC_NOTIFY_ENTRY, IDC_NOTIFY_PLAY_SOUND, IDC_NOTIFY_BEEP, IDC_NOTIFY_SEND_EMAIL, IDC_NOTIFY_RUN_PROGRAM},
         e.rule);
  enable({IDC_NOTIFY_DAYS, IDC_NOTIFY_DAYS_SPIN, IDC_NOTIFY_DAYS_LABEL}, e.days);
  enable({IDC_NOTIFY_SOUND_FILE, IDC_NOTIFY_SOUND_BROWSE, IDC_NOTIFY_SOUND_TEST}, e.sound);
  enable({IDC_NOTIFY_BEEP_CHOICE, IDC_NOTIFY_BEEP_TEST}, e.beep);
  enable({IDC_NOTIFY_RECIPIENTS, IDC_NOTIFY_EMAIL_SETTINGS}, e.email);
  enable({IDC_NOTIFY_PROGRAM_PATH, IDC_NOTIFY_PROGRAM_BROWSE}, e.program);
}

void COptNotifyPage::Changed() {
  if (!m_updating) MarkChanged();
}

void COptNotifyPage::OnSoundBrowse() {
  static const wchar_t kFilter[] = L"Wave File (*.wav)\0*.wav\0";
  std::wstring path;
  if (ChooseFile(m_hwnd, kFilter, ProgramFolder(), &path)) SetDlgItemTextW(m_hwnd, IDC_NOTIFY_SOUND_FILE, path.c_str());
}

void COptNotifyPage::OnSoundTest() {
  std::wstring path = ControlText(m_hwnd, IDC_NOTIFY_SOUND_FILE);
  switch (SoundTestFor(path, FileAvailable)) {
    case SoundTestAction::Nothing:
      return;
    case SoundTestAction::Play:
      PlaySoundW(path.c_str(), nullptr, SND_FILENAME | SND_NODEFAULT | SND_ASYNC);
      return;
    case SoundTestAction::Refuse:
      MessageBoxW(OptionsSheet().Owner(), SoundFileRefusedText(path).c_str(), kAppCaption, MB_OK | MB_ICONWARNING);
      return;
  }
}

void COptNotifyPage::OnBeepTest() {
  int choice = ComboSelection(m_hwnd, IDC_NOTIFY_BEEP_CHOICE);
  BeepTone tone = BeepChoiceTone(choice);
  ProgramBeeper().StartBeeper(tone.frequency, tone.duration, kBeepTestCount);
}

void COptNotifyPage::OnEmailSettings() {
  CEmailSettingsDlg dialog(m_data.email);
  if (!dialog.Run(OptionsSheet().Instance(), OptionsSheet().Owner())) return;
  if (dialog.Settings() == m_data.email) return;
  m_data.email = dialog.Settings();
  Changed();
}

void COptNotifyPage::OnProgramBrowse() {
  static const wchar_t kFilter[] = L"Executable File (*.exe)\0*.exe\0All File (*.*)\0*.*\0";
  std::wstring path;
  if (ChooseFile(m_hwnd, kFilter, std::wstring(), &path))
    SetDlgItemTextW(m_hwnd, IDC_NOTIFY_PROGRAM_PATH, path.c_str());
}

bool COptNotifyPage::OnKillActive() {
  ProgramBeeper().StopBeeper();
  return true;
}

void COptNotifyPage::OnReset() { ProgramBeeper().StopBeeper(); }

PageCheck COptNotifyPage::CheckPage() {
  ProgramBeeper().StopBeeper();
  m_checked = ReadValues();
  NotifyPageCheck check = CheckNotifyPage(m_checked, FileAvailable);
  PageCheck result;
  result.ok = check.ok;
  result.message = check.message;
  result.focusControl = check.focus;
  return result;
}

bool COptNotifyPage::SendToMain() {
  if (AskForEmailSettings(m_checked, m_data.email)) {
    HWND owner = OptionsSheet().Owner();
    if (MessageBoxW(owner, kIncompleteEmailQuestion, kAppCaption, MB_YESNO | MB_ICONQUESTION) == IDYES) {
      CEmailSettingsDlg dialog(m_data.email);
      if (dialog.Run(OptionsSheet().Instance(), owner)) m_data.email = dialog.Settings();
    }
  }
  m_data.enabled = m_checked.enabled ? 1 : 0;
  if (m_checked.enabled) m_data.rule = RuleFromPageValues(m_checked, m_entries, m_data.rule);
  return OptionsSheet().ApplyToMain(kPageNotification, &m_data);
}

bool COptNotifyPage::OnPageMessage(UINT msg, WPARAM wp, LPARAM, LRESULT*) {
  if (msg == WM_DESTROY) {
    ProgramBeeper().StopBeeper();
    return false;
  }
  if (msg != WM_COMMAND) return false;
  const UINT code = HIWORD(wp);
  switch (LOWORD(wp)) {
    case IDC_NOTIFY_ENABLE:
    case IDC_NOTIFY_PLAY_SOUND:
    case IDC_NOTIFY_BEEP:
    case IDC_NOTIFY_SEND_EMAIL:
    case IDC_NOTIFY_RUN_PROGRAM:
      if (code != BN_CLICKED) return false;
      UpdateEnables();
      Changed();
      return true;
    case IDC_NOTIFY_UNIT:
    case IDC_NOTIFY_DIRECTION:
    case IDC_NOTIFY_PERIOD:
    case IDC_NOTIFY_ENTRY:
    case IDC_NOTIFY_BEEP_CHOICE:
      if (code != CBN_SELCHANGE) return false;
      if (LOWORD(wp) == IDC_NOTIFY_PERIOD) UpdateEnables();
      Changed();
      return true;
    case IDC_NOTIFY_NUMBER:
    case IDC_NOTIFY_DAYS:
    case IDC_NOTIFY_SOUND_FILE:
    case IDC_NOTIFY_RECIPIENTS:
    case IDC_NOTIFY_PROGRAM_PATH:
      if (code != EN_CHANGE) return false;
      Changed();
      return true;
    case IDC_NOTIFY_SOUND_BROWSE:
      if (code == BN_CLICKED) OnSoundBrowse();
      return true;
    case IDC_NOTIFY_SOUND_TEST:
      if (code == BN_CLICKED) OnSoundTest();
      return true;
    case IDC_NOTIFY_BEEP_TEST:
      if (code == BN_CLICKED) OnBeepTest();
      return true;
    case IDC_NOTIFY_EMAIL_SETTINGS:
      if (code == BN_CLICKED) OnEmailSettings();
      return true;
    case IDC_NOTIFY_PROGRAM_BROWSE:
      if (code == BN_CLICKED) OnProgramBrowse();
      return true;
    default:
      return false;
  }
}

}  // namespace vantrel
