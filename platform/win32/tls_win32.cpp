// TLS seam on SChannel through SSPI. The system chooses the protocol version and ciphers; the
// server's certificate is always checked here (manual validation), because SChannel's own
// check differs between systems (Wine never refuses a certificate, Windows does by default).
#define SECURITY_WIN32
#define SCHANNEL_USE_BLACKLISTS
#include <windows.h>
#include <wincrypt.h>
#include <security.h>
#include <subauth.h>
#include <schannel.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

#include "platform/text.h"
#include "platform/tls.h"

namespace vantrel {
namespace {

using Clock = std::chrono::steady_clock;

// Ciphertext held at most: a few whole records. A server that sends more without it forming
// a record is broken or hostile.
constexpr size_t kMaxCipherBytes = 4 * (16384 + 2048);
// A handshake is a handful of round trips; a server asking for more is going round in circles.
constexpr int kMaxHandshakeRounds = 32;
// Renegotiation requests (or tickets) honoured per session.
constexpr int kMaxRenegotiations = 8;
// The close_notify is a courtesy: it may not hold the sender thread for long.
constexpr uint32_t kCloseNotifyMs = 5000;

// TLS record content type of an alert.
constexpr uint8_t kAlertRecord = 21;

constexpr DWORD kContextFlags = ISC_REQ_SEQUENCE_DETECT | ISC_REQ_REPLAY_DETECT | ISC_REQ_CONFIDENTIALITY |
                                ISC_REQ_EXTENDED_ERROR | ISC_REQ_ALLOCATE_MEMORY | ISC_REQ_STREAM |
                                ISC_REQ_MANUAL_CRED_VALIDATION;

uint32_t RemainingMs(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<uint32_t>(std::min<long long>(left, UINT32_MAX)) : 0;
}

// Sends every byte within the deadline.
SocketResult SendAll(ITcpSocket& socket, const void* data, size_t n, Clock::time_point deadline) {
  const char* p = static_cast<const char*>(data);
  while (n > 0) {
    uint32_t left = RemainingMs(deadline);
    if (left == 0) return SocketResult::TimedOut;
    size_t sent = 0;
    SocketResult r = socket.Send(p, n, left, &sent);
    if (r != SocketResult::Ok) return r;
    if (sent == 0 || sent > n) return SocketResult::Failed;
    p += sent;
    n -= sent;
  }
  return SocketResult::Ok;
}

// Appends what arrives within the deadline to `in`, within its bound.
SocketResult ReceiveMore(ITcpSocket& socket, std::vector<char>* in, Clock::time_point deadline) {
  if (in->size() >= kMaxCipherBytes) return SocketResult::Failed;
  uint32_t left = RemainingMs(deadline);
  if (left == 0) return SocketResult::TimedOut;
  size_t old = in->size();
  in->resize(kMaxCipherBytes);
  size_t got = 0;
  SocketResult r = socket.Receive(in->data() + old, kMaxCipherBytes - old, left, &got);
  in->resize(old + (r == SocketResult::Ok ? got : 0));
  return r;
}

TlsResult FromSocket(SocketResult r) {
  switch (r) {
    case SocketResult::TimedOut: return TlsResult::TimedOut;
    case SocketResult::Closed: return TlsResult::Closed;
    default: return TlsResult::Failed;
  }
}

// Keeps the unread tail (SECBUFFER_EXTRA) of `in` at its front.
void KeepExtra(std::vector<char>* in, const SecBuffer& extra) {
  if (extra.BufferType == SECBUFFER_EXTRA && extra.cbBuffer > 0 && extra.cbBuffer <= in->size()) {
    in->erase(in->begin(), in->end() - extra.cbBuffer);
  } else {
    in->clear();
  }
}

// Checks the server's certificate as a browser would: its chain for server authentication up
// to a trusted root of the system, and the name as the user typed it.
TlsResult CheckCertificate(CtxtHandle* context, const std::wstring& name) {
  PCCERT_CONTEXT remote = nullptr;
  if (QueryContextAttributesW(context, SECPKG_ATTR_REMOTE_CERT_CONTEXT, &remote) != SEC_E_OK || remote == nullptr)
    return TlsResult::Untrusted;
  LPSTR usages[] = {const_cast<LPSTR>(szOID_PKIX_KP_SERVER_AUTH), const_cast<LPSTR>(szOID_SERVER_GATED_CRYPTO),
                    const_cast<LPSTR>(szOID_SGC_NETSCAPE)};
  CERT_CHAIN_PARA chainPara;
  std::memset(&chainPara, 0, sizeof(chainPara));
  chainPara.cbSize = sizeof(chainPara);
  chainPara.RequestedUsage.dwType = USAGE_MATCH_TYPE_OR;
  chainPara.RequestedUsage.Usage.cUsageIdentifier = 3;
  chainPara.RequestedUsage.Usage.rgpszUsageIdentifier = usages;
  PCCERT_CHAIN_CONTEXT chain = nullptr;
  TlsResult result = TlsResult::Untrusted;
  if (CertGetCertificateChain(nullptr, remote, nullptr, remote->hCertStore, &chainPara, 0, nullptr, &chain) &&
      chain != nullptr) {
    // The chain's own verdict first: Wine's SSL policy lets a chain that ends in an unknown
    // issuer pass. Revocation is not asked for, so its "unknown" says nothing here.
    const DWORD kIgnored = CERT_TRUST_REVOCATION_STATUS_UNKNOWN | CERT_TRUST_IS_OFFLINE_REVOCATION;
    if ((chain->TrustStatus.dwErrorStatus & ~kIgnored) != 0) {
      CertFreeCertificateChain(chain);
      CertFreeCertificateContext(remote);
      return TlsResult::Untrusted;
    }
    SSL_EXTRA_CERT_CHAIN_POLICY_PARA ssl;
    std::memset(&ssl, 0, sizeof(ssl));
    ssl.cbSize = sizeof(ssl);
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = const_cast<WCHAR*>(name.c_str());
    CERT_CHAIN_POLICY_PARA policy;
    std::memset(&policy, 0, sizeof(policy));
    policy.cbSize = sizeof(policy);
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status;
    std::memset(&status, 0, sizeof(status));
    status.cbSize = sizeof(status);
    if (CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status)) {
      if (status.dwError == 0)
        result = TlsResult::Ok;
      else if (status.dwError == static_cast<DWORD>(CERT_E_CN_NO_MATCH))
        result = TlsResult::NameMismatch;
    }
    CertFreeCertificateChain(chain);
  }
  CertFreeCertificateContext(remote);
  return result;
}

// One client session over a connected socket.
class SchannelSession : public ITcpSocket {
 public:
  explicit SchannelSession(ITcpSocket& transport) : m_transport(transport) {
    SecInvalidateHandle(&m_credentials);
    SecInvalidateHandle(&m_context);
  }
  ~SchannelSession() override {
    Close();
    Release();
  }
  SchannelSession(const SchannelSession&) = delete;
  SchannelSession& operator=(const SchannelSession&) = delete;

