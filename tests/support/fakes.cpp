#include "tests/support/fakes.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace vantrel::test {

void FakeClock::Advance(int64_t seconds) {
  int64_t total = CalendarSeconds(m_now) + seconds;
  int64_t days = total / 86400;
  int64_t rest = total % 86400;
  int y, mo, d;
  CivilFromDays(days, &y, &mo, &d);
  m_now = MakeLocalTime(y, mo, d, static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                        static_cast<int>(rest % 60));
}

bool FakeAdapterSource::GetAdapters(std::vector<LiveAdapter>* out) {
  ++m_tableCalls;
  out->clear();
  if (m_tableFails) return false;
  for (auto& a : m_adapters) out->push_back(a.info);
  return true;
}

bool FakeAdapterSource::GetInterfaceRow(uint32_t index, InterfaceRow* out) {
  FakeAdapter* a = Find(index);
  if (!a || a->rowFails) return false;
  *out = a->row;
  return true;
}

FakeAdapter& FakeAdapterSource::Add(const std::string& name, uint32_t index, uint32_t type,
                                    const std::wstring& description, const std::string& ip) {
  FakeAdapter a;
  a.info.name = name;
  a.info.index = index;
  a.info.addressLength = 6;
  for (int i = 0; i < 6; ++i) a.info.address[i] = static_cast<uint8_t>(0x10 + index + i);
  a.info.ipAddress = ip;
  a.row.type = type;
  a.row.description = description;
  m_adapters.push_back(a);
  return m_adapters.back();
}

FakeAdapter* FakeAdapterSource::Find(uint32_t index) {
  for (auto& a : m_adapters)
    if (a.info.index == index) return &a;
  return nullptr;
}

void FakeAdapterSource::Remove(uint32_t index) {
  m_adapters.erase(std::remove_if(m_adapters.begin(), m_adapters.end(),
                                  [&](const FakeAdapter& a) { return a.info.index == index; }),
                   m_adapters.end());
}

void FakeAdapterSource::Move(uint32_t index, uint64_t down, uint64_t up) {
  if (FakeAdapter* a = Find(index)) {
    a->row.inOctets += down;
    a->row.outOctets += up;
  }
}

namespace {
std::filesystem::path ToFsPath(const std::wstring& p) { return std::filesystem::path(p); }
}  // namespace

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  std::random_device rd;
  auto base = std::filesystem::temp_directory_path();
  for (;;) {
    auto dir = base / ("vantrel-test-" + std::to_string(rd()) + "-" + std::to_string(counter++));
    std::error_code ec;
    if (std::filesystem::create_directory(dir, ec)) {
      m_path = dir.wstring();
#ifdef _WIN32
      m_path += L'\\';
#else
      m_path += L'/';
#endif
      break;
    }
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(ToFsPath(m_path), ec);
}

std::string ReadFileBytes(const std::wstring& path) {
  std::ifstream in(ToFsPath(path), std::ios::binary);
  if (!in) return {};
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  std::ofstream out(ToFsPath(path), std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace vantrel::test
