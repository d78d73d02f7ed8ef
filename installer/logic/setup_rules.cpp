#include "installer/logic/setup_rules.h"

namespace vantrel::setup {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

std::wstring_view Trim(std::wstring_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

wchar_t FoldAscii(wchar_t c) { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c; }

// Separators unified, repeated separators collapsed (a UNC prefix kept), a trailing "\." and
// trailing separators dropped, letters folded.
std::wstring NormalPath(std::wstring_view path) {
  std::wstring out;
  out.reserve(path.size());
  for (size_t i = 0; i < path.size(); ++i) {
    wchar_t c = path[i] == L'/' ? L'\\' : path[i];
    if (c == L'\\' && !out.empty() && out.back() == L'\\' && out.size() > 1) continue;
    out.push_back(FoldAscii(c));
  }
  for (;;) {
    if (out.size() >= 2 && out.compare(out.size() - 2, 2, L"\\.") == 0) {
      out.resize(out.size() - 2);
    } else if (out.size() > 1 && out.back() == L'\\') {
      out.pop_back();
    } else {
      break;
    }
  }
  return out;
}

bool EndsExeWord(std::wstring_view s, size_t at) {
  if (at + 4 > s.size()) return false;
  static constexpr wchar_t kExe[] = L".EXE";
  for (size_t i = 0; i < 4; ++i)
    if (FoldAscii(s[at + i]) != kExe[i]) return false;
  return at + 4 == s.size() || IsBlank(s[at + 4]);
}

void Escape(std::wstring_view s, std::wstring* out) {
  for (wchar_t c : s) {
    switch (c) {
      case L'\\': *out += L"\\\\"; break;
      case L'\n': *out += L"\\n"; break;
      case L'\r': *out += L"\\r"; break;
      case L'=': *out += L"\\e"; break;
      case L'\0': *out += L"\\0"; break;
      default: out->push_back(c);
    }
  }
}

bool Unescape(std::wstring_view s, std::wstring* out) {
  out->clear();
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != L'\\') {
      out->push_back(s[i]);
      continue;
    }
    if (++i == s.size()) return false;
    switch (s[i]) {
      case L'\\': out->push_back(L'\\'); break;
      case L'n': out->push_back(L'\n'); break;
      case L'r': out->push_back(L'\r'); break;
      case L'e': out->push_back(L'='); break;
      case L'0': out->push_back(L'\0'); break;
      default: return false;
    }
  }
  return true;
}

std::vector<std::wstring> Split(std::wstring_view text, wchar_t separator) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    if (end == std::wstring_view::npos) end = text.size();
    std::wstring_view part = Trim(text.substr(start, end - start));
    if (!part.empty()) parts.emplace_back(part);
    start = end + 1;
  }
  return parts;
}

const std::wstring* Find(const Fields& fields, const wchar_t* name) {
  auto it = fields.find(name);
  return it == fields.end() ? nullptr : &it->second;
}

}  // namespace

std::wstring ProgramOfCommand(std::wstring_view command) {
  std::wstring_view s = Trim(command);
  if (!s.empty() && s.front() == L'"') {
    s.remove_prefix(1);
    size_t close = s.find(L'"');
    return std::wstring(Trim(close == std::wstring_view::npos ? s : s.substr(0, close)));
  }
  for (size_t i = 0; i + 4 <= s.size(); ++i)
    if (EndsExeWord(s, i)) return std::wstring(s.substr(0, i + 4));
  return std::wstring(s);
}

bool SamePath(std::wstring_view a, std::wstring_view b) {
  std::wstring na = NormalPath(Trim(a)), nb = NormalPath(Trim(b));
  return !na.empty() && na == nb;
}

std::wstring JoinPath(std::wstring_view folder, std::wstring_view name) {
  while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) folder.remove_suffix(1);
  while (!name.empty() && (name.front() == L'\\' || name.front() == L'/')) name.remove_prefix(1);
  if (folder.empty()) return std::wstring(name);
  std::wstring out(folder);
  out.push_back(L'\\');
  out += name;
  return out;
}

bool StartsFileInFolders(std::wstring_view command, const std::vector<std::wstring>& folders,
                         std::wstring_view fileName) {
  std::wstring program = ProgramOfCommand(command);
  if (program.empty()) return false;
  for (const auto& folder : folders)
    if (!folder.empty() && SamePath(program, JoinPath(folder, fileName))) return true;
  return false;
}

SetupMode ModeOf(bool featureRemoved, std::wstring_view upgradingProductCode) {
  if (!featureRemoved) return SetupMode::kInstall;
  return Trim(upgradingProductCode).empty() ? SetupMode::kRemove : SetupMode::kRemoveForUpgrade;
}

