#include "app/logic/menu_rules.h"

#include <gtest/gtest.h>

#include "app/res/resource.h"

namespace vantrel {
namespace {

// A do-nothing view: the menu rules only ask whether an entry has one.
class NullView : public IRateView {
 public:
  void PushSample(const RateSample&) override {}
  void SetCaption(const std::wstring&) override {}
};

class MenuRulesTest : public ::testing::Test {
 protected:
  MenuRulesTest() {
    options = DefaultOptions(true);
    AdapterEntry all;
    all.kind = kKindAllConnections;
    all.displayName = L"All Connections";
    all.adapterCmdId = 9000;
    all.resetCmdId = 9300;
    all.view = &view;
    adapters.PushBack(std::move(all));
    AdapterEntry dial;
    dial.kind = kKindDialUp;
    dial.displayName = L"Dial-Up Connections";
    dial.adapterCmdId = 9001;
    dial.resetCmdId = 9301;
    adapters.PushBack(std::move(dial));
    AdapterEntry eth;
    eth.kind = kKindAdapter;
    eth.id = "{ETH0}";
    eth.ip = "192.168.1.5";
    eth.displayName = L"Ethernet";
    eth.adapterCmdId = 9002;
    eth.resetCmdId = 9302;
    adapters.PushBack(std::move(eth));
    context.options = &options;
    context.adapters = &adapters;
    context.layered = true;
  }

  MenuItemRule Rule(uint32_t id) {
    MenuItemRule r;
    EXPECT_TRUE(RuleForMenuItem(id, context, &r)) << id;
    return r;
  }

