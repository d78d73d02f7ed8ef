#include "engine/formatters.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace vantrel {
namespace {

struct RateCase {
  uint32_t rate;
  bool bytes;
  const char* text;
};

class FormatRateTest : public ::testing::TestWithParam<RateCase> {};

TEST_P(FormatRateTest, GivesTheUnitAndPrecisionOfItsRange) {
  const RateCase& c = GetParam();
  EXPECT_EQ(FormatRateA(c.rate, c.bytes), c.text);
  EXPECT_EQ(FormatRate(c.rate, c.bytes), std::wstring(c.text, c.text + std::char_traits<char>::length(c.text)));
}

INSTANTIATE_TEST_SUITE_P(Thresholds, FormatRateTest,
                         ::testing::Values(RateCase{0, true, "0 B/s"}, RateCase{999, true, "999 B/s"},
                                           RateCase{1000, true, "0.98 KB/s"}, RateCase{10239, true, "10.00 KB/s"},
                                           RateCase{10240, true, "10.0 KB/s"}, RateCase{1023947, true, "999.9 KB/s"},
                                           RateCase{1023948, true, "0.98 MB/s"},
                                           RateCase{10485759, true, "10.00 MB/s"},
                                           RateCase{10485760, true, "10.0 MB/s"},
                                           RateCase{1048523570, true, "999.9 MB/s"},
                                           RateCase{1048523571, true, "0.98 GB/s"},
                                           RateCase{4294967295u, true, "4.00 GB/s"},
                                           RateCase{124, false, "992 bps"}, RateCase{125, false, "1.00 kbps"},
                                           RateCase{1250, false, "10.0 kbps"},
                                           RateCase{124993, false, "999.9 kbps"},
                                           RateCase{124994, false, "1.00 mbps"},
                                           RateCase{700000000, false, "5.60 gbps"},
                                           RateCase{4294967295u, false, "34.4 gbps"}));

struct CountCase {
  int64_t n;
  bool bytes;
  const char* full;
  const char* compact;
};

class FormatCountTest : public ::testing::TestWithParam<CountCase> {};

TEST_P(FormatCountTest, ByteCountAndCompactFormShareTheirThresholds) {
  const CountCase& c = GetParam();
  EXPECT_EQ(FormatByteCountA(c.n, c.bytes), c.full);
  EXPECT_EQ(FormatCompactCount(c.n, c.bytes), c.compact);
}

INSTANTIATE_TEST_SUITE_P(
    Thresholds, FormatCountTest,
    ::testing::Values(CountCase{0, true, "0 B", "0"}, CountCase{999, true, "999 B", "999"},
                      CountCase{1000, true, "1.0 KB", "1.0K"}, CountCase{1023999, true, "1000.0 KB", "1000.0K"},
                      CountCase{1024000, true, "0.98 MB", "0.98M"},
                      CountCase{1048575999, true, "1000.00 MB", "1000.00M"},
                      CountCase{1048576000, true, "0.98 GB", "0.98G"},
                      CountCase{1073741824000, true, "0.98 TB", "0.98T"},
                      CountCase{-5, true, "-5 B", "-5"}, CountCase{124, false, "992 b", "992"},
                      CountCase{125, false, "1.0 kb", "1.0K"}, CountCase{125000, false, "1.00 mb", "1.00M"},
                      CountCase{125000000, false, "1.00 gb", "1.00G"},
                      CountCase{125000000000, false, "1.00 tb", "1.00T"}));

TEST(FormatDate, EveryCodeHasItsOwnOrderAndSeparator) {
  EXPECT_EQ(FormatDateA(2010, 3, 7, 17), "03/07/2010");
  EXPECT_EQ(FormatDateA(2010, 3, 7, 119), "03.07.2010");
  EXPECT_EQ(FormatDateA(2010, 3, 7, 34), "07/03/2010");
  EXPECT_EQ(FormatDateA(2010, 3, 7, 102), "07.03.2010");
  EXPECT_EQ(FormatDateA(2010, 3, 7, 51), "2010/03/07");
  EXPECT_EQ(FormatDateA(2010, 3, 7, 68), "2010-03-07");
  EXPECT_EQ(FormatDateA(2010, 3, 7, 85), "2010.03.07");
  EXPECT_EQ(FormatDate(2010, 3, 7, 102), L"07.03.2010");
}

TEST(FormatDate, UnknownCodesFormatAsMonthDayYear) {
  EXPECT_EQ(FormatDateA(2010, 3, 7, 0), "03/07/2010");
  EXPECT_EQ(FormatDateA(2010, 3, 7, 18), "03/07/2010");
  EXPECT_EQ(DateFormatName(0), L"MM/DD/YYYY");
  EXPECT_EQ(DateFormatName(68), L"YYYY-MM-DD");
}


// The counts are formatted without printf for speed; they must still read exactly as printf's
// "%.1f"/"%.2f" would write them, ties and huge values included.
std::string PrintfCount(int64_t n, bool bytes) {
  int64_t v = bytes ? n : static_cast<int64_t>(static_cast<uint64_t>(n) * 8u);
  char buf[64];
  const char* unit = bytes ? "B" : "b";
  if (v < 1000) {
    std::snprintf(buf, sizeof buf, "%lld %s", static_cast<long long>(v), unit);
    return buf;
  }
  const double base = bytes ? 1024.0 : 1000.0;
  const char* const units[] = {bytes ? "KB" : "kb", bytes ? "MB" : "mb", bytes ? "GB" : "gb", bytes ? "TB" : "tb"};
  double divisor = base;
  for (int i = 0; i < 4; ++i, divisor *= base) {
    if (i == 3 || static_cast<double>(v) < 1000.0 * divisor) {
      std::snprintf(buf, sizeof buf, i == 0 ? "%.1f %s" : "%.2f %s", static_cast<double>(v) / divisor, units[i]);
      return buf;
    }
  }
  return {};
}

TEST(FormatCount, ReadsExactlyAsPrintfWouldWriteIt) {
  std::vector<int64_t> values = {1280,        1331,          1126,        1049600,          1053818,
                                 10485760,    1073741824000, 5368709120,  9007199254740993, INT64_MAX,
                                 INT64_MAX - 1, 4611686018427387904, 1152921504606846975};
  // Exact ties at the rounded digit: 256 x odd is a tie of "%.1f" in kilobytes, 2^17 x odd
  // one of "%.2f" in megabytes, 2^27 x odd one in gigabytes.
  for (int64_t odd = 5; odd < 4000; odd += 2) values.push_back(256 * odd);
  for (int64_t odd = 9; odd < 8000; odd += 2) values.push_back(131072 * odd);
  for (int64_t odd = 9; odd < 8000; odd += 2) values.push_back(134217728 * odd);
  std::mt19937_64 random(20261208);
  for (int i = 0; i < 20000; ++i) {
    int bits = static_cast<int>(random() % 63) + 1;
    values.push_back(static_cast<int64_t>(random() >> (64 - bits)));
  }
  // Ties go to the even digit, as printf rounds them.
  EXPECT_EQ(FormatByteCountA(1280, true), "1.2 KB");
  EXPECT_EQ(FormatByteCountA(1792, true), "1.8 KB");
  EXPECT_EQ(FormatByteCountA(131072 * 9, true), "1.12 MB");
  EXPECT_EQ(FormatByteCountA(131072 * 11, true), "1.38 MB");
  for (int64_t n : values) {
    for (bool bytes : {true, false}) {
      if (!bytes && n > INT64_MAX / 8) continue;
      ASSERT_EQ(FormatByteCountA(n, bytes), PrintfCount(n, bytes)) << n << (bytes ? " bytes" : " bits");
    }
  }
}

TEST(FormatDate, FieldsOutsideTheirWidthAreWrittenWhole) {
  EXPECT_EQ(FormatDateA(65535, 65535, 65535, 68), "65535-65535-65535");
  EXPECT_EQ(FormatDateA(0, 0, 0, 17), "00/00/0000");
  EXPECT_EQ(FormatDateA(12, 3, 100, 51), "0012/03/100");
  EXPECT_EQ(FormatDateA(-1, -2, 3, 68), "-001--2-03");
}

}  // namespace
}  // namespace vantrel
