#pragma once
// An in-memory settings store with the registry's rules: case-insensitive names that keep
// their case, subkeys enumerated in sorted order, values in the order they were created.
#include <map>
#include <memory>
#include <mutex>

#include "platform/settings_store.h"

namespace vantrel {

class MemorySettingsStore : public ISettingsStore {
 public:
  MemorySettingsStore();
  ~MemorySettingsStore() override;

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

  // Test control: make every write fail (a user without rights, a full disk).
  void SetWritesFail(bool fail) { m_writesFail = fail; }
  // Number of successful value writes so far (to see that a save group wrote nothing).
  size_t WriteCount() const { return m_writeCount; }

 private:
  struct Key;
  Key* Find(SettingsRoot root, const std::wstring& path, bool create);

  std::mutex m_mutex;
  std::unique_ptr<Key> m_roots[2];
  bool m_writesFail = false;
  size_t m_writeCount = 0;
};

}  // namespace vantrel