  TlsResult Handshake(const std::string& serverName, uint32_t timeoutMs) {
    Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    if (!AcquireCredentials()) return TlsResult::Failed;
    m_name = AnsiToWide(serverName);
    TlsResult result = Negotiate(deadline);
    if (result != TlsResult::Ok) return result;
    result = CheckCertificate(&m_context, m_name);
    if (result != TlsResult::Ok) return result;
    if (QueryContextAttributesW(&m_context, SECPKG_ATTR_STREAM_SIZES, &m_sizes) != SEC_E_OK ||
        m_sizes.cbMaximumMessage == 0)
      return TlsResult::Failed;
    m_open = true;
    return TlsResult::Ok;
  }

  SocketResult Send(const void* data, size_t n, uint32_t timeoutMs, size_t* sent) override {
    *sent = 0;
    if (!m_open) return SocketResult::Failed;
    if (n == 0) return SocketResult::Ok;
    size_t take = std::min<size_t>(n, m_sizes.cbMaximumMessage);
    std::vector<char> record(m_sizes.cbHeader + take + m_sizes.cbTrailer);
    std::memcpy(record.data() + m_sizes.cbHeader, data, take);
    SecBuffer buffers[4];
    buffers[0] = {m_sizes.cbHeader, SECBUFFER_STREAM_HEADER, record.data()};
    buffers[1] = {static_cast<unsigned long>(take), SECBUFFER_DATA, record.data() + m_sizes.cbHeader};
    buffers[2] = {m_sizes.cbTrailer, SECBUFFER_STREAM_TRAILER, record.data() + m_sizes.cbHeader + take};
    buffers[3] = {0, SECBUFFER_EMPTY, nullptr};
    SecBufferDesc desc = {SECBUFFER_VERSION, 4, buffers};
    if (EncryptMessage(&m_context, 0, &desc, 0) != SEC_E_OK) return Broken(SocketResult::Failed);
    size_t total = buffers[0].cbBuffer + buffers[1].cbBuffer + buffers[2].cbBuffer;
    SocketResult r = SendAll(m_transport, record.data(), total, Clock::now() + std::chrono::milliseconds(timeoutMs));
    // Half a record on the wire leaves nothing that can follow it.
    if (r != SocketResult::Ok) return Broken(r);
    *sent = take;
    return SocketResult::Ok;
  }

