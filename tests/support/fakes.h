#pragma once
// Test doubles behind the seams: a clock the test sets, a scripted adapter source whose
// counters the test moves, and a temporary folder that removes itself.
#include <map>
#include <string>
#include <vector>

#include "platform/adapter_source.h"
#include "platform/clock.h"

namespace vantrel::test {

class FakeClock : public IClock {
 public:
  explicit FakeClock(LocalTime t = MakeLocalTime(2010, 3, 7, 10, 0, 0)) : m_now(t) {}
  LocalTime Now() override { return m_now; }
  void Set(const LocalTime& t) { m_now = t; }
  void Set(int y, int mo, int d, int h, int mi, int s) { m_now = MakeLocalTime(y, mo, d, h, mi, s); }
  // Moves the clock on by whole seconds (across days too).
  void Advance(int64_t seconds);

 private:
  LocalTime m_now;
};

// One scripted adapter: its table entry and interface row.
struct FakeAdapter {
  LiveAdapter info;
  InterfaceRow row;
  bool rowFails = false;
};

class FakeAdapterSource : public IAdapterSource {
 public:
  bool GetAdapters(std::vector<LiveAdapter>* out) override;
  bool GetInterfaceRow(uint32_t index, InterfaceRow* out) override;

  // Adds an adapter (index given by the caller) and returns it for further changes.
  FakeAdapter& Add(const std::string& name, uint32_t index, uint32_t type = 6,
                   const std::wstring& description = L"Test Adapter", const std::string& ip = "10.0.0.1");
  FakeAdapter* Find(uint32_t index);
  void Remove(uint32_t index);
  // Moves an adapter's counters on by the given byte counts.
  void Move(uint32_t index, uint64_t down, uint64_t up);
  void SetTableFails(bool fail) { m_tableFails = fail; }
  int TableCalls() const { return m_tableCalls; }

 private:
  std::vector<FakeAdapter> m_adapters;
  bool m_tableFails = false;
  int m_tableCalls = 0;
};

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // The folder with a trailing separator.
  const std::wstring& Path() const { return m_path; }
  std::wstring File(const std::wstring& name) const { return m_path + name; }

 private:
  std::wstring m_path;
};

// Whole file contents as bytes (empty if unreadable), and writing them.
std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);

}  // namespace vantrel::test
