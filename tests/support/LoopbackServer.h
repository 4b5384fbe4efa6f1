#pragma once
// A minimal HTTP/1.0 server on 127.0.0.1 for the Windows tests: fixed
// answers by path, one connection at a time, each request's head kept.

#include <winsock2.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace pelzorvick::test {

class LoopbackServer {
 public:
  struct Answer {
    int status;
    std::string content_type;
    std::string body;
    // When set, answers the connection itself instead.
    std::function<void(SOCKET)> custom = nullptr;
  };

  explicit LoopbackServer(std::map<std::string, Answer> answers);
  // Ends a stalled answer, then the server.
  ~LoopbackServer();

  std::u16string Url(const std::string& path) const;
  int requests() const { return requests_; }
  // The head of every request so far.
  std::vector<std::string> Heads();
  // Waits up to `limit` until `count` connections answered by a custom
  // answer have ended.
  bool WaitForEnded(int count, std::chrono::milliseconds limit = std::chrono::seconds(20));

 private:
  void Serve();

  std::map<std::string, Answer> answers_;
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::atomic<int> requests_{0};
  std::atomic<SOCKET> current_{INVALID_SOCKET};
  std::mutex lock_;
  std::condition_variable ended_changed_;
  std::vector<std::string> heads_;
  int ended_ = 0;
  std::thread thread_;
};

// A custom answer: the answer's head, then whatever `then` does.
LoopbackServer::Answer Raw(std::string head, std::function<void(SOCKET)> then);

// Until the client goes away or the server ends: a server that stalls.
void WaitForClose(SOCKET client);

}  // namespace pelzorvick::test