  SocketResult ReceiveByte(uint8_t* out, uint32_t timeoutMs) override {
    if (m_plainAt >= m_plain.size()) {
      if (!m_open) return SocketResult::Failed;
      SocketResult r = Decrypt(Clock::now() + std::chrono::milliseconds(timeoutMs));
      if (r != SocketResult::Ok) return r;
    }
    *out = static_cast<uint8_t>(m_plain[m_plainAt++]);
    return SocketResult::Ok;
  }

  void Close() override {
    if (m_open) {
      m_open = false;
      SendCloseNotify();
    }
    m_transport.Close();
  }

 private:
  bool AcquireCredentials() {
    // SCH_CREDENTIALS lets a newer Windows negotiate TLS 1.3; systems that know only the older
    // structure (Wine 8 among them) refuse it, and get SCHANNEL_CRED instead. Protocols 0: the
    // system's choice either way.
    const DWORD flags = SCH_CRED_NO_DEFAULT_CREDS | SCH_CRED_MANUAL_CRED_VALIDATION;
    SCH_CREDENTIALS modern;
    std::memset(&modern, 0, sizeof(modern));
    modern.dwVersion = SCH_CREDENTIALS_VERSION;
    modern.dwFlags = flags;
    TimeStamp expiry;
    if (AcquireCredentialsHandleW(nullptr, const_cast<SEC_WCHAR*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND, nullptr,
                                  &modern, nullptr, nullptr, &m_credentials, &expiry) == SEC_E_OK) {
      m_haveCredentials = true;
      return true;
    }
    SCHANNEL_CRED legacy;
    std::memset(&legacy, 0, sizeof(legacy));
    legacy.dwVersion = SCHANNEL_CRED_VERSION;
    legacy.dwFlags = flags;
    m_haveCredentials = AcquireCredentialsHandleW(nullptr, const_cast<SEC_WCHAR*>(UNISP_NAME_W), SECPKG_CRED_OUTBOUND,
                                                  nullptr, &legacy, nullptr, nullptr, &m_credentials,
                                                  &expiry) == SEC_E_OK;
    return m_haveCredentials;
  }

  // Sends a token that SSPI allocated and frees it.
  SocketResult SendToken(SecBuffer& token, Clock::time_point deadline) {
    SocketResult r = SocketResult::Ok;
    if (token.pvBuffer != nullptr) {
      if (token.cbBuffer > 0) r = SendAll(m_transport, token.pvBuffer, token.cbBuffer, deadline);
      FreeContextBuffer(token.pvBuffer);
      token.pvBuffer = nullptr;
    }
    return r;
  }

