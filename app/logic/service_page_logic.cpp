#include "app/logic/service_page_logic.h"

#include <cstdint>
#include <iterator>

namespace vantrel {

namespace {

const AdapterEntry* EntryAt(const MonitoredList& list, int index) {
  if (index < 0 || static_cast<size_t>(index) >= list.size()) return nullptr;
  auto it = list.begin();
  std::advance(it, index);
  return &*it;
}

const AdapterEntry* EntryOf(const ServiceReportJob& job, const MonitoredList& list) {
  if (job.kind < 0) return nullptr;
  return list.Find(static_cast<uint32_t>(job.kind), job.id);
}

}  // namespace

JobRowTexts JobRowTextsOf(const ServiceReportJob& job, const MonitoredList& list) {
  JobRowTexts t;
  const AdapterEntry* entry = EntryOf(job, list);
  if (!entry) return t;
  switch (job.type) {
    case kReportDaily: t.type = L"Daily Report"; break;
    case kReportWeekly: t.type = L"Weekly Report"; break;
    case kReportMonthly: t.type = L"Monthly Report"; break;
    default: t.type = L"Summary Report"; break;
  }
  t.adapter = entry->displayName;
  t.interval = std::to_wstring(job.interval) + L" sec.";
  t.file = job.path;
  return t;
}

ServicePageEnables ServicePageEnablesOf(bool serviceEnabled, bool rowSelected) {
  return ServicePageEnables{serviceEnabled, serviceEnabled && rowSelected};
}

int JobTypeComboIndex(int32_t type) { return type >= kReportSummary && type <= kReportMonthly ? type : -1; }

int JobAdapterComboIndex(const ServiceReportJob& job, const MonitoredList& list) {
  int i = 0;
  for (const AdapterEntry& e : list) {
    if (job.kind >= 0 && e.Matches(static_cast<uint32_t>(job.kind), job.id)) return i;
    ++i;
  }
  return list.size() > 0 ? 0 : -1;
}

int32_t ParseJobInterval(const std::wstring& text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  int64_t v = 0;
  bool digits = false;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    digits = true;
    if (v <= INT32_MAX) v = v * 10 + (text[i] - L'0');
  }
  if (!digits) return 0;
  if (negative) v = -v;
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

JobDialogCheck CheckJobDialog(const JobDialogInput& input) {
  if (input.typeIndex < 0) return {false, L"Please select a report type.", IDC_JOB_TYPE};
  if (input.adapterIndex < 0) return {false, L"Please select an adapter.", IDC_JOB_ADAPTER};
  if (ParseJobInterval(input.intervalText) <= 0)
    return {false, L"The interval seconds should be greater than or equal to 1.", IDC_JOB_INTERVAL};
  if (input.file.empty()) return {false, L"Please enter a report file name", IDC_JOB_FILE};
  return {};
}

void TakeJobDialog(const JobDialogInput& input, const MonitoredList& list, ServiceReportJob* job) {
  job->type = input.typeIndex;
  if (const AdapterEntry* e = EntryAt(list, input.adapterIndex)) {
    job->kind = static_cast<int32_t>(e->kind);
    job->id = e->IsReal() ? e->id : std::string();
  }
  job->interval = ParseJobInterval(input.intervalText);
  job->secondsLeft = 0;
  job->path = input.file;
}

}  // namespace vantrel
