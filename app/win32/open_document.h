#pragma once
// Opening a file or address: the shell first, then the command line registered for web pages
// (".htm"), for systems where nothing is registered to open the address itself.
#include <windows.h>

#include <string>

namespace vantrel {

// Opens `target` with the verb "open" and the show mode; returns the launcher's result (above
// 32: success). When the shell fails and a ".htm" open command is registered, runs that
// command with the target and returns its result; otherwise the shell's result.
int OpenDocument(const std::wstring& target, int showMode);

// The link commands: the wait cursor while the target is handed on, SW_SHOWNORMAL; failures
// are not reported.
void OpenLink(const std::wstring& target);

}  // namespace vantrel