  TlsResult Negotiate(Clock::time_point deadline) {
    SecBuffer out = {0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc = {SECBUFFER_VERSION, 1, &out};
    DWORD attributes = 0;
    TimeStamp expiry;
    SECURITY_STATUS status =
        InitializeSecurityContextW(&m_credentials, nullptr, const_cast<SEC_WCHAR*>(m_name.c_str()), kContextFlags, 0,
                                   0, nullptr, 0, &m_context, &outDesc, &attributes, &expiry);
    if (status != SEC_I_CONTINUE_NEEDED) {
      SendToken(out, deadline);
      return TlsResult::Failed;
    }
    m_haveContext = true;
    SocketResult sent = SendToken(out, deadline);
    if (sent != SocketResult::Ok) return FromSocket(sent);

    bool needInput = true;
    for (int round = 0; round < kMaxHandshakeRounds * 4; ++round) {
      if (needInput || m_cipher.empty()) {
        SocketResult r = ReceiveMore(m_transport, &m_cipher, deadline);
        if (r != SocketResult::Ok) return FromSocket(r);
      }
      SecBuffer in[2] = {{static_cast<unsigned long>(m_cipher.size()), SECBUFFER_TOKEN, m_cipher.data()},
                         {0, SECBUFFER_EMPTY, nullptr}};
      SecBufferDesc inDesc = {SECBUFFER_VERSION, 2, in};
      out = {0, SECBUFFER_TOKEN, nullptr};
      outDesc = {SECBUFFER_VERSION, 1, &out};
      status = InitializeSecurityContextW(&m_credentials, &m_context, const_cast<SEC_WCHAR*>(m_name.c_str()),
                                          kContextFlags, 0, 0, &inDesc, 0, nullptr, &outDesc, &attributes, &expiry);
      if (status == SEC_E_INCOMPLETE_MESSAGE) {
        SendToken(out, deadline);
        needInput = true;
        continue;
      }
      // A failure may still carry an alert for the server; send it, then give up.
      sent = SendToken(out, deadline);
      if (FAILED(status)) return TlsResult::Failed;
      if (sent != SocketResult::Ok) return FromSocket(sent);
      if (status == SEC_I_INCOMPLETE_CREDENTIALS) {
        // The server asks for a client certificate. There is none: the same input goes in
        // again and the handshake continues without one (the server decides whether that
        // will do). Nothing of the input has been used up, so none of it is dropped.
        needInput = m_cipher.empty();
        continue;
      }
      KeepExtra(&m_cipher, in[1]);
      if (status == SEC_E_OK) return TlsResult::Ok;  // what is left in m_cipher is application data
      if (status == SEC_I_CONTINUE_NEEDED) {
        // Bytes left over are the next handshake message: feed them before reading more.
        needInput = m_cipher.empty();
        continue;
      }
      return TlsResult::Failed;
    }
    return TlsResult::Failed;
  }

  // Decrypts records until there is plain text, the peer closes, or the deadline passes.
  SocketResult Decrypt(Clock::time_point deadline) {
    m_plain.clear();
    m_plainAt = 0;
    for (;;) {
      if (!m_cipher.empty()) {
        // The record's content type travels in clear: Wine hands the peer's close_notify back
        // as an empty alert record (21) with nothing after it; an empty record of application
        // data (23) is legal and only means that there is nothing to read yet.
        const bool alertRecord = static_cast<uint8_t>(m_cipher[0]) == kAlertRecord;
        SecBuffer buffers[4] = {{static_cast<unsigned long>(m_cipher.size()), SECBUFFER_DATA, m_cipher.data()},
                                {0, SECBUFFER_EMPTY, nullptr},
                                {0, SECBUFFER_EMPTY, nullptr},
                                {0, SECBUFFER_EMPTY, nullptr}};
        SecBufferDesc desc = {SECBUFFER_VERSION, 4, buffers};
        SECURITY_STATUS status = DecryptMessage(&m_context, &desc, 0, nullptr);
        if (status == SEC_E_OK || status == SEC_I_RENEGOTIATE || status == SEC_I_CONTEXT_EXPIRED) {
          const SecBuffer* data = nullptr;
          const SecBuffer* extra = nullptr;
          for (const SecBuffer& b : buffers) {
            if (b.BufferType == SECBUFFER_DATA && data == nullptr) data = &b;
            if (b.BufferType == SECBUFFER_EXTRA && extra == nullptr) extra = &b;
          }
          // The plain text points into m_cipher: copy it out before the tail moves.
          if (data != nullptr && data->cbBuffer > 0)
            m_plain.assign(static_cast<const char*>(data->pvBuffer),
                           static_cast<const char*>(data->pvBuffer) + data->cbBuffer);
          SecBuffer tail = extra != nullptr ? *extra : SecBuffer{0, SECBUFFER_EMPTY, nullptr};
          KeepExtra(&m_cipher, tail);
          if (status == SEC_I_CONTEXT_EXPIRED) return Ended();
          if (status == SEC_I_RENEGOTIATE) {
            SocketResult r = Renegotiate(deadline);
            if (r != SocketResult::Ok) return r;
          }
          if (!m_plain.empty()) return SocketResult::Ok;
          if (status == SEC_E_OK && alertRecord && m_cipher.empty()) return Ended();
          continue;
        }
        if (status != SEC_E_INCOMPLETE_MESSAGE) return Broken(SocketResult::Failed);
      }
      SocketResult r = ReceiveMore(m_transport, &m_cipher, deadline);
      if (r != SocketResult::Ok) return r == SocketResult::Failed ? Broken(r) : r;
    }
  }

  // The server asked for another handshake (or, on Windows, sent TLS 1.3 tickets this way).
  // Wine cannot complete one: whatever ISC cannot take, decrypting goes on without it.
  SocketResult Renegotiate(Clock::time_point deadline) {
    if (++m_renegotiations > kMaxRenegotiations) return Broken(SocketResult::Failed);
    SecBuffer in[2] = {{static_cast<unsigned long>(m_cipher.size()), SECBUFFER_TOKEN,
                        m_cipher.empty() ? nullptr : m_cipher.data()},
                       {0, SECBUFFER_EMPTY, nullptr}};
    SecBufferDesc inDesc = {SECBUFFER_VERSION, 2, in};
    SecBuffer out = {0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc = {SECBUFFER_VERSION, 1, &out};
    DWORD attributes = 0;
    TimeStamp expiry;
    SECURITY_STATUS status =
        InitializeSecurityContextW(&m_credentials, &m_context, const_cast<SEC_WCHAR*>(m_name.c_str()), kContextFlags,
                                   0, 0, &inDesc, 0, nullptr, &outDesc, &attributes, &expiry);
    SocketResult r = SendToken(out, deadline);
    if (r != SocketResult::Ok) return Broken(r);
    if (status == SEC_E_OK || status == SEC_I_CONTINUE_NEEDED) KeepExtra(&m_cipher, in[1]);
    return SocketResult::Ok;
  }

  void SendCloseNotify() {
    DWORD type = SCHANNEL_SHUTDOWN;
    SecBuffer control = {sizeof(type), SECBUFFER_TOKEN, &type};
    SecBufferDesc controlDesc = {SECBUFFER_VERSION, 1, &control};
    if (ApplyControlToken(&m_context, &controlDesc) != SEC_E_OK) return;
    SecBuffer out = {0, SECBUFFER_TOKEN, nullptr};
    SecBufferDesc outDesc = {SECBUFFER_VERSION, 1, &out};
    DWORD attributes = 0;
    TimeStamp expiry;
    InitializeSecurityContextW(&m_credentials, &m_context, const_cast<SEC_WCHAR*>(m_name.c_str()), kContextFlags, 0,
                               0, nullptr, 0, nullptr, &outDesc, &attributes, &expiry);
    SendToken(out, Clock::now() + std::chrono::milliseconds(kCloseNotifyMs));
  }

  // The peer ended the session: nothing more can be read or sent over it.
  SocketResult Ended() {
    m_open = false;
    return SocketResult::Closed;
  }
  SocketResult Broken(SocketResult r) {
    m_open = false;
    return r;
  }

  void Release() {
    if (m_haveContext) DeleteSecurityContext(&m_context);
    if (m_haveCredentials) FreeCredentialsHandle(&m_credentials);
    m_haveContext = m_haveCredentials = false;
  }

  ITcpSocket& m_transport;
  CredHandle m_credentials;
  CtxtHandle m_context;
  bool m_haveCredentials = false;
  bool m_haveContext = false;
  bool m_open = false;
  std::wstring m_name;
  SecPkgContext_StreamSizes m_sizes = {};
  std::vector<char> m_cipher;  // received, not yet decrypted
  std::vector<char> m_plain;   // decrypted, not yet read
  size_t m_plainAt = 0;
  int m_renegotiations = 0;
};

class SchannelApi : public ITlsApi {
 public:
  TlsResult Handshake(ITcpSocket& transport, const std::string& serverName, uint32_t timeoutMs,
                      std::unique_ptr<ITcpSocket>* secure) override {
    secure->reset();
    auto session = std::make_unique<SchannelSession>(transport);
    TlsResult result = session->Handshake(serverName, timeoutMs);
    if (result != TlsResult::Ok) return result;  // destroyed without a close_notify: nothing more is sent
    *secure = std::move(session);
    return TlsResult::Ok;
  }
};

}  // namespace

ITlsApi& SystemTlsApi() {
  static SchannelApi* api = new SchannelApi;
  return *api;
}

}  // namespace vantrel
