#include "tests/support/LoopbackServer.h"

namespace pelzorvick::test {

LoopbackServer::LoopbackServer(std::map<std::string, Answer> answers) : answers_(std::move(answers)) {
  WSADATA wsa;
  WSAStartup(MAKEWORD(2, 2), &wsa);
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
  int length = sizeof address;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  listen(listener_, 16);
  thread_ = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer() {
  closesocket(listener_);  // ends accept
  const SOCKET client = current_.exchange(INVALID_SOCKET);
  if (client != INVALID_SOCKET) shutdown(client, SD_BOTH);  // ends a stalled answer
  thread_.join();
  WSACleanup();
}

std::u16string LoopbackServer::Url(const std::string& path) const {
  const std::string url = "http://127.0.0.1:" + std::to_string(port_) + path;
  return std::u16string(url.begin(), url.end());
}

std::vector<std::string> LoopbackServer::Heads() {
  const std::lock_guard<std::mutex> hold(lock_);
  return heads_;
}

bool LoopbackServer::WaitForEnded(int count, std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> hold(lock_);
  return ended_changed_.wait_for(hold, limit, [&] { return ended_ >= count; });
}

void LoopbackServer::Serve() {
  for (;;) {
    SOCKET client = accept(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) return;
    current_ = client;
    ++requests_;
    std::string request;
    char buffer[2048];
    while (request.find("\r\n\r\n") == std::string::npos) {
      int got = recv(client, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      request.append(buffer, got);
    }
    std::string path;
    auto first_space = request.find(' ');
    if (first_space != std::string::npos) {
      path = request.substr(first_space + 1, request.find(' ', first_space + 1) - first_space - 1);
    }
    {
      const std::lock_guard<std::mutex> hold(lock_);
      heads_.push_back(request);
    }
    auto it = answers_.find(path);
    Answer answer = it != answers_.end() ? it->second : Answer{404, "text/html", "<html>not here</html>"};
    if (answer.custom) {
      answer.custom(client);
      current_ = INVALID_SOCKET;
      closesocket(client);
      const std::lock_guard<std::mutex> hold(lock_);
      ++ended_;
      ended_changed_.notify_all();
      continue;
    }
    std::string response = "HTTP/1.0 " + std::to_string(answer.status) + " Whatever\r\nContent-Type: " +
                           answer.content_type + "\r\nContent-Length: " + std::to_string(answer.body.size()) +
                           "\r\nConnection: close\r\n\r\n" + answer.body;
    send(client, response.data(), static_cast<int>(response.size()), 0);
    shutdown(client, SD_SEND);
    while (recv(client, buffer, sizeof buffer, 0) > 0) {
    }
    closesocket(client);
  }
}

LoopbackServer::Answer Raw(std::string head, std::function<void(SOCKET)> then) {
  return {0, "", "", [head, then](SOCKET client) {
            if (!head.empty()) send(client, head.data(), static_cast<int>(head.size()), 0);
            then(client);
          }};
}

void WaitForClose(SOCKET client) {
  char buffer[256];
  while (recv(client, buffer, sizeof buffer, 0) > 0) {
  }
}

}  // namespace pelzorvick::test
