#include "app/logic/metrics_page_logic.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

MetricsPageData Current() {
  MetricsPageData d;
  d.enabled = false;
  d.port = 9713;
  d.remote = false;
  d.allow = L"10.0.0.0/8";
  return d;
}

TEST(MetricsPageCheck, PortFirstThenAllowListEachOnlyWhileItCounts) {
  struct Case {
    bool enabled;
    const wchar_t* port;
    bool remote;
    const wchar_t* allow;
    const wchar_t* message;  // null: passes
    int focus;
  };
  const Case cases[] = {
      {true, L"0", true, L"bad", L"The port must be between 1 and 65535.", IDC_METRICS_PORT},
      {true, L"65536", false, L"", L"The port must be between 1 and 65535.", IDC_METRICS_PORT},
      {true, L"", false, L"", L"The port must be between 1 and 65535.", IDC_METRICS_PORT},
      {true, L"12a", false, L"", L"The port must be between 1 and 65535.", IDC_METRICS_PORT},
      {true, L"9100", true, L"192.168.1.0/24, 10.0.0.300",
       L"Each allowed address must be an IPv4 address or a range such as 192.168.1.0/24.", IDC_METRICS_ALLOW},
      {true, L"9100", true, L"192.168.1.0/33",
       L"Each allowed address must be an IPv4 address or a range such as 192.168.1.0/24.", IDC_METRICS_ALLOW},
      {true, L"9100", false, L"not checked while only this computer may read", nullptr, 0},
      {false, L"0", true, L"bad", nullptr, 0},  // switched off: nothing to refuse
      {true, L" 1 ", true, L"", nullptr, 0},
      {true, L"65535", true, L" 192.168.1.0/24 ", nullptr, 0},
  };
  for (const Case& c : cases) {
    MetricsPageData page = Current();
    PageCheck check = CheckMetricsPage(MetricsPageInput{c.enabled, c.port, c.remote, c.allow}, &page);
    if (c.message) {
      EXPECT_FALSE(check.ok) << c.port;
      EXPECT_EQ(check.message, c.message);
      EXPECT_EQ(check.focusControl, c.focus);
      EXPECT_EQ(page.allow, L"10.0.0.0/8");  // a refused page changes nothing
      EXPECT_FALSE(page.enabled);
    } else {
      EXPECT_TRUE(check.ok) << c.port << " " << c.allow;
    }
  }
}

TEST(MetricsPageCheck, TakesValidValuesAndKeepsTheStoredOnesForInvalidTextsNotChecked) {
  MetricsPageData page = Current();
  ASSERT_TRUE(CheckMetricsPage(MetricsPageInput{true, L"19100", true, L" 192.168.1.0/24 "}, &page).ok);
  EXPECT_TRUE(page.enabled);
  EXPECT_EQ(page.port, 19100u);
  EXPECT_TRUE(page.remote);
  EXPECT_EQ(page.allow, L"192.168.1.0/24");
  // Switched off with rubbish in the greyed edits: stored is what stays usable.
  ASSERT_TRUE(CheckMetricsPage(MetricsPageInput{false, L"99999", false, L"x"}, &page).ok);
  EXPECT_FALSE(page.enabled);
  EXPECT_EQ(page.port, 19100u);
  EXPECT_EQ(page.allow, L"192.168.1.0/24");

  Options o;
  TakeMetricsValues(page, &o);
  EXPECT_EQ(o.metricsEnabled, 0u);
  EXPECT_EQ(o.metricsPort, 19100u);
  EXPECT_EQ(o.metricsRemote, 0u);
  EXPECT_EQ(o.metricsAllow, L"192.168.1.0/24");
  EXPECT_EQ(MetricsPageDataOf(o).allow, L"192.168.1.0/24");
}

TEST(MetricsPage, AddressLineAndEnables) {
  EXPECT_EQ(MetricsAddressLine(L"lab-pc-7", L"9713", true), L"http://lab-pc-7:9713/metrics");
  // Only this computer may read: the address that works is the loopback one.
  EXPECT_EQ(MetricsAddressLine(L"lab-pc-7", L"9713", false), L"http://127.0.0.1:9713/metrics");
  EXPECT_EQ(MetricsAddressLine(L"", L"80", true), L"http://127.0.0.1:80/metrics");
  EXPECT_EQ(MetricsAddressLine(L"lab-pc-7", L"70000", true), L"");
  EXPECT_EQ(MetricsAddressLine(L"lab-pc-7", L"", true), L"");

  MetricsPageEnables off = MetricsPageEnablesOf(false, true);
  EXPECT_FALSE(off.settings);
  EXPECT_FALSE(off.allow);
  MetricsPageEnables local = MetricsPageEnablesOf(true, false);
  EXPECT_TRUE(local.settings);
  EXPECT_FALSE(local.allow);
  EXPECT_TRUE(MetricsPageEnablesOf(true, true).allow);
}

}  // namespace
}  // namespace vantrel
