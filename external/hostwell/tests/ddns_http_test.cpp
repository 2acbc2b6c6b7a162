// Hostwell's server URL, lookup request and answer.
#include "ddns_http.h"

#include <gtest/gtest.h>

namespace {

using namespace hostwell;

TEST(ServerUrl, HostPortAndPath) {
  struct Case {
    const char* url;
    bool ok;
    const char* host = "";
    uint16_t port = 0;
    const char* path = "";
  } cases[] = {
      {"http://127.0.0.1:8053/", true, "127.0.0.1", 8053, "/"},
      {"http://ddns.example.net", true, "ddns.example.net", 80, "/"},
      {"http://h:1/api", true, "h", 1, "/api/"},
      {"https://h/", false}, {"127.0.0.1:8053", false}, {"http://", false}, {"http://:80/", false},
      {"http://h:0/", false}, {"http://h:65536/", false}, {"http://h:8x/", false}, {"http://h:/", false},
      {"", false},
  };
  for (const Case& c : cases) {
    std::optional<ServerUrl> s = ParseServerUrl(c.url);
    ASSERT_EQ(s.has_value(), c.ok) << c.url;
    if (!s) continue;
    EXPECT_EQ(s->host, c.host);
    EXPECT_EQ(s->port, c.port);
    EXPECT_EQ(s->path, c.path);
  }
}

TEST(LookupRequest, WithAndWithoutTheName) {
  ServerUrl s = *ParseServerUrl("http://127.0.0.1:8053/");
  std::string name = "front door&1";
  EXPECT_EQ(LookupRequest(s, "m7", &name),
            "GET /lookup?member=m7&name=front%20door%261 HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
  EXPECT_EQ(LookupRequest(s, "m7", nullptr), "GET /lookup?member=m7 HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");
}

TEST(Answer, StatusAndBothLines) {
  EXPECT_EQ(AnswerStatus("HTTP/1.0 404 Not Found\r\n\r\n"), 404);
  EXPECT_FALSE(AnswerStatus("garbage"));
  EXPECT_FALSE(AnswerStatus(""));
  struct Case {
    const char* answer;
    bool ok;
    const char* address = "";
    int32_t port = 0;
  } cases[] = {
      {"HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\naddress=10.0.0.9\r\nport=50001\r\n", true, "10.0.0.9", 50001},
      {"HTTP/1.1 200 OK\n\nport=7\naddress=cam.example.net", true, "cam.example.net", 7},
      {"HTTP/1.0 200 OK\r\n\r\naddress=10.0.0.9\r\n", false},
      {"HTTP/1.0 200 OK\r\n\r\nport=1\r\n", false},
      {"HTTP/1.0 200 OK\r\n\r\naddress=\r\nport=1\r\n", false},
      {"HTTP/1.0 200 OK\r\n\r\naddress=a\r\nport=x1\r\n", false},
      {"HTTP/1.0 500 Oops\r\n\r\naddress=10.0.0.9\r\nport=1\r\n", false},
      {"HTTP/1.0 200 OK\r\naddress=10.0.0.9\r\nport=1\r\n", false},  // no body
  };
  for (const Case& c : cases) {
    std::optional<Lookup> l = AnswerLookup(c.answer);
    ASSERT_EQ(l.has_value(), c.ok) << c.answer;
    if (!l) continue;
    EXPECT_EQ(l->address, c.address);
    EXPECT_EQ(l->port, c.port);
  }
}

}  // namespace