  NullView view;
  Options options;
  MonitoredList adapters;
  MenuContext context;
};

TEST_F(MenuRulesTest, EnablesShowOnlyWhileHiddenAndHideOnlyWhileShown) {
  context.shown = true;
  EXPECT_FALSE(Rule(ID_SHOW).enabled);
  EXPECT_TRUE(Rule(ID_HIDE).enabled);
  context.shown = false;
  EXPECT_TRUE(Rule(ID_SHOW).enabled);
  EXPECT_FALSE(Rule(ID_HIDE).enabled);
}

TEST_F(MenuRulesTest, DisablesTheModalWindowsWhileOneIsOpen) {
  const uint32_t modal[] = {ID_OPTIONS, ID_TRAFFIC_REPORTS, ID_STOPWATCH, ID_RATES_RECORDER, ID_APP_ABOUT};
  for (uint32_t id : modal) EXPECT_TRUE(Rule(id).enabled) << id;
  context.modalOpen = true;
  for (uint32_t id : modal) EXPECT_FALSE(Rule(id).enabled) << id;
  // Commands that open no modal window of ours stay as they are.
  MenuItemRule r;
  EXPECT_FALSE(RuleForMenuItem(ID_TCP_CONNECTIONS, context, &r));
  EXPECT_FALSE(RuleForMenuItem(ID_EXIT, context, &r));
  EXPECT_FALSE(RuleForMenuItem(ID_HELP_CONTENTS, context, &r));
}

TEST_F(MenuRulesTest, ChecksEveryViewSwitchByItsValue) {
  struct Case {
    uint32_t id;
    uint32_t Options::*field;
  } cases[] = {
      {ID_VIEW_TITLE, &Options::displayTitle},          {ID_VIEW_IP_IN_TITLE, &Options::showIPInTitle},
      {ID_VIEW_GRAPH, &Options::displayGraph},          {ID_VIEW_SCALE, &Options::displayScale},
      {ID_VIEW_SCALE_GRID, &Options::displayScaleGrid}, {ID_VIEW_TIME_TEXT, &Options::displayTimeText},
      {ID_VIEW_TIME_GRID, &Options::displayTimeGrid},   {ID_VIEW_AVG_DOWN_LINE, &Options::dispAvgDownLine},
      {ID_VIEW_AVG_UP_LINE, &Options::dispAvgUpLine},   {ID_VIEW_TEXT, &Options::displayText},
      {ID_VIEW_MAX_RATE, &Options::displayMaxRateInText}, {ID_VIEW_AVG_VALUES, &Options::dispAvgValuesInText},
      {ID_VIEW_ALWAYS_ON_TOP, &Options::alwaysOnTop},   {ID_VIEW_CAPTION, &Options::showCaption},
  };
  for (const auto& c : cases) {
    options.*(c.field) = 1;
    EXPECT_TRUE(Rule(c.id).checked) << c.id;
    EXPECT_FALSE(Rule(c.id).radio) << c.id;
    options.*(c.field) = 0;
    EXPECT_FALSE(Rule(c.id).checked) << c.id;
  }
}

TEST_F(MenuRulesTest, PutsTheRadioMarkOnTheGraphStyleInUse) {
  options.graphStyle = 1;
  EXPECT_TRUE(Rule(ID_VIEW_COLUMN_GRAPH).checked);
  EXPECT_TRUE(Rule(ID_VIEW_COLUMN_GRAPH).radio);
  EXPECT_FALSE(Rule(ID_VIEW_LINE_GRAPH).checked);
  options.graphStyle = 0;
  EXPECT_FALSE(Rule(ID_VIEW_COLUMN_GRAPH).checked);
  EXPECT_TRUE(Rule(ID_VIEW_LINE_GRAPH).checked);
  EXPECT_TRUE(Rule(ID_VIEW_LINE_GRAPH).radio);
}

TEST_F(MenuRulesTest, PutsTheRadioMarkOnTheUnitInUse) {
  options.displayUnitByte = 1;
  EXPECT_TRUE(Rule(ID_VIEW_UNIT_BYTES).checked);
  EXPECT_FALSE(Rule(ID_VIEW_UNIT_BITS).checked);
  EXPECT_TRUE(Rule(ID_VIEW_UNIT_BITS).radio);
  options.displayUnitByte = 0;
  EXPECT_FALSE(Rule(ID_VIEW_UNIT_BYTES).checked);
  EXPECT_TRUE(Rule(ID_VIEW_UNIT_BITS).checked);
}

TEST_F(MenuRulesTest, DisablesAndUnchecksTheLayeredItemsWithoutLayeredWindows) {
  options.enableClickThrough = 1;
  options.semiTransparent = 1;
  EXPECT_TRUE(Rule(ID_VIEW_CLICK_THROUGH).checked);
  EXPECT_TRUE(Rule(ID_VIEW_SEMI_TRANSPARENT).enabled);
  context.layered = false;
  for (uint32_t id : {ID_VIEW_CLICK_THROUGH, ID_VIEW_SEMI_TRANSPARENT}) {
    EXPECT_FALSE(Rule(id).enabled) << id;
    EXPECT_FALSE(Rule(id).checked) << id;
  }
}

TEST_F(MenuRulesTest, CaptionsAndChecksAdapterItemsByTheirViews) {
  MenuItemRule all = Rule(9000);
  EXPECT_TRUE(all.setText);
  EXPECT_EQ(all.text, L"All Connections");
  EXPECT_TRUE(all.checked);
  MenuItemRule eth = Rule(9002);
  EXPECT_EQ(eth.text, L"Ethernet [192.168.1.5]");
  EXPECT_FALSE(eth.checked);
  options.showIPInTitle = 0;
  EXPECT_EQ(Rule(9002).text, L"Ethernet");
}

TEST_F(MenuRulesTest, EnablesResetItemsOnlyForAdaptersWithAView) {
  EXPECT_TRUE(Rule(9300).enabled);
  EXPECT_EQ(Rule(9300).text, L"All Connections");
  EXPECT_FALSE(Rule(9301).enabled);
  EXPECT_FALSE(Rule(9302).enabled);
}

TEST_F(MenuRulesTest, UnchecksOrDisablesIdsThatMatchNoAdapter) {
  MenuItemRule a = Rule(9100);
  EXPECT_FALSE(a.checked);
  EXPECT_FALSE(a.setText);
  MenuItemRule r = Rule(9400);
  EXPECT_FALSE(r.enabled);
}

TEST(ViewToggles, SaveTheGroupsTheirSwitchesBelongTo) {
  struct Case {
    uint32_t id;
    uint32_t group;
    bool machine;
  } cases[] = {
      {ID_VIEW_TITLE, kGroupDisplay, false},        {ID_VIEW_IP_IN_TITLE, kGroupGeneral, true},
      {ID_VIEW_GRAPH, kGroupDisplay, false},        {ID_VIEW_COLUMN_GRAPH, kGroupStyle, false},
      {ID_VIEW_LINE_GRAPH, kGroupStyle, false},     {ID_VIEW_SCALE, kGroupDisplay, false},
      {ID_VIEW_SCALE_GRID, kGroupDisplay, false},   {ID_VIEW_TIME_TEXT, kGroupDisplay, false},
      {ID_VIEW_TIME_GRID, kGroupDisplay, false},    {ID_VIEW_AVG_DOWN_LINE, kGroupDisplay, false},
      {ID_VIEW_AVG_UP_LINE, kGroupDisplay, false},  {ID_VIEW_TEXT, kGroupDisplay, false},
      {ID_VIEW_MAX_RATE, kGroupDisplay, false},     {ID_VIEW_AVG_VALUES, kGroupDisplay, false},
      {ID_VIEW_UNIT_BYTES, kGroupGeneral, true},    {ID_VIEW_UNIT_BITS, kGroupGeneral, true},
      {ID_VIEW_ALWAYS_ON_TOP, kGroupGeneral, false}, {ID_VIEW_CAPTION, kGroupGeneral, false},
      {ID_VIEW_CLICK_THROUGH, kGroupGeneral, false}, {ID_VIEW_SEMI_TRANSPARENT, kGroupGeneral, false},
  };
  for (const auto& c : cases) {
    const ViewToggle* t = FindViewToggle(c.id);
    ASSERT_NE(t, nullptr) << c.id;
    EXPECT_EQ(t->group, c.group) << c.id;
    EXPECT_EQ(t->alsoMachine, c.machine) << c.id;
  }
  EXPECT_EQ(FindViewToggle(ID_VIEW_RESET_POSITION), nullptr);
  EXPECT_EQ(FindViewToggle(ID_EXIT), nullptr);
}

TEST(ViewToggles, FlipTheirSwitch) {
  Options o = DefaultOptions(true);
  o.displayScale = 1;
  EXPECT_EQ(ApplyViewToggle(*FindViewToggle(ID_VIEW_SCALE), true, &o), ToggleOutcome::Toggled);
  EXPECT_EQ(o.displayScale, 0u);
  EXPECT_EQ(ApplyViewToggle(*FindViewToggle(ID_VIEW_SCALE), true, &o), ToggleOutcome::Toggled);
  EXPECT_EQ(o.displayScale, 1u);
}

TEST(ViewToggles, SwitchTheUnitFromEitherUnitItem) {
  Options o = DefaultOptions(true);
  o.displayUnitByte = 1;
  // Pressing Ctrl+B while bytes are shown switches to bits: both items toggle.
  ApplyViewToggle(*FindViewToggle(ID_VIEW_UNIT_BYTES), true, &o);
  EXPECT_EQ(o.displayUnitByte, 0u);
  ApplyViewToggle(*FindViewToggle(ID_VIEW_UNIT_BITS), true, &o);
  EXPECT_EQ(o.displayUnitByte, 1u);
}

TEST(ViewToggles, SwitchTheGraphStyleFromEitherStyleItem) {
  Options o = DefaultOptions(true);
  o.graphStyle = 1;
  ApplyViewToggle(*FindViewToggle(ID_VIEW_COLUMN_GRAPH), true, &o);
  EXPECT_EQ(o.graphStyle, 0u);
  ApplyViewToggle(*FindViewToggle(ID_VIEW_COLUMN_GRAPH), true, &o);
  EXPECT_EQ(o.graphStyle, 1u);
  ApplyViewToggle(*FindViewToggle(ID_VIEW_LINE_GRAPH), true, &o);
  EXPECT_EQ(o.graphStyle, 0u);
}

TEST(GraphAndTextGuard, RefusesToTurnOffTheGraphWhileTheTextIsOff) {
  Options o = DefaultOptions(true);
  o.displayGraph = 1;
  o.displayText = 0;
  EXPECT_EQ(ApplyViewToggle(*FindViewToggle(ID_VIEW_GRAPH), true, &o), ToggleOutcome::RefusedGuard);
  EXPECT_EQ(o.displayGraph, 1u);
  // Turning the text back on is fine.
  EXPECT_EQ(ApplyViewToggle(*FindViewToggle(ID_VIEW_TEXT), true, &o), ToggleOutcome::Toggled);
  EXPECT_EQ(o.displayText, 1u);
}

TEST(GraphAndTextGuard, RefusesToTurnOffTheTextWhileTheGraphIsOff) {
  Options o = DefaultOptions(true);
  o.displayGraph = 0;
  o.displayText = 1;
  EXPECT_EQ(ApplyViewToggle(*FindViewToggle(ID_VIEW_TEXT), true, &o), ToggleOutcome::RefusedGuard);
  EXPECT_EQ(o.displayText, 1u);
  EXPECT_TRUE(GraphOrTextShown(o));
  o.displayText = 0;
  EXPECT_FALSE(GraphOrTextShown(o));
}

TEST(GraphAndTextGuard, LetsEitherGoOffWhileTheOtherIsOn) {
  Options o = DefaultOptions(true);
  EXPECT_EQ(ApplyViewToggle(*FindViewToggle(ID_VIEW_GRAPH), true, &o), ToggleOutcome::Toggled);
  EXPECT_EQ(o.displayGraph, 0u);
}

TEST(ViewToggles, DoNothingForLayeredItemsWithoutLayeredWindows) {
  Options o = DefaultOptions(false);
  o.enableClickThrough = 0;
  EXPECT_EQ(ApplyViewToggle(*FindViewToggle(ID_VIEW_CLICK_THROUGH), false, &o), ToggleOutcome::NoLayered);
  EXPECT_EQ(o.enableClickThrough, 0u);
  EXPECT_EQ(ApplyViewToggle(*FindViewToggle(ID_VIEW_SEMI_TRANSPARENT), false, &o), ToggleOutcome::NoLayered);
  EXPECT_EQ(ApplyViewToggle(*FindViewToggle(ID_VIEW_CLICK_THROUGH), true, &o), ToggleOutcome::Toggled);
  EXPECT_EQ(o.enableClickThrough, 1u);
}

}  // namespace
}  // namespace vantrel
