#include "platform/settings_store.h"

#include <cstring>

#include "platform/little_endian.h"
#include "platform/text.h"

namespace vantrel {

StoredValue DwordValue(uint32_t v) {
  StoredValue out;
  out.type = ValueType::Dword;
  out.data.resize(4);
  StoreU32(out.data.data(), v);
  return out;
}

StoredValue StringValue(const std::wstring& s) {
  StoredValue out;
  out.type = ValueType::String;
  out.data = EncodeUtf16Le(s, true);
  return out;
}

StoredValue BinaryValue(const void* data, size_t size) {
  StoredValue out;
  out.type = ValueType::Binary;
  const uint8_t* p = static_cast<const uint8_t*>(data);
  out.data.assign(p, p + size);
  return out;
}

ReadStatus ReadDword(ISettingsStore& store, SettingsRoot root, const std::wstring& path,
                     const std::wstring& name, uint32_t* out) {
  StoredValue v;
  ReadStatus st = store.ReadValue(root, path, name, 4, &v);
  if (st != ReadStatus::Ok) return st;
  if (v.data.size() != 4 || (v.type != ValueType::Dword && v.type != ValueType::Binary))
    return ReadStatus::Failed;
  *out = LoadU32(v.data.data());
  return ReadStatus::Ok;
}

ReadStatus ReadString(ISettingsStore& store, SettingsRoot root, const std::wstring& path,
                      const std::wstring& name, size_t maxBytes, std::wstring* out) {
  StoredValue v;
  ReadStatus st = store.ReadValue(root, path, name, maxBytes, &v);
  if (st != ReadStatus::Ok) return st;
  if (v.type != ValueType::String && v.type != ValueType::ExpandString) return ReadStatus::Failed;
  *out = DecodeUtf16Le(v.data.data(), v.data.size());
  return ReadStatus::Ok;
}

ReadStatus ReadBinaryExact(ISettingsStore& store, SettingsRoot root, const std::wstring& path,
                           const std::wstring& name, size_t size, std::vector<uint8_t>* out) {
  StoredValue v;
  ReadStatus st = store.ReadValue(root, path, name, size, &v);
  if (st != ReadStatus::Ok) return st;
  if (v.data.size() != size) return ReadStatus::Failed;
  *out = std::move(v.data);
  return ReadStatus::Ok;
}

bool WriteDword(ISettingsStore& store, SettingsRoot root, const std::wstring& path,
                const std::wstring& name, uint32_t v) {
  return store.WriteValue(root, path, name, DwordValue(v));
}

bool WriteString(ISettingsStore& store, SettingsRoot root, const std::wstring& path,
                 const std::wstring& name, const std::wstring& s) {
  return store.WriteValue(root, path, name, StringValue(s));
}

bool WriteBinary(ISettingsStore& store, SettingsRoot root, const std::wstring& path,
                 const std::wstring& name, const void* data, size_t size) {
  return store.WriteValue(root, path, name, BinaryValue(data, size));
}

}  // namespace vantrel
