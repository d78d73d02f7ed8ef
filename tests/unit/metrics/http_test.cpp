#include "metrics/http.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel {
namespace {

struct CountingRenderer : IMetricsRenderer {
  int calls = 0;
  std::string Render(MetricsResource resource, std::string* contentType) override {
    ++calls;
    *contentType = resource == MetricsResource::Status ? "application/json" : "text/plain";
    return resource == MetricsResource::Exposition ? "metrics body\n"
           : resource == MetricsResource::Status   ? "{}\n"
                                                   : "index\n";
  }
};

HeadStatus FeedAll(RequestHead& head, const std::string& bytes, size_t chunk) {
  HeadStatus s = HeadStatus::Incomplete;
  for (size_t at = 0; at < bytes.size(); at += chunk)
    s = head.Feed(bytes.data() + at, std::min(chunk, bytes.size() - at));
  return s;
}

std::string Answer(const std::string& request, CountingRenderer* renderer = nullptr) {
  CountingRenderer own;
  RequestHead head;
  head.Feed(request.data(), request.size());
  return AnswerRequest(head, renderer ? *renderer : own);
}

TEST(RequestHead, IsCompleteAtItsEmptyLineHoweverTheBytesArrive) {
  const std::string request = "GET /metrics?name[]=x HTTP/1.1\r\nHost: a\r\nAccept: */*\r\n\r\nrest of a body";
  for (size_t chunk : {size_t{1}, size_t{2}, size_t{3}, size_t{7}, request.size()}) {
    RequestHead head;
    EXPECT_EQ(FeedAll(head, request, chunk), HeadStatus::Complete) << chunk;
    EXPECT_EQ(head.Method(), "GET");
    EXPECT_EQ(head.Path(), "/metrics");
  }
  RequestHead bareLf;
  EXPECT_EQ(FeedAll(bareLf, "HEAD / HTTP/1.0\n\n", 1), HeadStatus::Complete);
  RequestHead partial;
  EXPECT_EQ(FeedAll(partial, "GET /metrics HTTP/1.1\r\nHost: a\r\n", 4), HeadStatus::Incomplete);
}

TEST(RequestHead, HoldsAtMostEightKilobytes) {
  std::string line = "GET /" + std::string(kMaxRequestHead, 'a');
  RequestHead endless;
  EXPECT_EQ(FeedAll(endless, line + " HTTP/1.1\r\n\r\n", 1000), HeadStatus::TooLarge);
  // A head of exactly the limit, its blank line included, is still a head.
  std::string head = "GET / HTTP/1.1\r\nX: ";
  head += std::string(kMaxRequestHead - head.size() - 4, 'b') + "\r\n\r\n";
  ASSERT_EQ(head.size(), kMaxRequestHead);
  RequestHead exact;
  EXPECT_EQ(FeedAll(exact, head, 512), HeadStatus::Complete);
  RequestHead oneMore;
  EXPECT_EQ(FeedAll(oneMore, head.substr(0, 20) + "c" + head.substr(20), 512), HeadStatus::TooLarge);
  // Nothing beyond the limit is kept however much arrives.
  RequestHead flood;
  std::string megabyte(1 << 20, 'a');
  EXPECT_EQ(flood.Feed(megabyte.data(), megabyte.size()), HeadStatus::TooLarge);
  EXPECT_EQ(Answer(line).substr(0, 47), "HTTP/1.1 431 Request Header Fields Too Large\r\nC");
}

TEST(RequestHead, RefusesWhatIsNotAnHttpRequest) {
  for (const std::string& bad :
       {std::string("\x16\x03\x01\x02\x00", 5), std::string("\x00\xff\xfe", 3), std::string("G\x01T"),
        std::string("GET /metrics\r\n\r\n"), std::string("GET metrics HTTP/1.1\r\n\r\n"),
        std::string("GET /metrics HTTP/2.0\r\n\r\n"), std::string(" GET / HTTP/1.1\r\n\r\n"),
        std::string("GET / x HTTP/1.1\r\n\r\n"), std::string("GET /a\x7f HTTP/1.1\r\n\r\n"),
        std::string("GET / HTTP/1.1\r\nX: a\x00\r\n\r\n", 25)}) {
    RequestHead head;
    EXPECT_EQ(FeedAll(head, bad, 1), HeadStatus::Malformed) << bad;
    EXPECT_EQ(Answer(bad).substr(0, 25), "HTTP/1.1 400 Bad Request\r") << bad;
  }
  // Binary rubbish is refused at its first byte, without waiting for a line.
  RequestHead tls;
  EXPECT_EQ(tls.Feed("\x16", 1), HeadStatus::Malformed);
}

TEST(AnswerRequest, RoutesGetAndHeadAndRefusesTheRest) {
  CountingRenderer renderer;
  std::string metrics = Answer("GET /metrics HTTP/1.1\r\n\r\n", &renderer);
  EXPECT_EQ(metrics,
            "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nContent-Length: 13\r\nCache-Control: no-store\r\n"
            "Connection: close\r\n\r\nmetrics body\n");
  std::string head = Answer("HEAD /status.json?pretty HTTP/1.0\r\n\r\n", &renderer);
  EXPECT_EQ(head,
            "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 3\r\nCache-Control: no-store\r\n"
            "Connection: close\r\n\r\n");
  EXPECT_NE(Answer("GET / HTTP/1.1\r\n\r\n").find("\r\n\r\nindex\n"), std::string::npos);
  EXPECT_EQ(renderer.calls, 2);

  std::string post = Answer("POST /metrics HTTP/1.1\r\nContent-Length: 0\r\n\r\n", &renderer);
  EXPECT_EQ(post.substr(0, 33), "HTTP/1.1 405 Method Not Allowed\r\n");
  EXPECT_NE(post.find("\r\nAllow: GET, HEAD\r\n"), std::string::npos);
  EXPECT_EQ(Answer("get /metrics HTTP/1.1\r\n\r\n").substr(0, 13), "HTTP/1.1 405 ");
  EXPECT_EQ(Answer("GET /metrics/ HTTP/1.1\r\n\r\n").substr(0, 23), "HTTP/1.1 404 Not Found\r");
  EXPECT_EQ(Answer("GET /../metrics HTTP/1.1\r\n\r\n").substr(0, 13), "HTTP/1.1 404 ");
  EXPECT_EQ(renderer.calls, 2) << "only answers of 200 render";
  for (const char* request : {"POST / HTTP/1.1\r\n\r\n", "GET /x HTTP/1.1\r\n\r\n"})
    EXPECT_NE(Answer(request).find("\r\nConnection: close\r\n"), std::string::npos);
}

}  // namespace
}  // namespace vantrel
