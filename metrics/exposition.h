#pragma once
// The figures as text: the Prometheus text exposition format 0.0.4 (one HELP and one TYPE line
// per family, every sample of a family together, byte counts as exact integers) and the
// JSON status document with the same figures.
#include <string>
#include <string_view>
#include <vector>

#include "metrics/metrics_snapshot.h"

namespace vantrel {

inline constexpr char kExpositionContentType[] = "text/plain; version=0.0.4; charset=utf-8";
inline constexpr char kJsonContentType[] = "application/json";

// A label value as the format writes it between its quotes: backslash, double quote and line
// feed escaped as \\, \" and \n.
std::string EscapeLabelValue(std::string_view utf8);
// Text inside a JSON string: quote, backslash and control characters escaped.
std::string EscapeJsonString(std::string_view utf8);
// Unix milliseconds as seconds with three decimals ("1700000000.250").
std::string SecondsText(int64_t unixMs);
// The sample time in ISO 8601 with its offset ("2024-05-01T12:34:56+02:00").
std::string IsoLocalTime(const LocalTime& t, int32_t utcOffsetMinutes);

// The exposition of a snapshot; `periods` holds one item per entry (PeriodsOf).
std::string RenderExposition(const MetricsSnapshot& s, const std::vector<EntryPeriods>& periods);
// The status document of the same figures.
std::string RenderStatusJson(const MetricsSnapshot& s, const std::vector<EntryPeriods>& periods);

}  // namespace vantrel
