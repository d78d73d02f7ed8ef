#pragma once
// Settings store seam: hierarchical keys under two roots holding 32-bit, string and binary
// values. Win32: the registry. Tests: MemorySettingsStore.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace vantrel {

// Per user (HKEY_CURRENT_USER) and machine-wide (HKEY_LOCAL_MACHINE).
enum class SettingsRoot { CurrentUser, LocalMachine };

// Value types, numbered as the registry numbers them.
enum class ValueType : uint32_t { None = 0, String = 1, ExpandString = 2, Binary = 3, Dword = 4, MultiString = 7 };

// One stored value, its data exactly as stored (a string is UTF-16LE with its terminating NUL).
struct StoredValue {
  ValueType type = ValueType::None;
  std::vector<uint8_t> data;
};

enum class ReadStatus { Ok, Missing, TooLarge, Failed };

class ISettingsStore {
 public:
  virtual ~ISettingsStore() = default;

  // Paths are relative to the root, separated by backslashes. Key and value names compare
  // without regard to case, as in the registry.
  virtual bool KeyExists(SettingsRoot root, const std::wstring& path) = 0;
  // Creates the key and any missing parents; true if it exists afterwards.
  virtual bool CreateKey(SettingsRoot root, const std::wstring& path) = 0;
  // Reads one value. A value with more than maxBytes of data gives TooLarge and no data.
  virtual ReadStatus ReadValue(SettingsRoot root, const std::wstring& path, const std::wstring& name,
                               size_t maxBytes, StoredValue* out) = 0;
  // Writes one value, creating the key if needed.
  virtual bool WriteValue(SettingsRoot root, const std::wstring& path, const std::wstring& name,
                          const StoredValue& value) = 0;
  virtual bool DeleteValue(SettingsRoot root, const std::wstring& path, const std::wstring& name) = 0;
  // Direct subkeys, in the store's enumeration order. False when the key does not exist.
  virtual bool EnumSubkeys(SettingsRoot root, const std::wstring& path, std::vector<std::wstring>* names) = 0;
  // Values of a key, in the store's enumeration order. False when the key does not exist.
  virtual bool EnumValues(SettingsRoot root, const std::wstring& path,
                          std::vector<std::pair<std::wstring, StoredValue>>* values) = 0;
  // Deletes a key with everything below it. True if it no longer exists.
  virtual bool DeleteTree(SettingsRoot root, const std::wstring& path) = 0;
  // Lets only the local system account and administrators at an existing key (full access,
  // nothing inherited from above), for machine-wide keys that hold secrets. True when done;
  // a store without access control (the in-memory one) has nothing to do.
  virtual bool RestrictToAdministrators(SettingsRoot root, const std::wstring& path) { return true; }
};

// The platform's own store (the registry on Windows; an in-memory store elsewhere).
ISettingsStore& SystemSettingsStore();

// Typed access over a store. Each read takes the value only when it has the expected shape;
// otherwise the caller's value stays as it was (its default) and the status says why.
StoredValue DwordValue(uint32_t v);
StoredValue StringValue(const std::wstring& s);  // with its terminating NUL
StoredValue BinaryValue(const void* data, size_t size);

// A 32-bit value: REG_DWORD (or REG_BINARY) of exactly 4 bytes.
ReadStatus ReadDword(ISettingsStore& store, SettingsRoot root, const std::wstring& path,
                     const std::wstring& name, uint32_t* out);
// A string of at most maxBytes of data (terminator included); cut at its first NUL.
ReadStatus ReadString(ISettingsStore& store, SettingsRoot root, const std::wstring& path,
                      const std::wstring& name, size_t maxBytes, std::wstring* out);
// A binary value of exactly `size` bytes.
ReadStatus ReadBinaryExact(ISettingsStore& store, SettingsRoot root, const std::wstring& path,
                           const std::wstring& name, size_t size, std::vector<uint8_t>* out);

bool WriteDword(ISettingsStore& store, SettingsRoot root, const std::wstring& path,
                const std::wstring& name, uint32_t v);
bool WriteString(ISettingsStore& store, SettingsRoot root, const std::wstring& path,
                 const std::wstring& name, const std::wstring& s);
bool WriteBinary(ISettingsStore& store, SettingsRoot root, const std::wstring& path,
                 const std::wstring& name, const void* data, size_t size);

}  // namespace vantrel
