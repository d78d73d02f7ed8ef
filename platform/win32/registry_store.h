#pragma once
// The settings store over the Windows registry.
#include "platform/settings_store.h"

namespace vantrel {

class RegistryStore : public ISettingsStore {
 public:
  bool KeyExists(SettingsRoot root, const std::wstring& path) override;
  bool CreateKey(SettingsRoot root, const std::wstring& path) override;
  ReadStatus ReadValue(SettingsRoot root, const std::wstring& path, const std::wstring& name,
                       size_t maxBytes, StoredValue* out) override;
  bool WriteValue(SettingsRoot root, const std::wstring& path, const std::wstring& name,
                  const StoredValue& value) override;
  bool DeleteValue(SettingsRoot root, const std::wstring& path, const std::wstring& name) override;
  bool EnumSubkeys(SettingsRoot root, const std::wstring& path, std::vector<std::wstring>* names) override;
  bool EnumValues(SettingsRoot root, const std::wstring& path,
                  std::vector<std::pair<std::wstring, StoredValue>>* values) override;
  bool DeleteTree(SettingsRoot root, const std::wstring& path) override;
  // A protected DACL: full access for SYSTEM and Administrators, no other entry.
  bool RestrictToAdministrators(SettingsRoot root, const std::wstring& path) override;
};

// The descriptor RestrictToAdministrators sets.
inline constexpr wchar_t kAdministratorsOnlyKeyDescriptor[] = L"D:P(A;OICI;KA;;;SY)(A;OICI;KA;;;BA)";

}  // namespace vantrel
