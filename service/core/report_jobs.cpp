#include "service/core/report_jobs.h"

#include <cstring>

#include "platform/little_endian.h"
#include "platform/text.h"
#include "settings/settings_keys.h"

namespace vantrel {

namespace {
void Put32(std::vector<uint8_t>& out, int32_t v) {
  uint8_t b[4];
  StoreU32(b, static_cast<uint32_t>(v));
  out.insert(out.end(), b, b + 4);
}
}  // namespace

std::vector<uint8_t> SerializeReportJob(const ServiceReportJob& job) {
  std::vector<uint8_t> out;
  out.reserve(kReportJobSize);
  Put32(out, job.type);
  Put32(out, job.kind);
  size_t n = job.id.size() < 259 ? job.id.size() : 259;
  for (size_t i = 0; i < 260; ++i) out.push_back(i < n ? static_cast<uint8_t>(job.id[i]) : 0);
  Put32(out, job.interval);
  Put32(out, 0);
  std::u16string path = WideToUtf16(job.path);
  if (path.size() > 259) path.resize(259);
  for (size_t i = 0; i < 260; ++i) {
    char16_t c = i < path.size() ? path[i] : 0;
    out.push_back(static_cast<uint8_t>(c & 0xFF));
    out.push_back(static_cast<uint8_t>(c >> 8));
  }
  return out;
}

ServiceReportJob ParseReportJob(const uint8_t* data, size_t size) {
  uint8_t b[kReportJobSize] = {};
  std::memcpy(b, data, size < kReportJobSize ? size : kReportJobSize);
  ServiceReportJob job;
  job.type = LoadI32(b);
  job.kind = LoadI32(b + 4);
  job.id.assign(reinterpret_cast<const char*>(b + 8), strnlen(reinterpret_cast<const char*>(b + 8), 259));
  job.interval = LoadI32(b + 268);
  if (job.interval <= 0) job.interval = 1;
  job.secondsLeft = job.interval;
  job.path = DecodeUtf16Le(b + 276, 518);
  return job;
}

std::vector<ServiceReportJob> ReadReportJobs(ISettingsStore& store, SettingsRoot root) {
  std::vector<ServiceReportJob> jobs;
  std::vector<std::pair<std::wstring, StoredValue>> values;
  if (!store.EnumValues(root, keys::kServiceReports, &values)) return jobs;
  for (const auto& v : values) {
    if (v.second.data.size() > kReportJobSize) continue;
    jobs.push_back(ParseReportJob(v.second.data.data(), v.second.data.size()));
  }
  return jobs;
}

bool WriteReportJobs(ISettingsStore& store, SettingsRoot root, const std::vector<ServiceReportJob>& jobs) {
  bool ok = store.DeleteTree(root, keys::kServiceReports);
  if (jobs.empty()) return ok;  // no jobs: no Reports key at all
  ok = store.CreateKey(root, keys::kServiceReports) && ok;
  for (size_t i = 0; i < jobs.size(); ++i) {
    auto bytes = SerializeReportJob(jobs[i]);
    ok = WriteBinary(store, root, keys::kServiceReports, L"Report" + std::to_wstring(i + 1), bytes.data(),
                     bytes.size()) &&
         ok;
  }
  return ok;
}

std::vector<size_t> AdvanceReportJobs(std::vector<ServiceReportJob>* jobs) {
  std::vector<size_t> due;
  for (size_t i = 0; i < jobs->size(); ++i) {
    ServiceReportJob& j = (*jobs)[i];
    int32_t before = j.secondsLeft--;
    if (before <= 1) {
      due.push_back(i);
      j.secondsLeft = j.interval;
    }
  }
  return due;
}

}  // namespace vantrel
