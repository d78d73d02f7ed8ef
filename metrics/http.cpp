#include "metrics/http.h"

#include <cstring>

namespace vantrel {

namespace {

// Characters of an HTTP token (a method).
bool IsTokenChar(unsigned char c) {
  if (c >= 'A' && c <= 'Z') return true;
  if (c >= 'a' && c <= 'z') return true;
  if (c >= '0' && c <= '9') return true;
  return std::strchr("!#$%&'*+-.^_`|~", c) != nullptr && c != 0;
}

// Bytes that never belong in a request head (controls other than tab, CR and LF).
bool IsForbidden(unsigned char c) { return (c < 0x20 && c != '\t' && c != '\r' && c != '\n') || c == 0x7F; }

const char* ReasonPhrase(int status) {
  switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    default: return "Request Header Fields Too Large";
  }
}

std::string Response(int status, const char* contentType, const std::string& body, bool withBody,
                     bool allowHeader = false) {
  std::string out = "HTTP/1.1 " + std::to_string(status) + " " + ReasonPhrase(status) + "\r\n";
  out += "Content-Type: ";
  out += contentType;
  out += "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
  if (allowHeader) out += "Allow: GET, HEAD\r\n";
  out += "Cache-Control: no-store\r\nConnection: close\r\n\r\n";
  if (withBody) out += body;
  return out;
}

std::string ErrorResponse(int status, bool withBody = true) {
  return Response(status, "text/plain; charset=utf-8", std::string(ReasonPhrase(status)) + "\n", withBody,
                  status == 405);
}

}  // namespace

HeadStatus RequestHead::Feed(const char* data, size_t n) {
  if (m_status != HeadStatus::Incomplete) return m_status;
  size_t searchFrom = m_bytes.size() >= 3 ? m_bytes.size() - 3 : 0;
  size_t checkedUpTo = m_bytes.size();
  size_t room = kMaxRequestHead - m_bytes.size();
  m_bytes.append(data, n < room ? n : room);
  // The head ends with an empty line (CR LF CR LF; a bare LF is taken as a line end too).
  size_t headEnd = std::string::npos;
  for (size_t i = searchFrom; i < m_bytes.size() && headEnd == std::string::npos; ++i) {
    if (m_bytes[i] != '\n') continue;
    size_t next = i + 1;
    if (next < m_bytes.size() && m_bytes[next] == '\n')
      headEnd = next + 1;
    else if (next + 1 < m_bytes.size() && m_bytes[next] == '\r' && m_bytes[next + 1] == '\n')
      headEnd = next + 2;
  }
  if (headEnd != std::string::npos) m_bytes.resize(headEnd);
  for (size_t i = checkedUpTo; i < m_bytes.size(); ++i)
    if (IsForbidden(static_cast<unsigned char>(m_bytes[i]))) return m_status = HeadStatus::Malformed;
  // The method is checked as it arrives, so binary rubbish is refused at its first byte.
  for (size_t i = 0; i < m_bytes.size() && m_bytes[i] != ' '; ++i)
    if (!IsTokenChar(static_cast<unsigned char>(m_bytes[i]))) return m_status = HeadStatus::Malformed;
  if (!m_lineChecked) {
    size_t lineEnd = m_bytes.find('\n');
    if (lineEnd != std::string::npos) {
      m_lineChecked = true;
      if (ParseRequestLine(lineEnd) == HeadStatus::Malformed) return m_status = HeadStatus::Malformed;
    }
  }
  if (headEnd != std::string::npos) return m_status = HeadStatus::Complete;
  if (m_bytes.size() >= kMaxRequestHead) return m_status = HeadStatus::TooLarge;
  return m_status;
}

HeadStatus RequestHead::ParseRequestLine(size_t lineEnd) {
  std::string line = m_bytes.substr(0, lineEnd);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  size_t firstSpace = line.find(' ');
  size_t secondSpace = firstSpace == std::string::npos ? std::string::npos : line.find(' ', firstSpace + 1);
  if (firstSpace == 0 || secondSpace == std::string::npos || line.find(' ', secondSpace + 1) != std::string::npos)
    return HeadStatus::Malformed;
  std::string target = line.substr(firstSpace + 1, secondSpace - firstSpace - 1);
  std::string version = line.substr(secondSpace + 1);
  if (target.empty() || target[0] != '/' || (version != "HTTP/1.1" && version != "HTTP/1.0"))
    return HeadStatus::Malformed;
  for (char c : target)
    if (static_cast<unsigned char>(c) <= ' ' || static_cast<unsigned char>(c) >= 0x7F) return HeadStatus::Malformed;
  m_method = line.substr(0, firstSpace);
  m_path = target.substr(0, target.find('?'));
  return HeadStatus::Incomplete;
}

std::string AnswerRequest(const RequestHead& head, IMetricsRenderer& renderer) {
  switch (head.Status()) {
    case HeadStatus::TooLarge: return ErrorResponse(431);
    case HeadStatus::Malformed: return ErrorResponse(400);
    case HeadStatus::Incomplete: return ErrorResponse(400);
    case HeadStatus::Complete: break;
  }
  MetricsResource resource;
  if (head.Path() == "/metrics")
    resource = MetricsResource::Exposition;
  else if (head.Path() == "/status.json")
    resource = MetricsResource::Status;
  else if (head.Path() == "/")
    resource = MetricsResource::Index;
  else
    return ErrorResponse(404, head.Method() != "HEAD");
  bool get = head.Method() == "GET";
  if (!get && head.Method() != "HEAD") return ErrorResponse(405);
  std::string contentType;
  std::string body = renderer.Render(resource, &contentType);
  return Response(200, contentType.c_str(), body, get);
}

}  // namespace vantrel
