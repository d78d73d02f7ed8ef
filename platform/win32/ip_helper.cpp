#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <netioapi.h>

#include <cstring>

#include "platform/text.h"
#include "platform/win32/ip_helper.h"

namespace vantrel {

namespace {
using GetAdaptersInfoFn = DWORD(WINAPI*)(PIP_ADAPTER_INFO, PULONG);
using GetIfEntryFn = DWORD(WINAPI*)(PMIB_IFROW);
using GetIfEntry2Fn = DWORD(WINAPI*)(PMIB_IF_ROW2);

template <typename Fn>
Fn As(void* p) {
  return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(p));
}
}  // namespace

IpHelperSource::IpHelperSource() = default;

IpHelperSource::~IpHelperSource() {
  if (m_module) FreeLibrary(static_cast<HMODULE>(m_module));
}

bool IpHelperSource::Load() {
  if (Loaded()) return true;
  HMODULE mod = LoadLibraryW(L"iphlpapi.dll");
  if (!mod) return false;
  m_module = mod;
  m_getAdaptersInfo = reinterpret_cast<void*>(GetProcAddress(mod, "GetAdaptersInfo"));
  m_getIfEntry = reinterpret_cast<void*>(GetProcAddress(mod, "GetIfEntry"));
  m_getIfEntry2 = reinterpret_cast<void*>(GetProcAddress(mod, "GetIfEntry2"));
  return Loaded();
}

bool IpHelperSource::GetAdapters(std::vector<LiveAdapter>* out) {
  out->clear();
  if (!Loaded()) return false;
  auto fn = As<GetAdaptersInfoFn>(m_getAdaptersInfo);
  ULONG size = 0;
  fn(nullptr, &size);
  if (size == 0) return false;
  // The table may grow between the two calls; ask again a few times rather than fail.
  for (int attempt = 0; attempt < 3; ++attempt) {
    std::vector<unsigned char> buf(size);
    auto* info = reinterpret_cast<PIP_ADAPTER_INFO>(buf.data());
    DWORD rc = fn(info, &size);
    if (rc == ERROR_BUFFER_OVERFLOW) continue;
    if (rc != NO_ERROR) return false;
    for (PIP_ADAPTER_INFO a = info; a; a = a->Next) {
      LiveAdapter la;
      la.name.assign(a->AdapterName, strnlen(a->AdapterName, sizeof a->AdapterName));
      la.addressLength = a->AddressLength;
      size_t n = a->AddressLength < 8 ? a->AddressLength : 8;
      std::memcpy(la.address, a->Address, n);
      la.index = a->Index;
      la.ipAddress.assign(a->IpAddressList.IpAddress.String,
                          strnlen(a->IpAddressList.IpAddress.String, sizeof a->IpAddressList.IpAddress.String));
      out->push_back(std::move(la));
    }
    return true;
  }
  return false;
}

bool IpHelperSource::GetInterfaceRow(uint32_t index, InterfaceRow* out) {
  if (!Loaded()) return false;
  if (m_getIfEntry2) {
    MIB_IF_ROW2 row;
    std::memset(&row, 0, sizeof row);
    row.InterfaceIndex = index;
    // Only this row once it exists: mixing 64- and 32-bit counters of one adapter from
    // second to second would make a counter jump.
    if (As<GetIfEntry2Fn>(m_getIfEntry2)(&row) != NO_ERROR) return false;
    out->type = row.Type;
    out->inOctets = row.InOctets;
    out->outOctets = row.OutOctets;
    out->description.assign(row.Description, wcsnlen(row.Description, IF_MAX_STRING_SIZE + 1));
    return true;
  }
  MIB_IFROW row;
  std::memset(&row, 0, sizeof row);
  row.dwIndex = index;
  if (As<GetIfEntryFn>(m_getIfEntry)(&row) != NO_ERROR) return false;
  out->type = row.dwType;
  out->inOctets = row.dwInOctets;
  out->outOctets = row.dwOutOctets;
  DWORD len = row.dwDescrLen < MAXLEN_IFDESCR ? row.dwDescrLen : MAXLEN_IFDESCR;
  std::string d(reinterpret_cast<const char*>(row.bDescr), strnlen(reinterpret_cast<const char*>(row.bDescr), len));
  out->description = AnsiToWide(d);
  return true;
}

}  // namespace vantrel
