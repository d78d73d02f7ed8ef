#pragma once
// The notification rule record, stored as the 1992-byte binary value NotificationEx2U.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

constexpr size_t kNotificationRuleSize = 1992;
constexpr uint32_t kNotificationRuleVersion = 3;

struct NotificationRule {
  uint32_t version = 0;        // 2 or 3 accepted when read; written as 3
  int32_t kind = 0;            // watched entry: 100, 200 or 300
  std::string id;              // watched identifier (kind 300), at most 259 characters
  std::wstring number;         // threshold number as typed, at most 63 characters
  int32_t unit = 0;            // 0 Bytes, 1 KB, 2 MB, 3 GB, 4 TB
  int32_t direction = 0;       // 0 downloaded, 1 uploaded, 2 both
  int32_t period = 0;          // 0 week, 1 month, 2 last D days
  uint32_t playSound = 0;
  std::wstring soundFile;      // at most 259 characters
  uint32_t beep = 0;
  int32_t beepChoice = 0;      // 0 .. 8
  int32_t days = 0;            // D; values below 1 are read as 1
  uint32_t sendEmail = 0;
  std::wstring recipients;     // comma-separated, at most 259 characters
  uint32_t runProgram = 0;
  std::wstring programPath;    // at most 259 characters

  bool operator==(const NotificationRule&) const = default;
};

// The 1992 bytes of a rule, its version word set to 3; over-long texts are cut to fit.
std::vector<uint8_t> SerializeNotificationRule(const NotificationRule& rule);
// Reads a stored rule; false (and `rule` zeroed) when the size is not 1992 bytes or the
// version is neither 2 nor 3.
bool ParseNotificationRule(const uint8_t* data, size_t size, NotificationRule* rule);

}  // namespace vantrel
