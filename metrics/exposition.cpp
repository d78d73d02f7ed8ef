#include "metrics/exposition.h"

#include <charconv>
#include <cstdio>

namespace vantrel {

namespace {

void AppendNumber(std::string& out, uint64_t v) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

const char* DirectionLabel(int32_t direction) {
  switch (direction) {
    case 0: return "receive";
    case 1: return "transmit";
    default: return "both";
  }
}

const char* PeriodLabel(int32_t period) {
  switch (period) {
    case 0: return "week";
    case 1: return "month";
    default: return "last_days";
  }
}

// Builds the exposition family by family.
class Exposition {
 public:
  void Family(const char* name, const char* type, const char* help) {
    m_name = name;
    m_out += "# HELP ";
    m_out += name;
    m_out += ' ';
    m_out += help;
    m_out += "\n# TYPE ";
    m_out += name;
    m_out += ' ';
    m_out += type;
    m_out += '\n';
  }
  // Starts a sample of the current family; labels follow, then Value.
  void Sample() {
    m_out += m_name;
    m_labels = 0;
  }
  void Label(const char* name, std::string_view value) {
    m_out += m_labels++ == 0 ? '{' : ',';
    m_out += name;
    m_out += "=\"";
    m_out += EscapeLabelValue(value);
    m_out += '"';
  }
  void EntryLabels(const MetricsEntry& e) {
    Label("kind", KindLabel(e.kind));
    Label("adapter", e.name);
    Label("id", e.id);
  }
  void Value(uint64_t v) {
    EndLabels();
    AppendNumber(m_out, v);
    m_out += '\n';
  }
  void ValueText(const std::string& v) {
    EndLabels();
    m_out += v;
    m_out += '\n';
  }
  std::string& Text() { return m_out; }

 private:
  void EndLabels() { m_out += m_labels > 0 ? "} " : " "; }

  std::string m_out;
  const char* m_name = "";
  int m_labels = 0;
};

// A small JSON writer: values are placed with their commas.
class JsonWriter {
 public:
  void BeginObject() { Open('{'); }
  void EndObject() { Close('}'); }
  void Key(const char* key) {
    Comma();
    m_out += '"';
    m_out += key;
    m_out += "\":";
    m_afterKey = true;
  }
  void String(std::string_view s) {
    Comma();
    m_out += '"';
    m_out += EscapeJsonString(s);
    m_out += '"';
  }
  void Number(uint64_t v) {
    Comma();
    AppendNumber(m_out, v);
  }
  void Raw(const std::string& text) {
    Comma();
    m_out += text;
  }
  void Bool(bool b) { Raw(b ? "true" : "false"); }
  void Null() { Raw("null"); }
  void BeginArray() { Open('['); }
  void EndArray() { Close(']'); }
  void Pair(const char* key, const ByteCounts& c) {
    Key(key);
    BeginObject();
    Key("receive");
    Number(c.receive);
    Key("transmit");
    Number(c.transmit);
    EndObject();
  }
  std::string& Text() { return m_out; }

 private:
  void Comma() {
    if (m_afterKey) {
      m_afterKey = false;
      return;
    }
    if (!m_first.empty()) {
      if (!m_first.back()) m_out += ',';
      m_first.back() = false;
    }
  }
  void Open(char c) {
    Comma();
    m_out += c;
    m_first.push_back(true);
  }
  void Close(char c) {
    m_out += c;
    m_first.pop_back();
  }

  std::string m_out;
  std::vector<bool> m_first;  // per open container: nothing written in it yet
  bool m_afterKey = false;
};

}  // namespace

std::string EscapeLabelValue(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      default: out += c;
    }
  }
  return out;
}

std::string EscapeJsonString(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (char ch : s) {
    auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += ch;
        }
    }
  }
  return out;
}

std::string SecondsText(int64_t unixMs) {
  char buf[32];
  long long ms = unixMs < 0 ? 0 : unixMs;
  std::snprintf(buf, sizeof buf, "%lld.%03lld", ms / 1000, ms % 1000);
  return buf;
}

