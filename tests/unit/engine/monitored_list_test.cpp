#include "engine/monitored_list_io.h"

#include <gtest/gtest.h>

#include "platform/memory_settings_store.h"
#include "settings/settings_keys.h"
#include "tests/support/fakes.h"

namespace vantrel {
namespace {

constexpr SettingsRoot kUser = SettingsRoot::CurrentUser;

class MonitoredListTest : public ::testing::Test {
 protected:
  std::wstring Key(const std::wstring& sub) { return std::wstring(keys::kAdaptersEx) + L"\\" + sub; }
  void PutEntry(const std::wstring& sub, const std::wstring& id, const std::wstring& name, uint32_t monitored) {
    WriteString(m_store, kUser, Key(sub), L"AdapterID", id);
    if (!name.empty()) WriteString(m_store, kUser, Key(sub), L"AdapterName", name);
    WriteDword(m_store, kUser, Key(sub), L"Monitored", monitored);
  }
  MonitoredList Load(ListOwner owner = ListOwner::Interactive) {
    MonitoredList list;
    LoadMonitoredList(m_store, kUser, m_source, owner, &list);
    return list;
  }
  MemorySettingsStore m_store;
  test::FakeAdapterSource m_source;
};

TEST_F(MonitoredListTest, OneStoredRealAdapterStillGivesBothPseudoAdaptersFirst) {
  PutEntry(L"300-{GUID-LAN-0001}", L"{guid-lan-0001}", L"Office LAN", 0);
  MonitoredList list = Load();
  ASSERT_EQ(list.size(), 3u);
  auto it = list.begin();
  EXPECT_EQ(it->kind, kKindAllConnections);
  EXPECT_EQ(it->displayName, L"All Connections");
  EXPECT_TRUE(it->monitored);  // nothing else was monitored
  ++it;
  EXPECT_EQ(it->kind, kKindDialUp);
  EXPECT_EQ(it->displayName, L"Dial-Up Connections");
  ++it;
  EXPECT_EQ(it->id, "{GUID-LAN-0001}");
  EXPECT_EQ(it->displayName, L"Office LAN");
  EXPECT_FALSE(it->countersValid);  // not present now
}

TEST_F(MonitoredListTest, StoredNamesOrderAndDuplicates) {
  PutEntry(L"200-", L"", L"Modem", 1);
  PutEntry(L"100-", L"", L"", 0);
  PutEntry(L"300-AAA", L"AAA", L"First", 0);
  PutEntry(L"300-aaa2", L"aaa", L"Same identifier", 0);
  PutEntry(L"400-x", L"x", L"", 0);
  WriteDword(m_store, kUser, Key(L"300-NOID"), L"Monitored", 1);
  MonitoredList list = Load();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list.All().displayName, L"All Connections");
  EXPECT_FALSE(list.All().monitored);  // Dial-Up was monitored
  EXPECT_EQ(list.DialUp().displayName, L"Modem");
  EXPECT_EQ(std::next(list.begin(), 2)->displayName, L"First");
}

TEST_F(MonitoredListTest, LiveAdaptersAreMatchedOrAppended) {
  PutEntry(L"300-{KNOWN-ADAPTER}", L"{KNOWN-ADAPTER}", L"Known", 1);
  auto& known = m_source.Add("{known-adapter}", 1, 6, L"  Intel Ethernet  ", "192.168.1.5");
  known.row.inOctets = 1000;
  known.row.outOctets = 2000;
  m_source.Add("ppp0", 2, 23, L"   ", "10.1.1.1");
  m_source.Add("{failing-row-adapter}", 3).rowFails = true;
  MonitoredList list = Load();
  ASSERT_EQ(list.size(), 4u);
  AdapterEntry* k = list.FindReal("{KNOWN-ADAPTER}");
  ASSERT_NE(k, nullptr);
  EXPECT_EQ(k->displayName, L"Known");
  EXPECT_EQ(k->description, L"Intel Ethernet");
  EXPECT_EQ(k->ip, "192.168.1.5");
  EXPECT_TRUE(k->countersValid);
  EXPECT_EQ(k->lastDown, 1000u);
  EXPECT_EQ(k->lastUp, 2000u);
  const AdapterEntry& wan = list.entries().back();
  EXPECT_EQ(wan.displayName, L"WAN");
  EXPECT_EQ(wan.ifType, 23u);
  EXPECT_FALSE(wan.monitored);
  EXPECT_EQ(wan.adapterCmdId, 0u);
}

TEST_F(MonitoredListTest, AFailingTableLeavesTheStoredList) {
  PutEntry(L"300-AAA", L"AAA", L"", 0);
  m_source.Add("{something-else}", 1);
  m_source.SetTableFails(true);
  MonitoredList list = Load();
  EXPECT_EQ(list.size(), 3u);
}

TEST_F(MonitoredListTest, SaveWritesTheChosenPartsUnderKindAndIdentifier) {
  m_source.Add("{new-adapter-0001}", 1, 6, L"NIC");
  MonitoredList list = Load();
  AdapterEntry* e = list.FindReal("{NEW-ADAPTER-0001}");
  ASSERT_NE(e, nullptr);
  e->connRateBps = 100000000;
  e->recordRates = true;
  e->recordInterval = 60;
  e->recordFile = L"C:\\rates.csv";
  SaveMonitoredList(m_store, kUser, list, kSaveIdentity);
  std::wstring name;
  EXPECT_EQ(ReadString(m_store, kUser, Key(L"300-{NEW-ADAPTER-0001}"), L"AdapterName", 100, &name), ReadStatus::Ok);
  EXPECT_EQ(name, L"NIC");
  EXPECT_TRUE(m_store.KeyExists(kUser, Key(L"100-")));
  EXPECT_TRUE(m_store.KeyExists(kUser, Key(L"200-")));
  uint32_t v = 0;
  EXPECT_EQ(ReadDword(m_store, kUser, Key(L"100-"), L"Monitored", &v), ReadStatus::Ok);
  EXPECT_EQ(v, 1u);
  StoredValue sv;
  EXPECT_EQ(m_store.ReadValue(kUser, Key(L"100-"), L"Size", 4, &sv), ReadStatus::Missing);  // no view
  EXPECT_EQ(m_store.ReadValue(kUser, Key(L"300-{NEW-ADAPTER-0001}"), L"RecordFile", 100, &sv), ReadStatus::Missing);

  SaveMonitoredList(m_store, kUser, list, kSaveRecording);
  MonitoredList back = Load();
  AdapterEntry* b = back.FindReal("{NEW-ADAPTER-0001}");
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b->connRateBps, 100000000u);
  EXPECT_TRUE(b->recordRates);
  EXPECT_EQ(b->recordInterval, 60u);
  EXPECT_EQ(b->recordFile, L"C:\\rates.csv");
}

TEST_F(MonitoredListTest, TheServiceReadsIdentityAndRecordingOnly) {
  PutEntry(L"300-AAA", L"AAA", L"Named", 1);
  WriteDword(m_store, kUser, Key(L"300-AAA"), L"ConnRatebps", 5);
  WriteDword(m_store, kUser, Key(L"300-AAA"), L"RecordTrafficRates", 1);
  MonitoredList list = Load(ListOwner::Service);
  AdapterEntry* e = list.FindReal("AAA");
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->displayName, L"Named");
  EXPECT_EQ(e->connRateBps, 0u);
  EXPECT_FALSE(e->monitored);
  EXPECT_TRUE(e->recordRates);
  EXPECT_FALSE(list.All().monitored);
}

}  // namespace
}  // namespace vantrel
