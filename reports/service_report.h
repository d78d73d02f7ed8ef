#pragma once
// The service's scheduled report: computes the table from the traffic log at this moment,
// with the service's live totals for the adapter as today's figures, and writes it newest
// first in the format the output name's extension picks. Outcomes go to the service's log.
#include <cstdint>
#include <functional>
#include <string>

#include "engine/adapter_entry.h"
#include "platform/clock.h"
#include "platform/file.h"
#include "reports/report_tables.h"

namespace vantrel {

// Receives one 8-bit line for the service's log.
using ServiceLogLine = std::function<void(const std::string&)>;

// Creates (replaces) outputPath, opens the log at logPath for reading with read and write
// sharing, builds the report for `entry` (a copy owned by the report thread; its today totals
// are the live totals) and writes it, then logs "Generate daily report (%s) for %s
// successfully" (or the weekly, monthly, summary form) with the output path and the entry's
// display name. Failures log "Failed to create file '%s'." or "Failed to open traffic log
// file (%s)." (the created output then stays empty). True when the report was written.
bool WriteServiceReport(ReportKind kind, const AdapterEntry& entry, const std::wstring& logPath,
                        const std::wstring& outputPath, uint32_t dateFormat, int weekStart, int monthStart,
                        int lastDays, bool byteUnits, const ServiceLogLine& log,
                        IFileSystem& fs = SystemFileSystem(), IClock& clock = SystemClock());

}  // namespace vantrel
