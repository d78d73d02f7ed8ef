#include "app/logic/links.h"

namespace vantrel {

std::wstring TellFriendUrl() {
  return std::wstring(L"mailto:?subject=Vantrel - very COOL application!!!&body=Download from ") + kSiteRootUrl;
}

std::wstring BrowserCommandLine(const std::wstring& command, const std::wstring& target) {
  std::wstring line = command;
  size_t quoted = line.find(L"\"%1\"");
  if (quoted != std::wstring::npos) {
    line.erase(quoted);
  } else {
    size_t bare = line.find(L"%1");
    if (bare != std::wstring::npos) line.erase(bare);
  }
  return line + L" " + target;
}

std::wstring TcpViewQuestion(const std::wstring& programFolder) {
  return L"To view all TCP and UDP endpoints on your computer, you should download TCPView, which is a free network "
         L"utility powered by Sysinternals that has been acquired by Microsoft.\n\nAfter downloading TCPView, please "
         L"unzip the file and copy file \"Tcpview.exe\" to folder \"" +
         programFolder +
         L"\". Vantrel will launch TCPView automatically when you click \"TCP Connections\" next time.\n\nDo you want "
         L"to open the target folder and visit TCPView homepage (" +
         std::wstring(kTcpViewPageUrl) + L") now?";
}

std::wstring ShellErrorText(int code) {
  switch (code) {
    case 0: return L"The operating system is out\nof memory or resources.";
    case 2: return L"The specified file was not found.";
    case 3: return L"The specified path was not found.";
    case 5: return L"The operating system denied\naccess to the specified file.";
    case 8: return L"There was not enough memory to complete the operation.";
    case 11: return L"The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    case 26: return L"A sharing violation occurred. ";
    case 27: return L"The filename association is\nincomplete or invalid.";
    case 28: return L"The DDE transaction could not\nbe completed because the request timed out.";
    case 29: return L"The DDE transaction failed.";
    case 30: return L"The DDE transaction could not\nbe completed because other DDE transactions\nwere being processed.";
    case 31: return L"There is no application associated\nwith the given filename extension.";
    case 32: return L"The specified dynamic-link library was not found.";
    default: return L"Unknown Error (" + std::to_wstring(code) + L") occurred.";
  }
}

std::wstring HyperlinkFailureText(int code) { return L"Unable to open hyperlink:\n\n" + ShellErrorText(code); }

}  // namespace vantrel
