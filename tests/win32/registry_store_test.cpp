#include <windows.h>

#include <gtest/gtest.h>

#include "platform/win32/registry_store.h"

namespace vantrel {
namespace {

class RegistryStoreTest : public ::testing::Test {
 protected:
  RegistryStoreTest() : m_key(L"Software\\Orlix Systems\\VantrelTest\\" + std::to_wstring(GetCurrentProcessId())) {}
  ~RegistryStoreTest() override { m_store.DeleteTree(SettingsRoot::CurrentUser, m_key); }
  RegistryStore m_store;
  std::wstring m_key;
};

TEST_F(RegistryStoreTest, AllThreeValueTypesRoundTrip) {
  const auto root = SettingsRoot::CurrentUser;
  ASSERT_TRUE(WriteDword(m_store, root, m_key, L"Number", 0xDEADBEEF));
  ASSERT_TRUE(WriteString(m_store, root, m_key, L"Text", L"流量 Vantrel"));
  const uint8_t blob[5] = {1, 2, 0, 4, 5};
  ASSERT_TRUE(WriteBinary(m_store, root, m_key, L"Blob", blob, sizeof blob));
  uint32_t n = 0;
  EXPECT_EQ(ReadDword(m_store, root, m_key, L"number", &n), ReadStatus::Ok);  // names ignore case
  EXPECT_EQ(n, 0xDEADBEEFu);
  std::wstring s;
  EXPECT_EQ(ReadString(m_store, root, m_key, L"Text", 100, &s), ReadStatus::Ok);
  EXPECT_EQ(s, L"流量 Vantrel");
  std::vector<uint8_t> b;
  EXPECT_EQ(ReadBinaryExact(m_store, root, m_key, L"Blob", 5, &b), ReadStatus::Ok);
  EXPECT_EQ(b, std::vector<uint8_t>(blob, blob + 5));
  EXPECT_EQ(ReadBinaryExact(m_store, root, m_key, L"Blob", 4, &b), ReadStatus::TooLarge);
  EXPECT_EQ(ReadDword(m_store, root, m_key, L"Missing", &n), ReadStatus::Missing);
  EXPECT_EQ(ReadDword(m_store, root, m_key + L"\\Nowhere", L"Number", &n), ReadStatus::Missing);
}

TEST_F(RegistryStoreTest, EnumeratesSubkeysAndValuesAndDeletesASubtree) {
  const auto root = SettingsRoot::CurrentUser;
  WriteDword(m_store, root, m_key + L"\\300-B", L"V", 1);
  WriteDword(m_store, root, m_key + L"\\100-", L"V", 1);
  WriteDword(m_store, root, m_key + L"\\200-\\Deep\\Deeper", L"V", 1);
  WriteDword(m_store, root, m_key, L"Second", 2);
  WriteDword(m_store, root, m_key, L"First", 1);
  std::vector<std::wstring> subs;
  ASSERT_TRUE(m_store.EnumSubkeys(root, m_key, &subs));
  EXPECT_EQ(subs, (std::vector<std::wstring>{L"100-", L"200-", L"300-B"}));
  std::vector<std::pair<std::wstring, StoredValue>> values;
  ASSERT_TRUE(m_store.EnumValues(root, m_key, &values));
  // Value order is the registry's own (creation order on Windows, by name under Wine).
  ASSERT_EQ(values.size(), 2u);
  EXPECT_TRUE((values[0].first == L"Second" && values[1].first == L"First") ||
              (values[0].first == L"First" && values[1].first == L"Second"));
  EXPECT_EQ(values[0].second.type, ValueType::Dword);
  EXPECT_EQ(values[1].second.data.size(), 4u);
  EXPECT_TRUE(m_store.DeleteTree(root, m_key + L"\\200-"));
  EXPECT_FALSE(m_store.KeyExists(root, m_key + L"\\200-"));
  EXPECT_TRUE(m_store.KeyExists(root, m_key + L"\\300-B"));
  EXPECT_TRUE(m_store.DeleteValue(root, m_key, L"First"));
  EXPECT_FALSE(m_store.DeleteValue(root, m_key, L"First"));
}

}  // namespace
}  // namespace vantrel
