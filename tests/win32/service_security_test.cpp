// What the program registers and writes machine-wide is safe on a machine where the service
// runs as the local system account: the service's command line in quotes, who may do what
// with the service, and who may read the mirrored e-mail settings with their password.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "notify/email_settings.h"
#include "platform/win32/registry_store.h"
#include "platform/win32/service_control.h"

namespace vantrel {
namespace {

// A SID given as an SDDL alias ("SY", "BA", "AU").
std::vector<uint8_t> Sid(const wchar_t* alias) {
  PSID sid = nullptr;
  std::vector<uint8_t> bytes;
  if (ConvertStringSidToSidW(alias, &sid)) {
    bytes.assign(static_cast<uint8_t*>(sid), static_cast<uint8_t*>(sid) + GetLengthSid(sid));
    LocalFree(sid);
  }
  return bytes;
}

struct Ace {
  std::vector<uint8_t> sid;
  ACCESS_MASK mask;
};

// The access-allowed entries of a descriptor's DACL; `isProtected` tells whether it takes
// nothing from above.
std::vector<Ace> AllowedEntries(PSECURITY_DESCRIPTOR sd, bool* isProtected = nullptr) {
  std::vector<Ace> out;
  BOOL present = FALSE, defaulted = FALSE;
  PACL dacl = nullptr;
  if (!GetSecurityDescriptorDacl(sd, &present, &dacl, &defaulted) || !present || !dacl) return out;
  if (isProtected) {
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(sd, &control, &revision);
    *isProtected = (control & SE_DACL_PROTECTED) != 0;
  }
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace)) continue;
    auto* header = static_cast<ACE_HEADER*>(ace);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
    auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
    PSID sid = &allowed->SidStart;
    out.push_back({std::vector<uint8_t>(static_cast<uint8_t*>(sid), static_cast<uint8_t*>(sid) + GetLengthSid(sid)),
                   allowed->Mask});
  }
  return out;
}

TEST(ServiceSecurity, TheServiceGetsAQuotedPathAndEveryUserMayOnlyQueryAndStartIt) {
  // A service of the test's own: the end-to-end tests use the real one.
  const wchar_t kName[] = L"VantrelSecurityTest";
  ScmServiceState scm;
  scm.RemoveService(kName);
  ASSERT_TRUE(scm.InstallService(L"C:\\Program Files\\Vantrel Test\\VantrelService.exe", kName, L"Vantrel Test", L"",
                                 false, false));

  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT);
  ASSERT_NE(manager, nullptr);
  SC_HANDLE service = OpenServiceW(manager, kName, SERVICE_QUERY_CONFIG | READ_CONTROL);
  ASSERT_NE(service, nullptr);
  std::vector<uint8_t> config(8192);
  DWORD need = 0;
  ASSERT_TRUE(QueryServiceConfigW(service, reinterpret_cast<QUERY_SERVICE_CONFIGW*>(config.data()),
                                  static_cast<DWORD>(config.size()), &need));
  EXPECT_STREQ(reinterpret_cast<QUERY_SERVICE_CONFIGW*>(config.data())->lpBinaryPathName,
               L"\"C:\\Program Files\\Vantrel Test\\VantrelService.exe\"");

  std::vector<uint8_t> kept(8192);
  ASSERT_TRUE(QueryServiceObjectSecurity(service, DACL_SECURITY_INFORMATION, kept.data(),
                                         static_cast<DWORD>(kept.size()), &need));
  CloseServiceHandle(service);
  CloseServiceHandle(manager);
  scm.RemoveService(kName);

  std::vector<Ace> aces = AllowedEntries(kept.data());
  PSECURITY_DESCRIPTOR given = nullptr;
  if (aces.empty()) {
    // Wine's service manager keeps no descriptor (it answers an empty one): the one the
    // program hands over is what Windows keeps.
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(kServiceSecurityDescriptor, SDDL_REVISION_1,
                                                                     &given, nullptr));
    aces = AllowedEntries(given);
    LocalFree(given);
  }
  const std::vector<uint8_t> system = Sid(L"SY"), admins = Sid(L"BA"), users = Sid(L"AU");
  const ACCESS_MASK kAdminOnly = SERVICE_STOP | SERVICE_CHANGE_CONFIG | DELETE | WRITE_DAC | WRITE_OWNER;
  bool usersFound = false, adminsMayDelete = false;
  for (const Ace& ace : aces) {
    if (ace.sid == users) {
      usersFound = true;
      EXPECT_EQ(ace.mask, static_cast<ACCESS_MASK>(SERVICE_QUERY_STATUS | SERVICE_START));
    }
    if (ace.sid == admins) adminsMayDelete = (ace.mask & (DELETE | SERVICE_STOP)) == (DELETE | SERVICE_STOP);
    if (ace.sid != system && ace.sid != admins)
      EXPECT_EQ(ace.mask & kAdminOnly, 0u) << "a non-administrator may change it";
  }
  EXPECT_TRUE(usersFound);
  EXPECT_TRUE(adminsMayDelete);
}

TEST(ServiceSecurity, TheMachineWideEmailSettingsAreForSystemAndAdministratorsOnly) {
  RegistryStore store;
  EmailSettings mail;
  mail.smtpServer = L"mail.example.com";
  mail.srvReqAuth = true;
  mail.authName = L"meter";
  mail.authPass = L"not for every user";
  ASSERT_TRUE(WriteEmailSettings(store, SettingsRoot::LocalMachine, mail));

  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kEmailSettingsKey, 0, READ_CONTROL, &key), ERROR_SUCCESS);
  std::vector<uint8_t> sd(4096);
  DWORD size = static_cast<DWORD>(sd.size());
  LONG rc = RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, sd.data(), &size);
  RegCloseKey(key);
  store.DeleteTree(SettingsRoot::LocalMachine, kEmailSettingsKey);
  ASSERT_EQ(rc, ERROR_SUCCESS);

  bool isProtected = false;
  std::vector<Ace> aces = AllowedEntries(sd.data(), &isProtected);
  EXPECT_TRUE(isProtected) << "Users would inherit read access from above";
  ASSERT_EQ(aces.size(), 2u);
  EXPECT_EQ(aces[0].sid, Sid(L"SY"));
  EXPECT_EQ(aces[1].sid, Sid(L"BA"));
  for (const Ace& ace : aces) EXPECT_EQ(ace.mask, static_cast<ACCESS_MASK>(KEY_ALL_ACCESS));
}

}  // namespace
}  // namespace vantrel
