#include "platform/win32/registry_store.h"

#include <windows.h>
#include <sddl.h>

namespace vantrel {

namespace {

HKEY RootKey(SettingsRoot root) { return root == SettingsRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

// Owns an open key.
class Key {
 public:
  Key() = default;
  ~Key() {
    if (m_key) RegCloseKey(m_key);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  bool Open(SettingsRoot root, const std::wstring& path, REGSAM access) {
    return RegOpenKeyExW(RootKey(root), path.c_str(), 0, access, &m_key) == ERROR_SUCCESS;
  }
  bool Create(SettingsRoot root, const std::wstring& path, REGSAM access) {
    return RegCreateKeyExW(RootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &m_key,
                           nullptr) == ERROR_SUCCESS;
  }
  HKEY get() const { return m_key; }

 private:
  HKEY m_key = nullptr;
};

}  // namespace

ISettingsStore& SystemSettingsStore() {
  static RegistryStore store;
  return store;
}

bool RegistryStore::KeyExists(SettingsRoot root, const std::wstring& path) {
  Key k;
  return k.Open(root, path, KEY_READ);
}

bool RegistryStore::CreateKey(SettingsRoot root, const std::wstring& path) {
  Key k;
  return k.Create(root, path, KEY_SET_VALUE);
}

ReadStatus RegistryStore::ReadValue(SettingsRoot root, const std::wstring& path, const std::wstring& name,
                                    size_t maxBytes, StoredValue* out) {
  Key k;
  if (!k.Open(root, path, KEY_QUERY_VALUE)) return ReadStatus::Missing;
  DWORD type = 0, size = 0;
  LONG rc = RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, nullptr, &size);
  if (rc == ERROR_FILE_NOT_FOUND) return ReadStatus::Missing;
  if (rc != ERROR_SUCCESS) return ReadStatus::Failed;
  if (size > maxBytes) return ReadStatus::TooLarge;
  std::vector<uint8_t> data(size);
  DWORD got = size;
  rc = RegQueryValueExW(k.get(), name.c_str(), nullptr, &type, data.empty() ? nullptr : data.data(), &got);
  if (rc == ERROR_MORE_DATA) return ReadStatus::TooLarge;  // grew between the two calls
  if (rc != ERROR_SUCCESS) return ReadStatus::Failed;
  data.resize(got);
  out->type = static_cast<ValueType>(type);
  out->data = std::move(data);
  return ReadStatus::Ok;
}

bool RegistryStore::WriteValue(SettingsRoot root, const std::wstring& path, const std::wstring& name,
                               const StoredValue& value) {
  Key k;
  if (!k.Create(root, path, KEY_SET_VALUE)) return false;
  return RegSetValueExW(k.get(), name.c_str(), 0, static_cast<DWORD>(value.type),
                        value.data.empty() ? nullptr : value.data.data(),
                        static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS;
}

bool RegistryStore::DeleteValue(SettingsRoot root, const std::wstring& path, const std::wstring& name) {
  Key k;
  if (!k.Open(root, path, KEY_SET_VALUE)) return false;
  return RegDeleteValueW(k.get(), name.c_str()) == ERROR_SUCCESS;
}

bool RegistryStore::EnumSubkeys(SettingsRoot root, const std::wstring& path, std::vector<std::wstring>* names) {
  Key k;
  if (!k.Open(root, path, KEY_ENUMERATE_SUB_KEYS)) return false;
  names->clear();
  for (DWORD i = 0;; ++i) {
    wchar_t buf[1025];  // subkey names of up to 1024 characters
    DWORD len = 1025;
    LONG rc = RegEnumKeyExW(k.get(), i, buf, &len, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) continue;  // longer names are not ours: skip them
    if (rc != ERROR_SUCCESS) break;
    names->emplace_back(buf, len);
  }
  return true;
}

bool RegistryStore::EnumValues(SettingsRoot root, const std::wstring& path,
                               std::vector<std::pair<std::wstring, StoredValue>>* values) {
  Key k;
  if (!k.Open(root, path, KEY_QUERY_VALUE)) return false;
  values->clear();
  DWORD maxName = 0, maxData = 0;
  if (RegQueryInfoKeyW(k.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, &maxData,
                       nullptr, nullptr) != ERROR_SUCCESS)
    return false;
  std::vector<wchar_t> name(maxName + 2);
  std::vector<uint8_t> data(maxData + 2);
  for (DWORD i = 0;; ++i) {
    DWORD nameLen = static_cast<DWORD>(name.size());
    DWORD dataLen = static_cast<DWORD>(data.size());
    DWORD type = 0;
    LONG rc = RegEnumValueW(k.get(), i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen);
    if (rc != ERROR_SUCCESS) break;
    StoredValue v;
    v.type = static_cast<ValueType>(type);
    v.data.assign(data.begin(), data.begin() + dataLen);
    values->emplace_back(std::wstring(name.data(), nameLen), std::move(v));
  }
  return true;
}

bool RegistryStore::DeleteTree(SettingsRoot root, const std::wstring& path) {
  // Depth first, so the call works where RegDeleteTree is missing.
  std::vector<std::wstring> subs;
  if (EnumSubkeys(root, path, &subs)) {
    for (const auto& s : subs) DeleteTree(root, path + L"\\" + s);
  }
  LONG rc = RegDeleteKeyW(RootKey(root), path.c_str());
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool RegistryStore::RestrictToAdministrators(SettingsRoot root, const std::wstring& path) {
  Key k;
  if (!k.Open(root, path, WRITE_DAC)) return false;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kAdministratorsOnlyKeyDescriptor, SDDL_REVISION_1,
                                                            &descriptor, nullptr))
    return false;
  // Set on the existing key: a descriptor given to RegCreateKeyExW is not kept everywhere.
  LONG rc = RegSetKeySecurity(k.get(), DACL_SECURITY_INFORMATION, descriptor);
  LocalFree(descriptor);
  return rc == ERROR_SUCCESS;
}

}  // namespace vantrel
