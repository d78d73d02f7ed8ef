#include "app/logic/service_page_logic.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

MonitoredList ThreeEntries() {
  MonitoredList list;
  AdapterEntry all;
  all.kind = kKindAllConnections;
  all.displayName = L"All Connections";
  list.PushBack(std::move(all));
  AdapterEntry dial;
  dial.kind = kKindDialUp;
  dial.displayName = L"Dial-Up Connections";
  list.PushBack(std::move(dial));
  AdapterEntry lan;
  lan.kind = kKindAdapter;
  lan.id = "{LAN-ONE}";
  lan.displayName = L"Office LAN";
  list.PushBack(std::move(lan));
  return list;
}

ServiceReportJob Job(int32_t type, int32_t kind, const std::string& id) {
  ServiceReportJob j;
  j.type = type;
  j.kind = kind;
  j.id = id;
  j.interval = 5;
  j.path = L"C:\\reports\\lan.csv";
  return j;
}

TEST(ServiceJobRows, ShowTypeAdapterIntervalAndFile) {
  MonitoredList list = ThreeEntries();
  JobRowTexts t = JobRowTextsOf(Job(kReportDaily, kKindAdapter, "{LAN-ONE}"), list);
  EXPECT_EQ(t.type, L"Daily Report");
  EXPECT_EQ(t.adapter, L"Office LAN");
  EXPECT_EQ(t.interval, L"5 sec.");
  EXPECT_EQ(t.file, L"C:\\reports\\lan.csv");
  EXPECT_EQ(JobRowTextsOf(Job(kReportMonthly, kKindDialUp, ""), list).adapter, L"Dial-Up Connections");
  EXPECT_EQ(JobRowTextsOf(Job(7, kKindAllConnections, ""), list).type, L"Summary Report");
}

TEST(ServiceJobRows, AJobForAnAdapterNoLongerListedGivesAnEmptyRow) {
  MonitoredList list = ThreeEntries();
  for (const ServiceReportJob& j : {Job(kReportWeekly, kKindAdapter, "{GONE}"), Job(kReportWeekly, kKindAdapter, "{lan-one}"),
                                    Job(kReportWeekly, -5, "")}) {
    JobRowTexts t = JobRowTextsOf(j, list);
    EXPECT_TRUE(t.type.empty() && t.adapter.empty() && t.interval.empty() && t.file.empty()) << j.id;
  }
}

TEST(ServicePageEnables, EditAndRemoveNeedTheServiceAndASelectedRow) {
  EXPECT_FALSE(ServicePageEnablesOf(false, true).options);
  EXPECT_FALSE(ServicePageEnablesOf(false, true).editRemove);
  EXPECT_TRUE(ServicePageEnablesOf(true, false).options);
  EXPECT_FALSE(ServicePageEnablesOf(true, false).editRemove);
  EXPECT_TRUE(ServicePageEnablesOf(true, true).editRemove);
}

TEST(JobDialog, StartsOnTheJobsEntryElseTheFirst) {
  MonitoredList list = ThreeEntries();
  EXPECT_EQ(JobAdapterComboIndex(Job(0, kKindAdapter, "{LAN-ONE}"), list), 2);
  EXPECT_EQ(JobAdapterComboIndex(Job(0, kKindDialUp, "ignored"), list), 1);
  EXPECT_EQ(JobAdapterComboIndex(Job(0, kKindAdapter, "{GONE}"), list), 0);
  EXPECT_EQ(JobTypeComboIndex(kReportMonthly), 3);
  EXPECT_EQ(JobTypeComboIndex(9), -1);
}

TEST(JobDialog, ChecksRunInOrderAndTheFirstFailureNamesItsControl) {
  JobDialogInput in;
  in.intervalText = L"0";
  JobDialogCheck c = CheckJobDialog(in);
  EXPECT_EQ(c.message, L"Please select a report type.");
  EXPECT_EQ(c.focusControl, IDC_JOB_TYPE);
  in.typeIndex = 1;
  c = CheckJobDialog(in);
  EXPECT_EQ(c.message, L"Please select an adapter.");
  EXPECT_EQ(c.focusControl, IDC_JOB_ADAPTER);
  in.adapterIndex = 2;
  for (const wchar_t* bad : {L"0", L"", L"-3", L"abc"}) {
    in.intervalText = bad;
    c = CheckJobDialog(in);
    EXPECT_EQ(c.message, L"The interval seconds should be greater than or equal to 1.") << bad;
    EXPECT_EQ(c.focusControl, IDC_JOB_INTERVAL);
  }
  in.intervalText = L"5";
  c = CheckJobDialog(in);
  EXPECT_EQ(c.message, L"Please enter a report file name");
  EXPECT_EQ(c.focusControl, IDC_JOB_FILE);
  in.file = L"C:\\reports\\lan.csv";
  EXPECT_TRUE(CheckJobDialog(in).ok);
}

TEST(JobDialog, TakesTheChosenEntrysKindAndIdentifier) {
  MonitoredList list = ThreeEntries();
  JobDialogInput in{kReportDaily, 2, L"99999999999", L"C:\\r.csv"};
  ServiceReportJob job;
  job.secondsLeft = 9;
  TakeJobDialog(in, list, &job);
  EXPECT_EQ(job.type, kReportDaily);
  EXPECT_EQ(job.kind, static_cast<int32_t>(kKindAdapter));
  EXPECT_EQ(job.id, "{LAN-ONE}");
  EXPECT_EQ(job.interval, INT32_MAX);
  EXPECT_EQ(job.secondsLeft, 0);
  in.adapterIndex = 0;
  TakeJobDialog(in, list, &job);
  EXPECT_EQ(job.kind, static_cast<int32_t>(kKindAllConnections));
  EXPECT_TRUE(job.id.empty());
}

}  // namespace
}  // namespace vantrel
