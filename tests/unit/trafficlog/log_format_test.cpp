#include "trafficlog/log_format.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/fakes.h"

namespace vantrel {
namespace {

TEST(LogRecord, SerializesFieldByFieldLittleEndian) {
  TrafficLogRecord r;
  r.year = 2010;
  r.month = 3;
  r.day = 7;
  r.dayOfWeek = 0;
  r.kind = 300;
  r.SetId("{ABC}");
  r.down = 0x0102030405060708ull;
  r.up = 5;
  uint8_t b[kLogRecordSize];
  SerializeLogRecord(r, b);
  EXPECT_EQ(b[0], 0xDA);
  EXPECT_EQ(b[1], 0x07);
  EXPECT_EQ(b[2], 3);
  EXPECT_EQ(b[4], 7);
  EXPECT_EQ(b[6], 0);
  EXPECT_EQ(b[12], 0x2C);
  EXPECT_EQ(b[13], 0x01);
  EXPECT_EQ(std::memcmp(b + 16, "{ABC}\0", 6), 0);
  EXPECT_EQ(b[280], 0x08);
  EXPECT_EQ(b[287], 0x01);
  EXPECT_EQ(b[288], 5);
  TrafficLogRecord back;
  ParseLogRecord(b, &back);
  EXPECT_EQ(back.Id(), "{ABC}");
  EXPECT_EQ(back.down, r.down);
  EXPECT_EQ(back.up, 5u);
  EXPECT_EQ(back.kind, 300u);
  EXPECT_EQ(back.date(), (Date{2010, 3, 7}));
}

TEST(LogRecord, IdentifierIsCutTo259CharactersEvenWithoutATerminator) {
  TrafficLogRecord r;
  r.SetId(std::string(300, 'A'));
  EXPECT_EQ(r.Id().size(), 259u);
  uint8_t b[kLogRecordSize];
  std::memset(b, 'Z', sizeof b);  // no NUL anywhere in the identifier field
  ParseLogRecord(b, &r);
  EXPECT_EQ(r.Id().size(), 259u);
}

TEST(LogRecord, BelongsToAnEntryByKindAndForRealAdaptersByIdentifier) {
  TrafficLogRecord r;
  r.kind = 100;
  r.SetId("junk");
  EXPECT_TRUE(r.IsFor(100, ""));
  EXPECT_FALSE(r.IsFor(200, ""));
  r.kind = 300;
  r.SetId("ETH");
  EXPECT_TRUE(r.IsFor(300, "ETH"));
  EXPECT_FALSE(r.IsFor(300, "eth"));
}

TEST(LogHeader, OnlyNtslVersionTwoIsValid) {
  uint8_t h[kLogHeaderSize];
  WriteLogHeader(h);
  EXPECT_TRUE(IsValidLogHeader(h, sizeof h));
  EXPECT_FALSE(IsValidLogHeader(h, 23));
  h[4] = 1;
  EXPECT_FALSE(IsValidLogHeader(h, sizeof h));
  WriteLogHeader(h);
  h[0] = 'X';
  EXPECT_FALSE(IsValidLogHeader(h, sizeof h));
}

class LogRecordScannerTest : public ::testing::Test {
 protected:
  std::unique_ptr<IFile> MakeLog(int records, size_t trailing) {
    std::string bytes(kLogHeaderSize, '\0');
    WriteLogHeader(reinterpret_cast<uint8_t*>(bytes.data()));
    for (int i = 0; i < records; ++i) {
      TrafficLogRecord r;
      r.year = 2010;
      r.month = 1;
      r.day = static_cast<uint16_t>(1 + i % 28);
      r.kind = 100;
      r.down = static_cast<uint64_t>(i);
      uint8_t b[kLogRecordSize];
      SerializeLogRecord(r, b);
      bytes.append(reinterpret_cast<char*>(b), sizeof b);
    }
    bytes.append(trailing, '\x7F');
    test::WriteFileBytes(m_dir.File(L"log"), bytes);
    return SystemFileSystem().Open(m_dir.File(L"log"), FileMode::Reader);
  }
  test::TempDir m_dir;
};

TEST_F(LogRecordScannerTest, ReadsEveryRecordAcrossBufferBoundariesAndIgnoresATrailingPart) {
  auto f = MakeLog(1000, 100);
  ASSERT_TRUE(f);
  LogRecordScanner scan(*f, 1000);  // not a multiple of the record size
  TrafficLogRecord r;
  int64_t offset = 0;
  int n = 0;
  while (scan.Next(&r, &offset)) {
    EXPECT_EQ(r.down, static_cast<uint64_t>(n));
    EXPECT_EQ(offset, static_cast<int64_t>(kLogHeaderSize + n * kLogRecordSize));
    ++n;
  }
  EXPECT_EQ(n, 1000);
}

TEST_F(LogRecordScannerTest, AnEmptyOrHeaderOnlyLogHasNoRecords) {
  auto f = MakeLog(0, 0);
  ASSERT_TRUE(f);
  LogRecordScanner scan(*f);
  TrafficLogRecord r;
  EXPECT_FALSE(scan.Next(&r));
  auto g = MakeLog(0, 295);
  LogRecordScanner scan2(*g);
  EXPECT_FALSE(scan2.Next(&r));
}

}  // namespace
}  // namespace vantrel

namespace vantrel {
namespace {

TEST(LogRecordScannerFor, PassesOverOtherEntriesAndMatchesIdentifiersExactly) {
  test::TempDir dir;
  std::string bytes(kLogHeaderSize, '\0');
  WriteLogHeader(reinterpret_cast<uint8_t*>(bytes.data()));
  auto add = [&](uint32_t kind, const std::string& id, uint64_t down) {
    TrafficLogRecord r;
    r.kind = kind;
    r.SetId(id);
    r.down = down;
    uint8_t b[kLogRecordSize];
    SerializeLogRecord(r, b);
    bytes.append(reinterpret_cast<char*>(b), sizeof b);
  };
  add(300, "ETH", 1);
  add(300, "ETH0", 2);
  add(100, "stray", 3);
  add(300, "ETH", 4);
  add(200, "", 5);
  add(300, std::string(259, 'L'), 6);
  test::WriteFileBytes(dir.File(L"log"), bytes);
  auto collect = [&](uint32_t kind, const std::string& id) {
    auto f = SystemFileSystem().Open(dir.File(L"log"), FileMode::Reader);
    LogRecordScanner scan(*f);
    TrafficLogRecord r;
    std::vector<uint64_t> got;
    while (scan.NextFor(kind, id, &r)) got.push_back(r.down);
    return got;
  };
  EXPECT_EQ(collect(300, "ETH"), (std::vector<uint64_t>{1, 4}));
  EXPECT_EQ(collect(300, "ET"), (std::vector<uint64_t>{}));
  EXPECT_EQ(collect(100, ""), (std::vector<uint64_t>{3}));  // kind alone for the pseudo-adapters
  EXPECT_EQ(collect(300, std::string(259, 'L')), (std::vector<uint64_t>{6}));
}

}  // namespace
}  // namespace vantrel
