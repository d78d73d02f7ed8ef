#include "platform/memory_settings_store.h"

#include <algorithm>
#include <cwctype>

#include "platform/text.h"

namespace vantrel {

struct MemorySettingsStore::Key {
  std::wstring name;
  std::vector<std::unique_ptr<Key>> subkeys;  // kept sorted by folded name
  std::vector<std::pair<std::wstring, StoredValue>> values;  // creation order

  Key* Child(const std::wstring& n) {
    for (auto& k : subkeys)
      if (EqualsIgnoreCase(k->name, n)) return k.get();
    return nullptr;
  }
};

namespace {

std::vector<std::wstring> SplitPath(const std::wstring& path) {
  std::vector<std::wstring> parts;
  std::wstring cur;
  for (wchar_t c : path) {
    if (c == L'\\') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}

std::wstring Folded(const std::wstring& s) {
  std::wstring out = s;
  for (auto& c : out) c = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
  return out;
}

}  // namespace

MemorySettingsStore::MemorySettingsStore() {
  m_roots[0] = std::make_unique<Key>();
  m_roots[1] = std::make_unique<Key>();
}

MemorySettingsStore::~MemorySettingsStore() = default;

MemorySettingsStore::Key* MemorySettingsStore::Find(SettingsRoot root, const std::wstring& path, bool create) {
  Key* k = m_roots[root == SettingsRoot::CurrentUser ? 0 : 1].get();
  for (const auto& part : SplitPath(path)) {
    Key* child = k->Child(part);
    if (!child) {
      if (!create) return nullptr;
      auto nk = std::make_unique<Key>();
      nk->name = part;
      child = nk.get();
      auto pos = std::lower_bound(k->subkeys.begin(), k->subkeys.end(), Folded(part),
                                  [](const std::unique_ptr<Key>& a, const std::wstring& b) { return Folded(a->name) < b; });
      k->subkeys.insert(pos, std::move(nk));
    }
    k = child;
  }
  return k;
}

bool MemorySettingsStore::KeyExists(SettingsRoot root, const std::wstring& path) {
  std::lock_guard<std::mutex> lock(m_mutex);
  return Find(root, path, false) != nullptr;
}

bool MemorySettingsStore::CreateKey(SettingsRoot root, const std::wstring& path) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_writesFail) return Find(root, path, false) != nullptr;
  return Find(root, path, true) != nullptr;
}

ReadStatus MemorySettingsStore::ReadValue(SettingsRoot root, const std::wstring& path, const std::wstring& name,
                                          size_t maxBytes, StoredValue* out) {
  std::lock_guard<std::mutex> lock(m_mutex);
  Key* k = Find(root, path, false);
  if (!k) return ReadStatus::Missing;
  for (auto& [n, v] : k->values) {
    if (!EqualsIgnoreCase(n, name)) continue;
    if (v.data.size() > maxBytes) return ReadStatus::TooLarge;
    *out = v;
    return ReadStatus::Ok;
  }
  return ReadStatus::Missing;
}

bool MemorySettingsStore::WriteValue(SettingsRoot root, const std::wstring& path, const std::wstring& name,
                                     const StoredValue& value) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_writesFail) return false;
  Key* k = Find(root, path, true);
  ++m_writeCount;
  for (auto& [n, v] : k->values) {
    if (EqualsIgnoreCase(n, name)) {
      v = value;
      return true;
    }
  }
  k->values.emplace_back(name, value);
  return true;
}

bool MemorySettingsStore::DeleteValue(SettingsRoot root, const std::wstring& path, const std::wstring& name) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_writesFail) return false;
  Key* k = Find(root, path, false);
  if (!k) return false;
  auto it = std::find_if(k->values.begin(), k->values.end(),
                         [&](const auto& p) { return EqualsIgnoreCase(p.first, name); });
  if (it == k->values.end()) return false;
  k->values.erase(it);
  return true;
}

bool MemorySettingsStore::EnumSubkeys(SettingsRoot root, const std::wstring& path, std::vector<std::wstring>* names) {
  std::lock_guard<std::mutex> lock(m_mutex);
  Key* k = Find(root, path, false);
  if (!k) return false;
  names->clear();
  for (auto& s : k->subkeys) names->push_back(s->name);
  return true;
}

bool MemorySettingsStore::EnumValues(SettingsRoot root, const std::wstring& path,
                                     std::vector<std::pair<std::wstring, StoredValue>>* values) {
  std::lock_guard<std::mutex> lock(m_mutex);
  Key* k = Find(root, path, false);
  if (!k) return false;
  *values = k->values;
  return true;
}

bool MemorySettingsStore::DeleteTree(SettingsRoot root, const std::wstring& path) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_writesFail) return Find(root, path, false) == nullptr;
  auto parts = SplitPath(path);
  if (parts.empty()) return false;
  std::wstring leaf = parts.back();
  parts.pop_back();
  std::wstring parentPath;
  for (auto& p : parts) parentPath += p + L"\\";
  Key* parent = Find(root, parentPath, false);
  if (!parent) return true;
  auto it = std::find_if(parent->subkeys.begin(), parent->subkeys.end(),
                         [&](const std::unique_ptr<Key>& c) { return EqualsIgnoreCase(c->name, leaf); });
  if (it != parent->subkeys.end()) parent->subkeys.erase(it);
  return true;
}

}  // namespace vantrel
