#pragma once
// Where the settings live. Every part of the programs reaches the store through these names
// and the readers and writers of settings/, never by spelling a key of its own.
namespace vantrel::keys {

inline constexpr wchar_t kRoot[] = L"Software\\Orlix Systems\\Vantrel\\";
inline constexpr wchar_t kOptions[] = L"Software\\Orlix Systems\\Vantrel\\Options";
inline constexpr wchar_t kEmailSettings[] = L"Software\\Orlix Systems\\Vantrel\\Options\\EmailSettings";
inline constexpr wchar_t kAdaptersEx[] = L"Software\\Orlix Systems\\Vantrel\\AdaptersEx";
inline constexpr wchar_t kService[] = L"Software\\Orlix Systems\\Vantrel\\Service";
inline constexpr wchar_t kServiceReports[] = L"Software\\Orlix Systems\\Vantrel\\Service\\Reports";
inline constexpr wchar_t kRun[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValue[] = L"Vantrel";

inline constexpr wchar_t kTrafficLogFile[] = L"TrafficLogFile";

}  // namespace vantrel::keys