std::string IsoLocalTime(const LocalTime& t, int32_t offset) {
  char buf[64];
  int magnitude = offset < 0 ? -offset : offset;
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d%c%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                t.second, offset < 0 ? '-' : '+', magnitude / 60, magnitude % 60);
  return buf;
}

std::string RenderExposition(const MetricsSnapshot& s, const std::vector<EntryPeriods>& periods) {
  Exposition x;
  x.Text().reserve(256 + s.entries.size() * 1400);
  x.Family("vantrel_build_info", "gauge", "Version and build of the program that serves these metrics.");
  x.Sample();
  x.Label("version", kMetricsVersion);
  x.Label("build", kMetricsBuild);
  x.Label("program", ProgramLabel(s.program));
  x.Value(1);
  x.Family("vantrel_last_sample_timestamp_seconds", "gauge", "Unix time of the last one-second sample.");
  x.Sample();
  x.ValueText(SecondsText(s.sampleUnixMs));
  if (s.logWriteUnixMs) {
    x.Family("vantrel_log_last_write_timestamp_seconds", "gauge",
             "Unix time at which this program last wrote the traffic log.");
    x.Sample();
    x.ValueText(SecondsText(*s.logWriteUnixMs));
  }

  struct PerEntry {
    const char* name;
    const char* type;
    const char* help;
    uint64_t (*value)(const MetricsEntry&);
  };
  static const PerEntry kPerEntry[] = {
      {"vantrel_receive_bytes_total", "counter", "Bytes received since the program started.",
       [](const MetricsEntry& e) { return e.sinceStart.receive; }},
      {"vantrel_transmit_bytes_total", "counter", "Bytes transmitted since the program started.",
       [](const MetricsEntry& e) { return e.sinceStart.transmit; }},
      {"vantrel_receive_bytes_per_second", "gauge", "Bytes received in the last second.",
       [](const MetricsEntry& e) { return e.lastSecond.receive; }},
      {"vantrel_transmit_bytes_per_second", "gauge", "Bytes transmitted in the last second.",
       [](const MetricsEntry& e) { return e.lastSecond.transmit; }},
      {"vantrel_today_receive_bytes", "gauge", "Bytes received today, as the traffic reports show them.",
       [](const MetricsEntry& e) { return e.today.receive; }},
      {"vantrel_today_transmit_bytes", "gauge", "Bytes transmitted today, as the traffic reports show them.",
       [](const MetricsEntry& e) { return e.today.transmit; }},
  };
  for (const PerEntry& family : kPerEntry) {
    x.Family(family.name, family.type, family.help);
    for (const MetricsEntry& e : s.entries) {
      x.Sample();
      x.EntryLabels(e);
      x.Value(family.value(e));
    }
  }

  for (int direction = 0; direction < 2; ++direction) {
    const char* help = direction == 0
                           ? "Bytes received in the week, the accounting month and the last days, as the summary shows."
                           : "Bytes sent in the week, the accounting month and the last days, as the summary shows.";
    x.Family(direction == 0 ? "vantrel_period_receive_bytes" : "vantrel_period_transmit_bytes", "gauge", help);
    for (size_t i = 0; i < s.entries.size() && i < periods.size(); ++i) {
      const EntryPeriods& p = periods[i];
      const std::pair<const char*, const ByteCounts*> rows[] = {
          {"week", &p.week}, {"month", &p.month}, {"last_days", &p.lastDays}};
      for (const auto& [period, counts] : rows) {
        if (counts == &p.lastDays && s.sumLastDays <= 0) continue;  // the summary shows no such row
        x.Sample();
        x.EntryLabels(s.entries[i]);
        x.Label("period", period);
        x.Value(direction == 0 ? counts->receive : counts->transmit);
      }
    }
  }

  if (s.quota && s.quota->entry < s.entries.size()) {
    const MetricsQuota& q = *s.quota;
    auto labels = [&] {
      x.Sample();
      x.EntryLabels(s.entries[q.entry]);
      x.Label("direction", DirectionLabel(q.direction));
      x.Label("period", PeriodLabel(q.period));
    };
    x.Family("vantrel_quota_limit_bytes", "gauge", "The bandwidth-usage notification's limit in bytes.");
    labels();
    x.Value(q.limit);
    x.Family("vantrel_quota_used_bytes", "gauge", "The bytes the bandwidth-usage notification counts in its period.");
    labels();
    x.Value(q.used);
    x.Family("vantrel_quota_exceeded", "gauge", "1 once the bandwidth-usage notification has fired in its period.");
    labels();
    x.Value(q.exceeded ? 1 : 0);
  }
  return std::move(x.Text());
}

