#include "engine/sampling_tick.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/memory_settings_store.h"
#include "platform/text.h"
#include "tests/support/fakes.h"

namespace vantrel {
namespace {

struct RecordingHooks : ITickHooks {
  std::vector<LocalTime> writes, loads, dayChanges;
  std::vector<std::pair<std::string, RateSample>> trayUpdates;
  std::vector<std::pair<uint32_t, uint32_t>> records;
  int afterSampling = 0;
  void WriteTodayRecords(const LocalTime& d) override { writes.push_back(d); }
  void LoadTodayTotals(const LocalTime& d) override { loads.push_back(d); }
  void DayChanged(const LocalTime& d) override { dayChanges.push_back(d); }
  void TrayUpdate(AdapterEntry& e) override { trayUpdates.emplace_back(e.id, e.history.front()); }
  void RecordSecond(AdapterEntry&, uint32_t down, uint32_t up, const LocalTime&) override {
    records.emplace_back(down, up);
  }
  void AfterSampling(const LocalTime&) override { ++afterSampling; }
};

struct RecordingView : IRateView {
  std::vector<RateSample> pushed;
  std::vector<std::wstring> captions;
  void PushSample(const RateSample& s) override { pushed.push_back(s); }
  void SetCaption(const std::wstring& c) override { captions.push_back(c); }
};

struct MenuHook : IAdapterMenuHook {
  uint32_t next = kAdapterMenuFirstId;
  void AdapterAdded(AdapterEntry& e) override {
    e.adapterCmdId = next;
    e.resetCmdId = next - kAdapterMenuFirstId + kResetMenuFirstId;
    ++next;
  }
};

class SamplingTickTest : public ::testing::Test {
 protected:
  SamplingTickTest() : m_clock(MakeLocalTime(2010, 3, 7, 10, 0, 0)) {}

  void Build() {
    MemorySettingsStore store;
    LoadMonitoredList(store, SettingsRoot::CurrentUser, m_source, ListOwner::Interactive, &m_list);
    m_tick = std::make_unique<SamplingTick>(m_list, m_source, m_clock, m_hooks, &m_menu);
  }
  // One second later, then a tick.
  bool Step() {
    m_clock.Advance(1);
    return m_tick->Run();
  }
  AdapterEntry& Entry(const std::string& name) { return *m_list.FindReal(ToUpperAscii(name)); }

