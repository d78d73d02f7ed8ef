// No system TLS in the portable build: the programs that send mail are Windows programs, and
// the portable tests put their own TLS behind the seam.
#include "platform/tls.h"

namespace vantrel {
namespace {

class NoTlsApi : public ITlsApi {
 public:
  TlsResult Handshake(ITcpSocket&, const std::string&, uint32_t, std::unique_ptr<ITcpSocket>* secure) override {
    secure->reset();
    return TlsResult::Failed;
  }
};

}  // namespace

ITlsApi& SystemTlsApi() {
  static NoTlsApi* api = new NoTlsApi;
  return *api;
}

}  // namespace vantrel