namespace {

// Which entry an object speaks of: the same three keys in the entries and in the quota.
void WriteEntryIdentity(JsonWriter& j, const MetricsEntry& e) {
  j.Key("kind");
  j.String(KindLabel(e.kind));
  j.Key("adapter");
  j.String(e.name);
  j.Key("id");
  j.String(e.id);
}

}  // namespace

std::string RenderStatusJson(const MetricsSnapshot& s, const std::vector<EntryPeriods>& periods) {
  JsonWriter j;
  j.Text().reserve(256 + s.entries.size() * 600);
  j.BeginObject();
  j.Key("program");
  j.String(ProgramLabel(s.program));
  j.Key("version");
  j.String(kMetricsVersion);
  j.Key("build");
  j.String(kMetricsBuild);
  j.Key("time");
  j.String(IsoLocalTime(s.sampleTime, s.utcOffsetMinutes));
  j.Key("last_sample_timestamp_seconds");
  j.Raw(SecondsText(s.sampleUnixMs));
  j.Key("log_last_write_timestamp_seconds");
  if (s.logWriteUnixMs)
    j.Raw(SecondsText(*s.logWriteUnixMs));
  else
    j.Null();
  j.Key("entries");
  j.BeginArray();
  for (size_t i = 0; i < s.entries.size(); ++i) {
    const MetricsEntry& e = s.entries[i];
    EntryPeriods p = i < periods.size() ? periods[i] : EntryPeriods{};
    j.BeginObject();
    WriteEntryIdentity(j, e);
    j.Pair("rates", e.lastSecond);
    j.Pair("today", e.today);
    j.Pair("week", p.week);
    j.Pair("month", p.month);
    j.Key("last_days");
    if (s.sumLastDays > 0) {
      j.BeginObject();
      j.Key("days");
      j.Number(static_cast<uint64_t>(s.sumLastDays));
      j.Key("receive");
      j.Number(p.lastDays.receive);
      j.Key("transmit");
      j.Number(p.lastDays.transmit);
      j.EndObject();
    } else {
      j.Null();
    }
    j.Pair("since_start", e.sinceStart);
    j.EndObject();
  }
  j.EndArray();
  j.Key("quota");
  if (s.quota && s.quota->entry < s.entries.size()) {
    const MetricsQuota& q = *s.quota;
    const MetricsEntry& e = s.entries[q.entry];
    j.BeginObject();
    WriteEntryIdentity(j, e);
    j.Key("direction");
    j.String(DirectionLabel(q.direction));
    j.Key("period");
    j.String(PeriodLabel(q.period));
    if (q.period != 0 && q.period != 1) {
      j.Key("days");
      j.Number(static_cast<uint64_t>(q.days < 1 ? 1 : q.days));
    }
    j.Key("limit");
    j.Number(q.limit);
    j.Key("used");
    j.Number(q.used);
    j.Key("exceeded");
    j.Bool(q.exceeded);
    j.EndObject();
  } else {
    j.Null();
  }
  j.EndObject();
  j.Text() += '\n';
  return std::move(j.Text());
}

}  // namespace vantrel