  test::FakeClock m_clock;
  test::FakeAdapterSource m_source;
  RecordingHooks m_hooks;
  MenuHook m_menu;
  MonitoredList m_list;
  std::unique_ptr<SamplingTick> m_tick;
};

TEST_F(SamplingTickTest, CountsDeltasIntoTodayTotalsHistoriesAndPseudoAdapters) {
  m_source.Add("{lan-adapter-000}", 1);
  m_source.Add("{ppp-adapter-000}", 2, 23);
  Build();
  m_source.Move(1, 1000, 100);
  m_source.Move(2, 50, 5);
  ASSERT_TRUE(Step());
  AdapterEntry& lan = Entry("{lan-adapter-000}");
  EXPECT_EQ(lan.todayDown, 1000u);
  EXPECT_EQ(lan.todayUp, 100u);
  EXPECT_EQ(lan.history.front(), (RateSample{1000, 100, 1000, 100}));
  EXPECT_EQ(m_list.All().todayDown, 1050u);
  EXPECT_EQ(m_list.All().history.front().up, 105u);
  EXPECT_EQ(m_list.DialUp().todayDown, 50u);
  EXPECT_EQ(m_list.DialUp().todayUp, 5u);
  m_source.Move(1, 0, 0);
  Step();
  EXPECT_EQ(lan.history.front(), (RateSample{0, 0, 500, 50}));  // averages over two samples
  EXPECT_EQ(lan.history.size(), 2u);
  EXPECT_EQ(m_hooks.afterSampling, 2);
}

TEST_F(SamplingTickTest, ACounterThatGoesBackwardsCountsZeroThenCountsNormally) {
  auto& a = m_source.Add("{lan-adapter-000}", 1);
  a.row.inOctets = 4294967000u;
  Build();
  a.row.inOctets = 200;
  Step();
  EXPECT_EQ(Entry("{lan-adapter-000}").history.front().down, 0u);
  a.row.inOctets = 1200;
  Step();
  EXPECT_EQ(Entry("{lan-adapter-000}").history.front().down, 1000u);
  EXPECT_EQ(Entry("{lan-adapter-000}").todayDown, 1000u);
}

TEST_F(SamplingTickTest, SixtyFourBitCountersTakeTheWholeDeltaWhileTheSampleSaturates) {
  auto& a = m_source.Add("{fast-adapter-00}", 1);
  a.row.inOctets = 1ull << 40;
  Build();
  m_source.Move(1, 6000000000ull, 0);  // 6 GB in one second
  Step();
  EXPECT_EQ(Entry("{fast-adapter-00}").todayDown, 6000000000ull);
  EXPECT_EQ(Entry("{fast-adapter-00}").history.front().down, 0xFFFFFFFFu);
  EXPECT_EQ(m_list.All().todayDown, 6000000000ull);
}

TEST_F(SamplingTickTest, AClockGapForgetsCountersSoTheGapIsNotCounted) {
  m_source.Add("{lan-adapter-000}", 1);
  Build();
  m_source.Move(1, 5000000, 0);
  m_clock.Advance(3600);  // the machine slept for an hour
  m_tick->Run();
  EXPECT_EQ(Entry("{lan-adapter-000}").todayDown, 0u);
  m_source.Move(1, 10, 0);
  m_clock.Advance(11);  // a busy window delays ticks: over 10 seconds is a gap too
  m_tick->Run();
  EXPECT_EQ(Entry("{lan-adapter-000}").todayDown, 0u);
  m_source.Move(1, 10, 0);
  m_clock.Advance(10);
  m_tick->Run();
  EXPECT_EQ(Entry("{lan-adapter-000}").todayDown, 10u);
}

TEST_F(SamplingTickTest, WritesTheLogAtSixteenMinuteHourAndDayBoundaries) {
  m_clock.Set(2010, 3, 7, 10, 15, 58);
  Build();
  Step();  // 10:15:59
  EXPECT_TRUE(m_hooks.writes.empty());
  Step();  // 10:16:00
  ASSERT_EQ(m_hooks.writes.size(), 1u);
  EXPECT_EQ(m_hooks.writes[0].minute, 15);  // written with the previous tick's time
  m_clock.Set(2010, 3, 7, 10, 16, 59);
  m_tick->Run();
  Step();  // 10:17:00
  EXPECT_EQ(m_hooks.writes.size(), 1u);
  m_clock.Set(2010, 3, 7, 10, 59, 59);
  m_tick->Run();
  EXPECT_EQ(m_hooks.writes.size(), 2u);  // 10:17 -> 10:59 crosses 32 and 48
  Step();  // 11:00:00, a change of hour
  EXPECT_EQ(m_hooks.writes.size(), 3u);
  EXPECT_TRUE(m_hooks.loads.empty());
}

TEST_F(SamplingTickTest, MidnightWritesTheOldDayThenReloadsAndCountsTheFirstSecondToTheNewDay) {
  m_source.Add("{lan-adapter-000}", 1);
  m_clock.Set(2010, 3, 7, 23, 59, 58);
  Build();
  m_source.Move(1, 100, 0);
  Step();  // 23:59:59
  EXPECT_EQ(Entry("{lan-adapter-000}").todayDown, 100u);
  struct MidnightHooks : RecordingHooks {
    MonitoredList* list = nullptr;
    uint64_t totalAtWrite = 0;
    void WriteTodayRecords(const LocalTime& d) override {
      RecordingHooks::WriteTodayRecords(d);
      totalAtWrite = list->All().todayDown;
    }
    void LoadTodayTotals(const LocalTime& d) override {
      RecordingHooks::LoadTodayTotals(d);
      for (auto& e : *list) e.todayDown = e.todayUp = 0;
    }
  } hooks;
  hooks.list = &m_list;
  SamplingTick tick(m_list, m_source, m_clock, hooks);
  tick.SetLastTickTime(m_clock.Now());
  m_source.Move(1, 7, 0);
  m_clock.Advance(1);  // 00:00:00
  tick.Run();
  ASSERT_EQ(hooks.writes.size(), 1u);
  EXPECT_EQ(hooks.writes[0].day, 7);
  EXPECT_EQ(hooks.totalAtWrite, 100u);
  ASSERT_EQ(hooks.loads.size(), 1u);
  EXPECT_EQ(hooks.loads[0].day, 8);
  EXPECT_EQ(hooks.dayChanges.size(), 1u);
  EXPECT_EQ(Entry("{lan-adapter-000}").todayDown, 7u);
  EXPECT_EQ(m_list.All().todayDown, 7u);
}

TEST_F(SamplingTickTest, AnAdapterThatDisappearsKeepsItsEntryAndComesBackCountingZeroFirst) {
  m_source.Add("{lan-adapter-000}", 1, 6, L"NIC", "10.0.0.1");
  Build();
  RecordingView view;
  AdapterEntry& lan = Entry("{lan-adapter-000}");
  lan.view = &view;
  m_source.Move(1, 300, 0);
  Step();
  m_source.Remove(1);
  Step();
  EXPECT_EQ(m_list.size(), 3u);
  EXPECT_EQ(lan.history.front(), (RateSample{0, 0, 150, 0}));  // absent seconds count as samples
  EXPECT_FALSE(lan.countersValid);
  EXPECT_TRUE(lan.ip.empty());
  ASSERT_EQ(view.captions.size(), 1u);
  EXPECT_EQ(view.captions[0], L"NIC []");
  auto& back = m_source.Add("{lan-adapter-000}", 1, 6, L"NIC", "10.0.0.1");
  back.row.inOctets = 999999;
  Step();
  EXPECT_EQ(lan.history.front().down, 0u);
  EXPECT_EQ(lan.todayDown, 300u);
  EXPECT_EQ(view.captions.back(), L"NIC [10.0.0.1]");
  EXPECT_EQ(view.pushed.size(), 3u);
}

TEST_F(SamplingTickTest, ANewAdapterGetsMenuIdsAndStartsCountingOnceItHasAnsweredTwice) {
  Build();
  auto& a = m_source.Add("{late-adapter-00}", 7);
  a.row.inOctets = 123456;
  Step();
  AdapterEntry& late = Entry("{late-adapter-00}");
  EXPECT_EQ(late.adapterCmdId, 9000u);
  EXPECT_EQ(late.resetCmdId, 9300u);
  EXPECT_EQ(late.history.size(), 1u);
  EXPECT_EQ(late.history.front().down, 0u);
  // Absent in the tick that added it, so its next answer is its first valid sample.
  m_source.Move(7, 10, 0);
  Step();
  EXPECT_EQ(late.history.front().down, 0u);
  m_source.Move(7, 20, 0);
  Step();
  EXPECT_EQ(late.history.front().down, 20u);
}

TEST_F(SamplingTickTest, ATwinAdapterWithTheSameIdentifierIsCountedOnce) {
  m_source.Add("abc", 1);
  auto& twin = m_source.Add("abc", 2);
  for (int i = 0; i < 8; ++i) twin.info.address[i] = static_cast<uint8_t>(0x10 + 1 + i);  // same hardware address
  Build();
  m_source.Move(1, 10, 0);
  m_source.Move(2, 1000, 0);
  Step();
  EXPECT_EQ(m_list.size(), 3u);
  EXPECT_EQ(m_list.All().todayDown, 10u);
}

TEST_F(SamplingTickTest, AFailingAdapterTableGivesNoSamplesAndNoChecks) {
  m_source.Add("{lan-adapter-000}", 1);
  Build();
  m_source.SetTableFails(true);
  EXPECT_FALSE(Step());
  EXPECT_TRUE(m_list.All().history.empty());
  EXPECT_EQ(m_hooks.afterSampling, 0);
}

TEST_F(SamplingTickTest, TrayAndRecorderGetTheirEntries) {
  m_source.Add("{lan-adapter-000}", 1);
  Build();
  m_tick->settings().trayEnabled = true;
  m_tick->settings().trayKind = kKindAdapter;
  m_tick->settings().trayId = "{LAN-ADAPTER-000}";
  m_source.Move(1, 42, 0);
  Step();
  ASSERT_EQ(m_hooks.trayUpdates.size(), 1u);
  EXPECT_EQ(m_hooks.trayUpdates[0].second.down, 42u);
  EXPECT_TRUE(m_hooks.records.empty());  // no rate file open
  m_tick->settings().serviceVariant = true;
  Entry("{lan-adapter-000}").recordRates = true;
  m_source.Remove(1);
  Step();
  ASSERT_EQ(m_hooks.records.size(), 1u);  // the service records absent adapters too
  EXPECT_EQ(m_hooks.records[0], std::make_pair(0u, 0u));
  EXPECT_EQ(m_hooks.trayUpdates.size(), 1u);
}

TEST_F(SamplingTickTest, HistoryIsCappedAndResetRatesEmptiesIt) {
  m_source.Add("{lan-adapter-000}", 1);
  Build();
  m_tick->settings().historyCapacity = 5;
  for (int i = 0; i < 8; ++i) {
    m_source.Move(1, static_cast<uint64_t>(i), 0);
    Step();
  }
  AdapterEntry& lan = Entry("{lan-adapter-000}");
  ASSERT_EQ(lan.history.size(), 5u);
  EXPECT_EQ(lan.history.front().down, 7u);
  EXPECT_EQ(lan.history.back().down, 3u);
  SamplingTick::ResetRates(lan);
  EXPECT_TRUE(lan.history.empty());
  EXPECT_EQ(lan.sampleCount, 0u);
  EXPECT_EQ(lan.todayDown, 28u);  // totals are not touched
}

TEST_F(SamplingTickTest, TheServiceVariantKeepsNoHistories) {
  m_source.Add("{lan-adapter-000}", 1);
  Build();
  m_tick->settings().serviceVariant = true;
  m_source.Move(1, 5, 5);
  Step();
  EXPECT_TRUE(Entry("{lan-adapter-000}").history.empty());
  EXPECT_EQ(Entry("{lan-adapter-000}").todayDown, 5u);
  EXPECT_EQ(m_list.All().todayUp, 5u);
}

TEST(CounterDelta, NeverWraps) {
  EXPECT_EQ(CounterDelta(10, 5), 5u);
  EXPECT_EQ(CounterDelta(5, 10), 0u);
  EXPECT_EQ(Saturate32(0x100000000ull), 0xFFFFFFFFu);
  EXPECT_EQ(Saturate32(7), 7u);
}

}  // namespace
}  // namespace vantrel
