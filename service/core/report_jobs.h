#pragma once
// Scheduled reports: the 796-byte "Report%d" records under Service\Reports and the countdown
// that decides, once a tick, which of them are due.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/settings_store.h"

namespace vantrel {

constexpr size_t kReportJobSize = 796;

// Report types; any other value is a summary.
constexpr int32_t kReportSummary = 0;
constexpr int32_t kReportDaily = 1;
constexpr int32_t kReportWeekly = 2;
constexpr int32_t kReportMonthly = 3;

struct ServiceReportJob {
  int32_t type = kReportSummary;
  int32_t kind = 100;
  std::string id;          // kind 300 only, at most 259 characters
  int32_t interval = 1;    // seconds, at least 1
  int32_t secondsLeft = 0; // in memory only; stored as 0
  std::wstring path;       // report file, at most 259 characters
  bool operator==(const ServiceReportJob&) const = default;
};

std::vector<uint8_t> SerializeReportJob(const ServiceReportJob& job);
// Any 796 bytes parse (shorter data is taken as zero-filled); an interval of 0 or less
// becomes 1 and the countdown starts at the interval.
ServiceReportJob ParseReportJob(const uint8_t* data, size_t size);

// The jobs under `root`\...\Service\Reports in enumeration order, names not looked at;
// values larger than a job record are skipped. A missing key gives no jobs.
std::vector<ServiceReportJob> ReadReportJobs(ISettingsStore& store, SettingsRoot root);
// Replaces the stored jobs by `jobs`, named "Report1", "Report2", ...; an empty list leaves
// no Reports key. True when everything was written.
bool WriteReportJobs(ISettingsStore& store, SettingsRoot root, const std::vector<ServiceReportJob>& jobs);

// One tick of the scheduler: every job's countdown goes down by one; a job whose countdown
// was 1 or less is due, and starts again at its interval. Returns the indexes of due jobs.
std::vector<size_t> AdvanceReportJobs(std::vector<ServiceReportJob>* jobs);

}  // namespace vantrel
