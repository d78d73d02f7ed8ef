#include "app/logic/options_pages.h"

#include <gtest/gtest.h>

#include <climits>

#include "app/logic/main_messages.h"
#include "app/res/options_ids.h"

namespace vantrel {
namespace {

// ---- General page ----

GeneralPageInput PassingGeneralInput() {
  GeneralPageInput in;
  in.layered = true;
  in.transparencyIndex = 3;
  in.margins = 4;
  in.weekIndex = 1;
  in.monthIndex = 14;
  in.hotkeyIndex = 2;
  in.dateFormatIndex = 5;
  return in;
}

TEST(GeneralPageCheck, ReportsOnlyTheFirstFailureInItsOrderAndKeepsThePage) {
  Options page;
  const Options before = page;
  GeneralPageInput in = PassingGeneralInput();
  in.transparencyIndex = -1;
  in.margins = -1;
  in.graph = in.text = false;

  PageCheck c = CheckGeneralPage(in, &page);
  EXPECT_FALSE(c.ok);
  EXPECT_EQ(c.message, kNoTransparencyText);
  EXPECT_EQ(c.focusControl, IDC_TRANSPARENCY);

  in.transparencyIndex = 0;
  c = CheckGeneralPage(in, &page);
  EXPECT_EQ(c.message, kNegativeMarginsText);
  EXPECT_EQ(c.focusControl, IDC_MARGINS);

  in.margins = 0;
  c = CheckGeneralPage(in, &page);
  EXPECT_EQ(c.message, kGraphOrTextText);
  EXPECT_EQ(c.focusControl, IDC_DISPLAY_GRAPH);
  EXPECT_EQ(page.transparentPercent, before.transparentPercent) << "a refused page took a value";
  EXPECT_EQ(page.rateViewMargins, before.rateViewMargins);

  in.text = true;
  EXPECT_TRUE(CheckGeneralPage(in, &page).ok);
}

TEST(GeneralPageCheck, WithoutLayeredWindowsNoTransparencyIsNeededAndNoneIsTaken) {
  Options page;
  page.transparentPercent = 0;
  GeneralPageInput in = PassingGeneralInput();
  in.layered = false;
  in.transparencyIndex = -1;
  EXPECT_TRUE(CheckGeneralPage(in, &page).ok);
  EXPECT_EQ(page.transparentPercent, 0);
}

TEST(GeneralPageCheck, TakesTheListsValuesAndTheDocumentedFallbacksForUnselectedLists) {
  Options page;
  GeneralPageInput in = PassingGeneralInput();
  ASSERT_TRUE(CheckGeneralPage(in, &page).ok);
  EXPECT_EQ(page.transparentPercent, 25);  // the fourth step, 75 percent visible
  EXPECT_EQ(page.weekStartDay, 1u);
  EXPECT_EQ(page.monthStartDay, 15u);
  EXPECT_EQ(page.hotkeyChar, static_cast<uint32_t>('C'));
  EXPECT_EQ(page.dateFormat, 68u);
  EXPECT_EQ(page.rateViewMargins, 4);

  in.hotkeyIndex = -1;
  in.dateFormatIndex = -1;
  in.weekIndex = -1;
  in.monthIndex = -1;
  ASSERT_TRUE(CheckGeneralPage(in, &page).ok);
  EXPECT_EQ(page.hotkeyChar, 78u);
  EXPECT_EQ(page.dateFormat, 17u);
  EXPECT_EQ(page.weekStartDay, 0u);
  EXPECT_EQ(page.monthStartDay, 1u);
}

TEST(Transparency, AValueOffTheStepsSelects85PercentVisibleWhichThenStores15) {
  std::vector<ListChoice> steps = TransparencyChoices();
  ASSERT_EQ(steps.size(), 17u);
  EXPECT_EQ(steps.front().text, L"90% visible");
  EXPECT_EQ(steps.back().text, L"10% visible");
  EXPECT_EQ(TransparencyIndex(10), 0);
  EXPECT_EQ(TransparencyIndex(90), 16);

  int index = TransparencyIndex(12);
  EXPECT_EQ(steps[static_cast<size_t>(index)].text, L"85% visible");
  Options page;
  GeneralPageInput in = PassingGeneralInput();
  in.transparencyIndex = index;
  ASSERT_TRUE(CheckGeneralPage(in, &page).ok);
  EXPECT_EQ(page.transparentPercent, 15);
}

// ---- Graph & Text page ----

TEST(GraphTextPageCheck, ChecksHeightThenPulseWidthThenIntervalAndKeepsThePageOnFailure) {
  Options page;
  GraphTextPageInput in;
  in.rateHeightPercent = 49;
  in.pulseWidth = 0;
  in.timeGridIntervalSec = 0;
  PageCheck c = CheckGraphTextPage(in, &page);
  EXPECT_EQ(c.message, kRateHeightText);
  EXPECT_EQ(c.focusControl, IDC_RATE_HEIGHT);
  in.rateHeightPercent = 101;
  EXPECT_EQ(CheckGraphTextPage(in, &page).message, kRateHeightText);
  in.rateHeightPercent = 100;
  c = CheckGraphTextPage(in, &page);
  EXPECT_EQ(c.message, kPulseWidthText);
  EXPECT_EQ(c.focusControl, IDC_PULSE_WIDTH);
  in.pulseWidth = 1;
  c = CheckGraphTextPage(in, &page);
  EXPECT_EQ(c.message, kTimeGridIntervalText);
  EXPECT_EQ(c.focusControl, IDC_TIME_GRID_INTERVAL);
  EXPECT_EQ(page.rateHeightPercent, 95u) << "a refused page took a value";

  in.timeGridIntervalSec = 1;
  in.scaleGridStyleIndex = 1;  // "Solid"
  in.graphStyleIndex = 1;      // "Line"
  ASSERT_TRUE(CheckGraphTextPage(in, &page).ok);
  EXPECT_EQ(page.rateHeightPercent, 100u);
  EXPECT_EQ(page.scaleGridLineStyle, 0u);
  EXPECT_EQ(page.graphStyle, 0u);
  EXPECT_EQ(page.timeGridLineStyle, 2u) << "an unselected list keeps its value";
}

TEST(GraphTextPageCheck, ANumberTooLargeForThirtyTwoBitsIsRefusedNotWrappedIntoRange) {
  // 4294967391 wraps to 95 in 32 bits, which would pass the height check.
  EXPECT_EQ(NumberFromText(L"4294967391"), INT32_MAX);
  EXPECT_EQ(NumberFromText(L""), 0);
  Options page;
  GraphTextPageInput in;
  in.rateHeightPercent = NumberFromText(L"4294967391");
  EXPECT_EQ(CheckGraphTextPage(in, &page).message, kRateHeightText);
}

TEST(GraphTextDefaults, FontsAreTahoma13WithOnlyTheTitleBoldAndChosenFontsKeepAPositiveHeight) {
  Options o;
  SetDefaultFonts(&o);
  for (const LogFontRecord* f : {&o.titleFont, &o.rateFont, &o.scaleFont, &o.timeTextFont}) {
    EXPECT_EQ(f->faceName, L"Tahoma");
    EXPECT_EQ(f->height, 13);
  }
  EXPECT_EQ(o.titleFont.weight, 700);
  EXPECT_EQ(o.timeTextFont.weight, 0);

  LogFontRecord chosen = MakeLogFont(L"Arial", -15, 400);
  EXPECT_EQ(KeptFont(chosen).height, 15);
  EXPECT_EQ(KeptFont(MakeLogFont(L"Arial", 15, 400)).height, 15);

  o.downColor = 0x123456;
  o.timeTextColor = 0x654321;
  SetDefaultColours(&o);
  EXPECT_EQ(o.downColor, 0x0000FFu);
  EXPECT_EQ(o.timeTextColor, 0x3C3C3Cu);
}

// ---- Adapters page ----

TEST(SpeedList, ARateOffTheListShowsSpecifySpeedWithTheRateAndAListedRateSelectsItsItem) {
  std::vector<ListChoice> items = ConnectionSpeedChoices();
  SpeedSelection s = SelectSpeed(1000000);
  EXPECT_TRUE(s.specify);
  EXPECT_EQ(items[static_cast<size_t>(s.index)].text, L"Specify Speed");
  EXPECT_EQ(s.editValue, 1000000u);

  s = SelectSpeed(100000000);
  EXPECT_FALSE(s.specify);
  EXPECT_EQ(items[static_cast<size_t>(s.index)].text, L"100 mbps (LAN)");
  EXPECT_EQ(s.editValue, 0u);
  EXPECT_EQ(items[static_cast<size_t>(SelectSpeed(0).index)].text, L"Auto Scale");

  // The marker of "Specify Speed" is no rate: a stored 0xFFFFFFFF is shown as typed.
  s = SelectSpeed(0xFFFFFFFFu);
  EXPECT_TRUE(s.specify);
  EXPECT_EQ(s.editValue, 0xFFFFFFFFu);
}

TEST(SpeedList, ChoosingSpecifySpeedGivesTheAdapterTheZeroTheEditShows) {
  std::vector<ListChoice> items = ConnectionSpeedChoices();
  auto indexOf = [&](const std::wstring& text) {
    for (size_t i = 0; i < items.size(); ++i)
      if (items[i].text == text) return static_cast<int>(i);
    return -1;
  };
  SpeedChoice specify = ChooseSpeed(indexOf(L"Specify Speed"));
  EXPECT_TRUE(specify.specify);
  EXPECT_EQ(specify.connRateBps, 0u);
  SpeedChoice lan = ChooseSpeed(indexOf(L"100 mbps (LAN)"));
  EXPECT_FALSE(lan.specify);
  EXPECT_EQ(lan.connRateBps, 100000000u);
}

TEST(SpeedList, TheTypedRateStaysWithinTheSpinsRange) {
  EXPECT_EQ(ConnRateFromText(L"1500000"), 1500000u);
  EXPECT_EQ(ConnRateFromText(L"99999999999"), 2147483647u);
  EXPECT_EQ(ConnRateFromText(L""), 0u);
}

std::vector<OptionsAdapter> ThreeAdapters() {
  OptionsAdapter all, dial, lan;
  all.kind = kKindAllConnections;
  all.name = L"All Connections";
  all.monitored = true;
  dial.kind = kKindDialUp;
  dial.name = L"Dial-Up Connections";
  lan.kind = kKindAdapter;
  lan.id = "{LAN}";
  lan.name = L"Office";
  lan.description = L"Intel(R) Ethernet";
  return {all, dial, lan};
}

TEST(TrayAdapter, MatchesKindAndForRealAdaptersTheIdentifierElseTheFirstItemAsAllConnections) {
  std::vector<OptionsAdapter> items = ThreeAdapters();
  EXPECT_EQ(SelectTrayAdapter(items, kKindAdapter, "{LAN}").index, 2);
  EXPECT_EQ(SelectTrayAdapter(items, kKindDialUp, "LEFTOVER").index, 1);
  TraySelection gone = SelectTrayAdapter(items, kKindAdapter, "{GONE}");
  EXPECT_EQ(gone.index, 0);
  EXPECT_EQ(gone.kind, kKindAllConnections);
  EXPECT_TRUE(gone.id.empty());
}

TEST(AdaptersPageCheck, ChecksTheTrayThenNamesThenThatOneIsMonitoredAndTakesNothingOnFailure) {
  AdaptersPageValues page;
  page.adapters = ThreeAdapters();
  const std::vector<OptionsAdapter> tray = page.adapters;
  AdaptersPageInput in;
  in.trayIcon = true;
  in.trayIndex = -1;
  in.rows = {{2, false}, {0, false}, {1, false}};  // sorted rows point into the copy
  page.adapters[1].name.clear();

  PageCheck c = CheckAdaptersPage(in, tray, &page);
  EXPECT_EQ(c.message, kNoTrayAdapterText);
  EXPECT_EQ(c.focusControl, IDC_TRAY_ADAPTER);
  // Without the tray icon no tray adapter is needed.
  in.trayIcon = false;
  c = CheckAdaptersPage(in, tray, &page);
  EXPECT_EQ(c.message, kEmptyAdapterNameText);
  EXPECT_EQ(c.focusControl, IDC_ADAPTER_LIST);
  page.adapters[1].name = L"Modem";
  c = CheckAdaptersPage(in, tray, &page);
  EXPECT_EQ(c.message, kLastAdapterText);
  EXPECT_EQ(c.focusControl, IDC_ADAPTER_LIST);
  EXPECT_TRUE(page.adapters[0].monitored) << "a refused page took the check boxes";

  in.trayIcon = true;
  in.trayIndex = 2;
  in.rows = {{2, true}, {0, false}, {1, false}};
  ASSERT_TRUE(CheckAdaptersPage(in, tray, &page).ok);
  EXPECT_FALSE(page.adapters[0].monitored);
  EXPECT_TRUE(page.adapters[2].monitored);
  EXPECT_EQ(page.tray.kind, kKindAdapter);
  EXPECT_EQ(page.tray.id, "{LAN}");
}

TEST(AdaptersPage, ResetNamesEachAdapterByItsDescriptionWhereOneIsKnown) {
  std::vector<OptionsAdapter> reset = ResetAdapterNames(ThreeAdapters());
  EXPECT_EQ(reset[0].name, L"All Connections");
  EXPECT_EQ(reset[2].name, L"Intel(R) Ethernet");
}

TEST(AdaptersPage, MonitoredChangedComparesEachRowWithTheAdapterItShows) {
  std::vector<OptionsAdapter> copy = ThreeAdapters();
  EXPECT_FALSE(MonitoredChanged({{2, false}, {0, true}, {1, false}}, copy));
  EXPECT_TRUE(MonitoredChanged({{0, true}, {1, false}, {2, true}}, copy));
}

TEST(AdaptersApply, MatchesAdaptersByIdentityAndPlansViewsNamesRatesAndTheTrayIcon) {
  std::vector<OptionsAdapter> page = ThreeAdapters();
  page[0].monitored = false;
  page[2].monitored = true;
  page[2].name = L"Lab";
  page[2].connRateBps = 1500000;
  // The main window's list gained an adapter while the sheet was open.
  std::vector<OptionsAdapter> current = ThreeAdapters();
  OptionsAdapter added;
  added.kind = kKindAdapter;
  added.id = "{NEW}";
  current.insert(current.begin() + 2, added);

  TraySettings tray;
  tray.icon = true;
  AdaptersPageValues values{page, tray};
  values.tray.icon = false;
  AdaptersApplyPlan plan = PlanAdaptersApply(current, tray, values);
  ASSERT_EQ(plan.steps.size(), 3u);
  EXPECT_TRUE(plan.steps[0].removeView);
  EXPECT_FALSE(plan.steps[1].addView || plan.steps[1].removeView || plan.steps[1].renamed);
  const AdapterApplyStep& lan = plan.steps[2];
  EXPECT_EQ(lan.entry, 3u);
  EXPECT_EQ(lan.pageAdapter, 2u);
  EXPECT_TRUE(lan.addView && lan.renamed && lan.rateChanged);
  EXPECT_TRUE(plan.deleteTrayIcon);
  EXPECT_FALSE(plan.addTrayIcon);

  AdaptersPageValues back{page, tray};
  TraySettings off;
  off.icon = false;
  EXPECT_TRUE(PlanAdaptersApply(current, off, back).addTrayIcon);
}

}  // namespace
}  // namespace vantrel
