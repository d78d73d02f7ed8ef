#include "settings/notification_rule.h"

#include <cstring>

#include "platform/little_endian.h"
#include "platform/text.h"

namespace vantrel {

namespace {

class Writer {
 public:
  explicit Writer(std::vector<uint8_t>& out) : m_out(out) {}
  void U32(uint32_t v) {
    uint8_t b[4];
    StoreU32(b, v);
    m_out.insert(m_out.end(), b, b + 4);
  }
  void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
  void Ansi(const std::string& s, size_t bytes) {
    size_t n = s.size() < bytes - 1 ? s.size() : bytes - 1;
    for (size_t i = 0; i < n; ++i) m_out.push_back(static_cast<uint8_t>(s[i]));
    for (size_t i = n; i < bytes; ++i) m_out.push_back(0);
  }
  void Wide(const std::wstring& s, size_t units) {
    std::u16string u = WideToUtf16(s);
    size_t n = u.size() < units - 1 ? u.size() : units - 1;
    for (size_t i = 0; i < n; ++i) {
      m_out.push_back(static_cast<uint8_t>(u[i] & 0xFF));
      m_out.push_back(static_cast<uint8_t>(u[i] >> 8));
    }
    for (size_t i = n; i < units; ++i) {
      m_out.push_back(0);
      m_out.push_back(0);
    }
  }

 private:
  std::vector<uint8_t>& m_out;
};

class Reader {
 public:
  explicit Reader(const uint8_t* p) : m_p(p) {}
  uint32_t U32() {
    uint32_t v = LoadU32(m_p);
    m_p += 4;
    return v;
  }
  int32_t I32() { return static_cast<int32_t>(U32()); }
  std::string Ansi(size_t bytes) {
    size_t n = strnlen(reinterpret_cast<const char*>(m_p), bytes - 1);
    std::string s(reinterpret_cast<const char*>(m_p), n);
    m_p += bytes;
    return s;
  }
  std::wstring Wide(size_t units) {
    std::wstring s = DecodeUtf16Le(m_p, (units - 1) * 2);
    m_p += units * 2;
    return s;
  }

 private:
  const uint8_t* m_p;
};

}  // namespace

std::vector<uint8_t> SerializeNotificationRule(const NotificationRule& r) {
  std::vector<uint8_t> out;
  out.reserve(kNotificationRuleSize);
  Writer w(out);
  w.U32(kNotificationRuleVersion);
  w.I32(r.kind);
  w.Ansi(r.id, 260);
  w.Wide(r.number, 64);
  w.I32(r.unit);
  w.I32(r.direction);
  w.I32(r.period);
  w.U32(r.playSound);
  w.Wide(r.soundFile, 260);
  w.U32(r.beep);
  w.I32(r.beepChoice);
  w.I32(r.days);
  w.U32(r.sendEmail);
  w.Wide(r.recipients, 260);
  w.U32(r.runProgram);
  w.Wide(r.programPath, 260);
  return out;
}

bool ParseNotificationRule(const uint8_t* data, size_t size, NotificationRule* rule) {
  *rule = NotificationRule{};
  if (size != kNotificationRuleSize || data == nullptr) return false;
  Reader r(data);
  uint32_t version = r.U32();
  if (version != 2 && version != 3) return false;
  NotificationRule out;
  out.version = version;
  out.kind = r.I32();
  out.id = r.Ansi(260);
  out.number = r.Wide(64);
  out.unit = r.I32();
  out.direction = r.I32();
  out.period = r.I32();
  out.playSound = r.U32();
  out.soundFile = r.Wide(260);
  out.beep = r.U32();
  out.beepChoice = r.I32();
  out.days = r.I32();
  if (out.days < 1) out.days = 1;
  out.sendEmail = r.U32();
  out.recipients = r.Wide(260);
  out.runProgram = r.U32();
  out.programPath = r.Wide(260);
  *rule = out;
  return true;
}

}  // namespace vantrel
