#include "metrics/exposition.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>
#include <set>
#include <sstream>

namespace vantrel {
namespace {

// Label escaping, exact integers and the grouping of families, on a snapshot with names
// that need escaping and counts no floating-point number holds.
MetricsSnapshot Sample() {
  MetricsSnapshot s;
  s.program = MetricsProgram::Interactive;
  s.sampleTime = MakeLocalTime(2024, 5, 1, 12, 34, 56);
  s.sampleUnixMs = 1714559696250;
  s.utcOffsetMinutes = -330;
  s.sumLastDays = 7;
  MetricsEntry all;
  all.kind = kKindAllConnections;
  all.name = "All Connections";
  all.lastSecond = {1500, 200};
  all.sinceStart = {18446744073709551615ull, 9007199254740993ull};  // 2^64 - 1, 2^53 + 1
  all.today = {1000000000000000001ull, 3};
  MetricsEntry odd;
  odd.kind = kKindAdapter;
  odd.id = "{A\\B\"C}";
  odd.name = "Lab \"east\" \\ link\nsecond line \xE6\x9C\xAC\xE5\x9C\xB0\t\x01";
  odd.lastSecond = {7, 8};
  odd.sinceStart = {9, 10};
  odd.today = {11, 12};
  s.entries = {all, odd};
  MetricsQuota q;
  q.entry = 1;
  q.direction = 2;
  q.period = 1;
  q.limit = 10737418240ull;
  q.used = 10737418241ull;
  q.exceeded = true;
  s.quota = q;
  return s;
}

std::vector<EntryPeriods> SamplePeriods() {
  EntryPeriods a{{100, 101}, {200, 201}, {300, 301}};
  EntryPeriods b{{400, 401}, {18446744073709551614ull, 501}, {600, 601}};
  return {a, b};
}

// The samples of an exposition by "name{labels}", with a check of the format's rules on the
// way: HELP then TYPE before a family's samples, and no family twice.
std::map<std::string, std::string> ParseExposition(const std::string& text) {
  std::map<std::string, std::string> samples;
  std::set<std::string> families;
  std::string current;
  std::istringstream lines(text);
  std::string line, pendingHelp;
  while (std::getline(lines, line)) {
    if (line.rfind("# HELP ", 0) == 0) {
      pendingHelp = line.substr(7, line.find(' ', 7) - 7);
      continue;
    }
    if (line.rfind("# TYPE ", 0) == 0) {
      std::string name = line.substr(7, line.find(' ', 7) - 7);
      EXPECT_EQ(name, pendingHelp) << "TYPE without its HELP";
      EXPECT_TRUE(families.insert(name).second) << name << " twice";
      current = name;
      continue;
    }
    size_t split = line.rfind(' ');
    std::string key = line.substr(0, split);
    std::string name = key.substr(0, key.find('{'));
    EXPECT_EQ(name, current) << "sample outside its family: " << line;
    samples[key] = line.substr(split + 1);
  }
  return samples;
}

TEST(Exposition, EscapesLabelValuesAndWritesByteCountsAsExactIntegers) {
  std::string text = RenderExposition(Sample(), SamplePeriods());
  auto samples = ParseExposition(text);
  const std::string odd = R"(kind="adapter",adapter="Lab \"east\" \\ link\nsecond line )"
                          "\xE6\x9C\xAC\xE5\x9C\xB0\t\x01"
                          R"(",id="{A\\B\"C}")";
  const std::string all = R"(kind="all",adapter="All Connections",id="")";
  EXPECT_EQ(samples["vantrel_receive_bytes_total{" + all + "}"], "18446744073709551615");
  EXPECT_EQ(samples["vantrel_transmit_bytes_total{" + all + "}"], "9007199254740993");
  EXPECT_EQ(samples["vantrel_today_receive_bytes{" + all + "}"], "1000000000000000001");
  EXPECT_EQ(samples["vantrel_receive_bytes_per_second{" + odd + "}"], "7");
  EXPECT_EQ(samples["vantrel_today_transmit_bytes{" + odd + "}"], "12");
  EXPECT_EQ(samples["vantrel_period_receive_bytes{" + odd + R"(,period="month"})"], "18446744073709551614");
  EXPECT_EQ(samples["vantrel_period_transmit_bytes{" + all + R"(,period="last_days"})"], "301");
  EXPECT_EQ(samples[R"(vantrel_build_info{version="3.6",build="437",program="interactive"})"], "1");
  EXPECT_EQ(samples["vantrel_last_sample_timestamp_seconds"], "1714559696.250");
  const std::string quota = odd + R"(,direction="both",period="month")";
  EXPECT_EQ(samples["vantrel_quota_limit_bytes{" + quota + "}"], "10737418240");
  EXPECT_EQ(samples["vantrel_quota_used_bytes{" + quota + "}"], "10737418241");
  EXPECT_EQ(samples["vantrel_quota_exceeded{" + quota + "}"], "1");
  // Not written yet in this run, so no such sample; counters are typed as counters.
  EXPECT_EQ(text.find("vantrel_log_last_write_timestamp_seconds"), std::string::npos);
  EXPECT_NE(text.find("# TYPE vantrel_receive_bytes_total counter\n"), std::string::npos);
  EXPECT_NE(text.find("# TYPE vantrel_today_receive_bytes gauge\n"), std::string::npos);
  EXPECT_EQ(text.find('e' + std::string("+")), std::string::npos) << "an exponent";
}

TEST(Exposition, LeavesOutWhatTheProgramDoesNotShow) {
  MetricsSnapshot s = Sample();
  s.quota.reset();
  s.sumLastDays = 0;  // the summary shows no Last N Days row
  s.logWriteUnixMs = 1714559000007;
  std::string text = RenderExposition(s, SamplePeriods());
  EXPECT_EQ(text.find("vantrel_quota"), std::string::npos);
  EXPECT_EQ(text.find("last_days"), std::string::npos);
  EXPECT_NE(text.find("\nvantrel_log_last_write_timestamp_seconds 1714559000.007\n"), std::string::npos);
}

TEST(StatusJson, ParsesAndAgreesWithTheExpositionOfTheSameInstant) {
  MetricsSnapshot s = Sample();
  auto periods = SamplePeriods();
  auto samples = ParseExposition(RenderExposition(s, periods));
  nlohmann::json doc = nlohmann::json::parse(RenderStatusJson(s, periods));
  EXPECT_EQ(doc["program"], "interactive");
  EXPECT_EQ(doc["version"], "3.6");
  EXPECT_EQ(doc["build"], "437");
  EXPECT_EQ(doc["time"], "2024-05-01T12:34:56-05:30");
  EXPECT_TRUE(doc["log_last_write_timestamp_seconds"].is_null());
  ASSERT_EQ(doc["entries"].size(), 2u);
  for (size_t i = 0; i < 2; ++i) {
    const nlohmann::json& e = doc["entries"][i];
    // The JSON text holds the names exactly, control characters included.
    EXPECT_EQ(e["adapter"].get<std::string>(), s.entries[i].name);
    EXPECT_EQ(e["id"].get<std::string>(), s.entries[i].id);
    std::string labels = "kind=\"" + e["kind"].get<std::string>() + "\",adapter=\"" +
                         EscapeLabelValue(e["adapter"].get<std::string>()) + "\",id=\"" +
                         EscapeLabelValue(e["id"].get<std::string>()) + "\"";
    auto value = [&](const std::string& name, const std::string& extra = "") {
      return std::stoull(samples.at(name + "{" + labels + extra + "}"));
    };
    EXPECT_EQ(e["since_start"]["receive"].get<uint64_t>(), value("vantrel_receive_bytes_total"));
    EXPECT_EQ(e["since_start"]["transmit"].get<uint64_t>(), value("vantrel_transmit_bytes_total"));
    EXPECT_EQ(e["rates"]["receive"].get<uint64_t>(), value("vantrel_receive_bytes_per_second"));
    EXPECT_EQ(e["rates"]["transmit"].get<uint64_t>(), value("vantrel_transmit_bytes_per_second"));
    EXPECT_EQ(e["today"]["receive"].get<uint64_t>(), value("vantrel_today_receive_bytes"));
    EXPECT_EQ(e["today"]["transmit"].get<uint64_t>(), value("vantrel_today_transmit_bytes"));
    for (const char* period : {"week", "month", "last_days"}) {
      std::string extra = std::string(",period=\"") + period + "\"";
      EXPECT_EQ(e[period]["receive"].get<uint64_t>(), value("vantrel_period_receive_bytes", extra)) << period;
      EXPECT_EQ(e[period]["transmit"].get<uint64_t>(), value("vantrel_period_transmit_bytes", extra)) << period;
    }
    EXPECT_EQ(e["last_days"]["days"], 7);
  }
  const nlohmann::json& q = doc["quota"];
  EXPECT_EQ(q["adapter"].get<std::string>(), s.entries[1].name);
  EXPECT_EQ(q["direction"], "both");
  EXPECT_EQ(q["period"], "month");
  EXPECT_EQ(q["limit"].get<uint64_t>(), 10737418240ull);
  EXPECT_EQ(q["used"].get<uint64_t>(), 10737418241ull);
  EXPECT_EQ(q["exceeded"], true);
}

TEST(StatusJson, EscapesEveryControlCharacter) {
  std::string all;
  for (int c = 1; c < 0x20; ++c) all += static_cast<char>(c);
  all += "\"\\/\x7F";
  MetricsSnapshot s;
  MetricsEntry e;
  e.name = all;
  s.entries = {e};
  s.sumLastDays = 0;
  std::string text = RenderStatusJson(s, {EntryPeriods{}});
  for (int c = 1; c < 0x20; ++c)
    EXPECT_EQ(text.find(static_cast<char>(c)), c == '\n' ? text.size() - 1 : std::string::npos) << c;
  nlohmann::json doc = nlohmann::json::parse(text);
  EXPECT_EQ(doc["entries"][0]["adapter"].get<std::string>(), all);
  EXPECT_TRUE(doc["entries"][0]["last_days"].is_null());
  EXPECT_TRUE(doc["quota"].is_null());
}

}  // namespace
}  // namespace vantrel
