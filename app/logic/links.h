#pragma once
// The program's links and the texts around them: where the web site, the support address and
// the TCP viewer's page are, how a browser's registered command line takes a target, and what
// a link that cannot be opened says.
#include <string>

namespace vantrel {

// The maker's web site (a reserved host until there is a real one) and its pages.
inline constexpr wchar_t kSiteRootUrl[] = L"https://www.vantrel.example/";
inline constexpr wchar_t kHomePageUrl[] = L"https://www.vantrel.example/Vantrel/";
inline constexpr wchar_t kCheckUpdateUrl[] = L"https://www.vantrel.example/Vantrel/CheckUpdate/?Ver=3.6&Build=437";
inline constexpr wchar_t kSupportAddress[] = L"support@vantrel.example";
inline constexpr wchar_t kEmailSupportUrl[] = L"mailto:support@vantrel.example";
inline constexpr wchar_t kTcpViewPageUrl[] = L"https://www.vantrel.example/Vantrel/TCPView/";
// Mail to a friend: the subject and the body that points at the site.
std::wstring TellFriendUrl();

inline constexpr wchar_t kHelpFileName[] = L"Vantrel.chm";
inline constexpr wchar_t kHelpWindowTitle[] = L"Vantrel Help";
inline constexpr wchar_t kTcpViewFileName[] = L"Tcpview.exe";
inline constexpr wchar_t kVersionLine[] = L"Vantrel v3.6 build 437";

// The command line that opens `target` with a browser whose "open" command is `command`
// (the ".htm" class's shell\open\command): cut at the first "%1" in double quotes (quotes
// included), else at the first bare %1, else the whole line; then a space and the target.
std::wstring BrowserCommandLine(const std::wstring& command, const std::wstring& target);

// The question asked when "Tcpview.exe" is not in the program folder.
std::wstring TcpViewQuestion(const std::wstring& programFolder);

// What a shell result code means ("Unknown Error (%d) occurred." for codes without a text).
std::wstring ShellErrorText(int code);
// The message of a link control that could not open its target.
std::wstring HyperlinkFailureText(int code);

}  // namespace vantrel
