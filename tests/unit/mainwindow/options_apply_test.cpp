#include "app/logic/options_apply.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

class GeneralApplyTest : public ::testing::Test {
 protected:
  Options current = DefaultOptions(true);
  Options page = DefaultOptions(true);
};

TEST_F(GeneralApplyTest, ChangesNothingWhenThePageChangedNothing) {
  GeneralApplyPlan plan = PlanGeneralApply(current, page, true);
  EXPECT_FALSE(plan.refused);
  EXPECT_EQ(plan.hotkey, HotkeyAction::Keep);
  EXPECT_FALSE(plan.topmost || plan.caption || plan.layered || plan.recaption || plan.margins ||
               plan.startWithWindows || plan.notificationRecompute);
}

TEST_F(GeneralApplyTest, RefusesAPageWithNeitherGraphNorText) {
  page.displayGraph = 0;
  page.displayText = 0;
  page.alwaysOnTop = 0;
  GeneralApplyPlan plan = PlanGeneralApply(current, page, true);
  EXPECT_TRUE(plan.refused);
  EXPECT_FALSE(plan.topmost);
}

TEST_F(GeneralApplyTest, RegistersUnregistersOrRenewsTheHotKey) {
  struct Case {
    uint32_t wasOn, wasKey, nowOn, nowKey;
    HotkeyAction want;
  } cases[] = {
      {0, 78, 1, 78, HotkeyAction::Register},   {1, 78, 0, 78, HotkeyAction::Unregister},
      {1, 78, 1, 77, HotkeyAction::Reregister}, {1, 78, 1, 78, HotkeyAction::Keep},
      {0, 78, 0, 77, HotkeyAction::Keep},
  };
  for (const auto& c : cases) {
    current.hotkeyEnabled = c.wasOn;
    current.hotkeyChar = c.wasKey;
    page.hotkeyEnabled = c.nowOn;
    page.hotkeyChar = c.nowKey;
    EXPECT_EQ(PlanGeneralApply(current, page, true).hotkey, c.want) << c.wasOn << c.nowOn << c.nowKey;
  }
}

TEST_F(GeneralApplyTest, AppliesLayeredChangesOnlyWithLayeredWindows) {
  page.transparentPercent = 40;
  EXPECT_TRUE(PlanGeneralApply(current, page, true).layered);
  EXPECT_FALSE(PlanGeneralApply(current, page, false).layered);
  Options taken = current;
  TakeGeneralValues(page, false, &taken);
  EXPECT_EQ(taken.transparentPercent, current.transparentPercent);
  TakeGeneralValues(page, true, &taken);
  EXPECT_EQ(taken.transparentPercent, 40);
}

TEST_F(GeneralApplyTest, RecomputesTheNotificationOnlyForTheStartDayOfItsPeriod) {
  current.notificationEnabled = 1;
  current.notification.period = 0;  // week
  page.weekStartDay = 1;
  EXPECT_TRUE(PlanGeneralApply(current, page, true).notificationRecompute);
  page.weekStartDay = current.weekStartDay;
  page.monthStartDay = 15;
  EXPECT_FALSE(PlanGeneralApply(current, page, true).notificationRecompute);
  current.notification.period = 1;  // month
  EXPECT_TRUE(PlanGeneralApply(current, page, true).notificationRecompute);
  current.notification.period = 2;  // last days: no start day
  EXPECT_FALSE(PlanGeneralApply(current, page, true).notificationRecompute);
  current.notificationEnabled = 0;
  current.notification.period = 1;
  EXPECT_FALSE(PlanGeneralApply(current, page, true).notificationRecompute);
}

TEST_F(GeneralApplyTest, NamesEveryWindowFollowUp) {
  page.alwaysOnTop = 0;
  page.showCaption = 0;
  page.showIPInTitle = 0;
  page.rateViewMargins = 5;
  page.startWithWindows = 1;
  GeneralApplyPlan plan = PlanGeneralApply(current, page, true);
  EXPECT_TRUE(plan.topmost);
  EXPECT_TRUE(plan.caption);
  EXPECT_TRUE(plan.recaption);
  EXPECT_TRUE(plan.margins);
  EXPECT_TRUE(plan.startWithWindows);
}

TEST_F(GeneralApplyTest, TakesTheDisplaySwitchesAndTheUnitButNotTheColours) {
  page.displayScale = 0;
  page.timeTextOnTop = 0;
  page.displayUnitByte = 1;
  page.graphBkgColor = 0x123456;
  TakeGeneralValues(page, true, &current);
  EXPECT_EQ(current.displayScale, 0u);
  EXPECT_EQ(current.timeTextOnTop, 0u);
  EXPECT_EQ(current.displayUnitByte, 1u);
  EXPECT_EQ(current.graphBkgColor, DefaultOptions(true).graphBkgColor);
}

TEST(GraphTextApply, TakesColoursFontsAndStyleButNoSwitches) {
  Options current = DefaultOptions(true);
  Options page = current;
  page.downColor = 0x010203;
  page.rateFont = MakeLogFont(L"Verdana", 15, 400);
  page.pulseWidth = 5;
  page.graphStyle = 0;
  page.displayTitle = 0;
  TakeGraphTextValues(page, &current);
  EXPECT_EQ(current.downColor, 0x010203u);
  EXPECT_EQ(current.rateFont, page.rateFont);
  EXPECT_EQ(current.pulseWidth, 5u);
  EXPECT_EQ(current.graphStyle, 0u);
  EXPECT_EQ(current.displayTitle, 1u);
}

}  // namespace
}  // namespace vantrel
