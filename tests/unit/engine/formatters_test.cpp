#include "engine/formatters.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vantrel
