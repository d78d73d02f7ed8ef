#pragma once
// The little HTTP the metrics endpoint speaks: a request head read with a hard limit, the
// routing of GET and HEAD to the three resources, and answers that always close the
// connection. Nothing a client sends is kept beyond the head's limit.
#include <cstddef>
#include <string>

namespace vantrel {

// The request line and headers may take this many bytes, their closing blank line included.
constexpr size_t kMaxRequestHead = 8192;

enum class HeadStatus {
  Incomplete,  // more bytes are needed
  Complete,    // the head is there (bytes after it are ignored)
  TooLarge,    // kMaxRequestHead bytes and no end of the head: 431
  Malformed,   // not an HTTP/1.0 or 1.1 request: 400
};

// Reads one request head from the bytes as they arrive.
class RequestHead {
 public:
  // Takes received bytes; the answer stays once it is not Incomplete.
  HeadStatus Feed(const char* data, size_t n);
  HeadStatus Status() const { return m_status; }
  const std::string& Method() const { return m_method; }
  // The request target without its query ("/metrics?x=1" gives "/metrics").
  const std::string& Path() const { return m_path; }

 private:
  HeadStatus ParseRequestLine(size_t lineEnd);

  std::string m_bytes;
  HeadStatus m_status = HeadStatus::Incomplete;
  bool m_lineChecked = false;
  std::string m_method;
  std::string m_path;
};

enum class MetricsResource { Exposition, Status, Index };

// Produces a resource's body and content type at the moment of the request.
class IMetricsRenderer {
 public:
  virtual ~IMetricsRenderer() = default;
  virtual std::string Render(MetricsResource resource, std::string* contentType) = 0;
};

// The answer to a finished head, as bytes to send: 200 with the resource (HEAD: its headers
// alone), 404 for another path, 405 for another method, 431 and 400 for a head that was too
// large or malformed. Every answer has Content-Length and "Connection: close".
std::string AnswerRequest(const RequestHead& head, IMetricsRenderer& renderer);

}  // namespace vantrel