ServiceBeforeFiles PlanServiceBeforeFiles(SetupMode mode, const ServiceSnapshot& now,
                                          const std::vector<std::wstring>& folders) {
  ServiceBeforeFiles plan;
  if (!now.installed || !StartsFileInFolders(now.imagePath, folders, kServiceFile)) return plan;
  // Stopped in every mode: its program file is about to be replaced or removed.
  plan.stop = true;
  plan.remove = mode == SetupMode::kRemove;
  return plan;
}

ServiceAfterFiles PlanServiceAfterFiles(const ServiceSnapshot& before, const std::vector<std::wstring>& folders,
                                        bool registeredNow, bool registeredProgramExists) {
  ServiceAfterFiles plan;
  if (!before.installed || !StartsFileInFolders(before.imagePath, folders, kServiceFile)) return plan;
  plan.create = !registeredNow;
  plan.repoint = registeredNow && !registeredProgramExists;
  plan.start = before.startType != kStartDisabled && (before.running || before.startType == kStartAutomatic);
  return plan;
}

std::wstring ServiceCommand(std::wstring_view programPath) {
  std::wstring out = L"\"";
  out += programPath;
  out += L"\"";
  return out;
}

std::optional<std::wstring> PlanStartupAfterFiles(std::wstring_view before, std::wstring_view now,
                                                  bool nowProgramExists,
                                                  const std::vector<std::wstring>& folders,
                                                  std::wstring_view installedProgram) {
  if (installedProgram.empty() || !StartsFileInFolders(before, folders, kProgramFile)) return std::nullopt;
  if (!Trim(now).empty() && nowProgramExists) return std::nullopt;
  return std::wstring(installedProgram);
}

bool ShouldForgetStartup(std::wstring_view value, const std::vector<std::wstring>& folders) {
  return StartsFileInFolders(value, folders, kProgramFile);
}

std::wstring EncodeFields(const Fields& fields) {
  std::wstring out;
  for (const auto& [name, value] : fields) {
    if (!out.empty()) out.push_back(L'\n');
    Escape(name, &out);
    out.push_back(L'=');
    Escape(value, &out);
  }
  return out;
}

Fields DecodeFields(std::wstring_view text) {
  Fields fields;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring_view::npos) end = text.size();
    std::wstring_view line = text.substr(start, end - start);
    start = end + 1;
    size_t eq = line.find(L'=');
    std::wstring name, value;
    if (eq == std::wstring_view::npos || !Unescape(line.substr(0, eq), &name) ||
        !Unescape(line.substr(eq + 1), &value) || name.empty())
      continue;
    fields[name] = value;
  }
  return fields;
}

std::wstring JoinFolders(const std::vector<std::wstring>& folders) {
  std::wstring out;
  for (const auto& f : folders) {
    if (f.empty()) continue;
    if (!out.empty()) out.push_back(L'|');
    out += f;
  }
  return out;
}

std::vector<std::wstring> SplitFolders(std::wstring_view text) { return Split(text, L'|'); }

void PutSnapshot(const ServiceSnapshot& s, Fields* fields) {
  (*fields)[L"service.installed"] = s.installed ? L"1" : L"0";
  (*fields)[L"service.running"] = s.running ? L"1" : L"0";
  (*fields)[L"service.start"] = std::to_wstring(s.startType);
  (*fields)[L"service.image"] = s.imagePath;
  (*fields)[L"service.display"] = s.displayName;
  (*fields)[L"service.account"] = s.account;
}

ServiceSnapshot GetSnapshot(const Fields& fields) {
  ServiceSnapshot s;
  const std::wstring* installed = Find(fields, L"service.installed");
  s.installed = installed && *installed == L"1";
  if (!s.installed) return s;
  const std::wstring* running = Find(fields, L"service.running");
  s.running = running && *running == L"1";
  // A start type that does not read as one of the three keeps the service from starting by
  // itself.
  s.startType = kStartOnDemand;
  if (const std::wstring* start = Find(fields, L"service.start")) {
    if (*start == L"2") s.startType = kStartAutomatic;
    if (*start == L"4") s.startType = kStartDisabled;
  }
  if (const std::wstring* v = Find(fields, L"service.image")) s.imagePath = *v;
  if (const std::wstring* v = Find(fields, L"service.display")) s.displayName = *v;
  if (const std::wstring* v = Find(fields, L"service.account")) s.account = *v;
  return s;
}

std::vector<std::wstring> SplitProductCodes(std::wstring_view text) { return Split(text, L';'); }

}  // namespace vantrel::setup
