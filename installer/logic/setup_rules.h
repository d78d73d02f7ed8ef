#pragma once
// The package's decisions around the files it installs and removes: which running programs,
// which service registration and which Run value are Vantrel's own, what to do with the
// service before and after the files change, and the text that carries what one installer
// step saw to a later one. Plain C++: the Windows Installer actions around it are thin.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::setup {

inline constexpr wchar_t kProgramFile[] = L"OrlixVantrel.exe";
inline constexpr wchar_t kServiceFile[] = L"VantrelService.exe";
inline constexpr wchar_t kServiceName[] = L"VantrelService";
inline constexpr wchar_t kServiceDisplayName[] = L"Vantrel Service";
// The main window of the interactive program: a dialog without owner, titled "Vantrel".
inline constexpr wchar_t kMainWindowClass[] = L"#32770";
inline constexpr wchar_t kMainWindowTitle[] = L"Vantrel";

// Service start types (the Win32 values).
inline constexpr uint32_t kStartAutomatic = 2;
inline constexpr uint32_t kStartOnDemand = 3;
inline constexpr uint32_t kStartDisabled = 4;

// The program a command line starts (a service's image path, a Run value): the quoted part
// when the text begins with a quote; otherwise up to and including the first ".exe" that ends
// a word; otherwise the whole text. White space around it is dropped.
std::wstring ProgramOfCommand(std::wstring_view command);

// True when two Windows paths name the same file or folder: compared without regard to case
// (ASCII letters), '/' read as '\', trailing backslashes and a trailing "\." ignored.
bool SamePath(std::wstring_view a, std::wstring_view b);

// A folder as Windows Installer gives it ("C:\Program Files\Vantrel\") joined to a file name
// with exactly one backslash.
std::wstring JoinPath(std::wstring_view folder, std::wstring_view name);

// True when `command` starts the file `fileName` in one of `folders`.
bool StartsFileInFolders(std::wstring_view command, const std::vector<std::wstring>& folders,
                         std::wstring_view fileName);

// What this run of the package does to the installed product.
enum class SetupMode {
  kInstall,            // first install, upgrade to this package, repair
  kRemove,             // removal: the service and the Run value go too
  kRemoveForUpgrade,   // removal of an older version that a newer package replaces
};

// featureRemoved: the product's feature is being taken away; upgradingProductCode: the
// property Windows Installer sets when a newer package removes this one.
SetupMode ModeOf(bool featureRemoved, std::wstring_view upgradingProductCode);

// The registration of the service as one run of the package found it.
struct ServiceSnapshot {
  bool installed = false;
  bool running = false;  // running or on its way there (start pending, continue pending)
  uint32_t startType = kStartAutomatic;
  std::wstring imagePath;    // as registered, quotes and arguments included
  std::wstring displayName;
  std::wstring account;      // empty or "LocalSystem" for the local system account
};

// Before the files change: stop the service when it runs; on removal also delete its
// registration. Only a service whose program is in one of the package's folders is touched:
// a registration that starts another copy of the program is not this package's.
struct ServiceBeforeFiles {
  bool stop = false;
  bool remove = false;
};
ServiceBeforeFiles PlanServiceBeforeFiles(SetupMode mode, const ServiceSnapshot& now,
                                          const std::vector<std::wstring>& folders);

// After the files are in place (install, upgrade, repair), from what the package saw before
// it changed anything (`before`) and what is there now. The package never registers the
// service by itself: only a service that was registered before is put back (an older
// version's removal may have deleted it), pointed at the installed program when its program
// file is gone (the folder moved), and started again when it ran before or starts
// automatically.
struct ServiceAfterFiles {
  bool create = false;
  bool repoint = false;
  bool start = false;
};
ServiceAfterFiles PlanServiceAfterFiles(const ServiceSnapshot& before, const std::vector<std::wstring>& folders,
                                        bool registeredNow, bool registeredProgramExists);

// The command the service is registered with: the program's full path in double quotes.
std::wstring ServiceCommand(std::wstring_view programPath);

// After the files are in place: the Run value to write, if any. `before` is the value the
// package found before it changed anything (empty: none), `now` the value now (empty: none).
// A value that started the program in one of the package's folders is kept: written back
// with the installed program's path when it is gone or names a program that no longer exists.
std::optional<std::wstring> PlanStartupAfterFiles(std::wstring_view before, std::wstring_view now,
                                                  bool nowProgramExists,
                                                  const std::vector<std::wstring>& folders,
                                                  std::wstring_view installedProgram);

// On removal: true when the Run value starts the program from one of the package's folders.
bool ShouldForgetStartup(std::wstring_view value, const std::vector<std::wstring>& folders);

// Named text fields carried from one installer step to a later one (as the later step's
// action data). Any text survives the round trip; a field without '=' or with an unknown
// escape is dropped when read.
using Fields = std::map<std::wstring, std::wstring>;
std::wstring EncodeFields(const Fields& fields);
Fields DecodeFields(std::wstring_view text);

// Folder lists travel as one field, separated by '|' (which no Windows path holds).
std::wstring JoinFolders(const std::vector<std::wstring>& folders);
std::vector<std::wstring> SplitFolders(std::wstring_view text);

// A snapshot as fields (prefix + name) and back; missing fields read as a service that is
// not installed.
void PutSnapshot(const ServiceSnapshot& s, Fields* fields);
ServiceSnapshot GetSnapshot(const Fields& fields);

// A product code list as Windows Installer keeps it in one property ("{A};{B}"), split.
std::vector<std::wstring> SplitProductCodes(std::wstring_view text);

}  // namespace vantrel::setup
