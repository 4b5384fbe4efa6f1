#include "component/win/PictureDownload.h"

#include <winsock2.h>

#include <atomic>
#include <map>
#include <thread>

#include <gtest/gtest.h>

#include "common/ComError.h"
#include "tests/component-platform/TestSupport.h"

namespace pelzorvick {
namespace {

using test::U16;

// A minimal HTTP/1.0 server on 127.0.0.1 answering fixed paths.
class TinyHttpServer {
 public:
  struct Answer {
    int status;
    std::string content_type;
    std::string body;
  };

  explicit TinyHttpServer(std::map<std::string, Answer> answers) : answers_(std::move(answers)) {
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
    listen(listener_, 8);
    thread_ = std::thread([this] { Serve(); });
  }

  ~TinyHttpServer() {
    closesocket(listener_);  // ends accept
    thread_.join();
    WSACleanup();
  }

  std::u16string Url(const std::string& path) const {
    return U16(L"http://127.0.0.1:" + std::to_wstring(port_)) + std::u16string(path.begin(), path.end());
  }
  int requests() const { return requests_; }

 private:
  void Serve() {
    for (;;) {
      SOCKET client = accept(listener_, nullptr, nullptr);
      if (client == INVALID_SOCKET) return;
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
      auto it = answers_.find(path);
      Answer answer = it != answers_.end() ? it->second : Answer{404, "text/html", "<html>not here</html>"};
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

  std::map<std::string, Answer> answers_;
  SOCKET listener_ = INVALID_SOCKET;
  int port_ = 0;
  std::atomic<int> requests_{0};
  std::thread thread_;
};

int32_t CompleteError(std::u16string_view url) {
  auto download = PictureDownload::Start(url);
  try {
    download->Complete();
  } catch (const ComError& e) {
    return e.code();
  }
  return 0;
}

// HIMETRIC of a pixel count at 96 DPI, as OLE pictures report it.
int32_t Himetric(int pixels) { return MulDiv(pixels, 2540, 96); }

class PictureDownloadTest : public ::testing::Test {
 protected:
  test::ScratchFolder folder_{L"download"};
};

TEST_F(PictureDownloadTest, LocalFilesByUrlAndByPath) {
  const std::wstring file = folder_.File(L"picture.bmp");
  ASSERT_TRUE(test::WriteFileBytes(file, test::MakeBmp(40, 20)));

  std::wstring url = L"file:///" + file;
  for (auto& c : url) if (c == L'\\') c = L'/';
  for (const std::u16string& address : {U16(url), U16(file)}) {
    auto download = PictureDownload::Start(address);
    PicturePtr picture = download->Complete();
    ASSERT_TRUE(picture) << std::string(address.begin(), address.end());
    EXPECT_EQ(picture->Width(), Himetric(40));
    EXPECT_EQ(picture->Height(), Himetric(20));
    EXPECT_EQ(download->HttpStatus(), 0u);
    EXPECT_THROW(download->Complete(), ComError);  // once only
  }
}

TEST_F(PictureDownloadTest, UnicodeFileNames) {
  const std::wstring file = folder_.File(L"\u753B\u50CF-\u00E9.bmp");
  ASSERT_TRUE(test::WriteFileBytes(file, test::MakeBmp(8, 8)));
  auto picture = PictureDownload::Start(U16(file))->Complete();
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->Width(), Himetric(8));
}

TEST_F(PictureDownloadTest, FailuresToCompleteLocally) {
  EXPECT_EQ(CompleteError(U16(folder_.File(L"missing.bmp"))), static_cast<int32_t>(INET_E_RESOURCE_NOT_FOUND));
  std::wstring missing_url = L"file:///" + folder_.File(L"missing.bmp");
  EXPECT_EQ(CompleteError(U16(missing_url)), static_cast<int32_t>(INET_E_RESOURCE_NOT_FOUND));

  const std::wstring text = folder_.File(L"not-a-picture.bmp");
  ASSERT_TRUE(test::WriteFileBytes(text, "this is text, not a bitmap"));
  EXPECT_NE(CompleteError(U16(text)), 0);
  const std::wstring empty = folder_.File(L"empty.bmp");
  ASSERT_TRUE(test::WriteFileBytes(empty, ""));
  EXPECT_NE(CompleteError(U16(empty)), 0);
}

TEST_F(PictureDownloadTest, AddressesThatCannotBeUsedFailToStart) {
  EXPECT_THROW(PictureDownload::Start(u""), ComError);
  EXPECT_THROW(PictureDownload::Start(std::u16string(u"file:///C:/a\0b.bmp", 17)), ComError);
  // Addresses the moniker refuses to be made from.
  EXPECT_THROW(PictureDownload::Start(u"http://host:99999/x.bmp"), ComError);
  EXPECT_THROW(PictureDownload::Start(u"http://[zz]/x.bmp"), ComError);
}

TEST_F(PictureDownloadTest, AddressesThatLeadNowhereFailToComplete) {
  for (std::u16string_view address : {u"://", u"%%%", u"x:y", u"no-such-protocol://x/y.bmp", u"C:"}) {
    EXPECT_NE(CompleteError(address), 0) << std::string(address.begin(), address.end());
  }
}

TEST_F(PictureDownloadTest, Http) {
  const std::string bmp = test::MakeBmp(16, 12);
  TinyHttpServer server({
      {"/ok.bmp", {200, "image/bmp", bmp}},
      {"/gone.bmp", {404, "image/bmp", bmp}},  // a picture body under an error status
      {"/broken.bmp", {500, "image/bmp", bmp}},
      {"/page.bmp", {200, "text/html", "<html>hello</html>"}},
  });

  auto download = PictureDownload::Start(server.Url("/ok.bmp"));
  PicturePtr picture = download->Complete();
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->Width(), Himetric(16));
  EXPECT_EQ(picture->Height(), Himetric(12));
  EXPECT_EQ(download->HttpStatus(), 200u);

  auto gone = PictureDownload::Start(server.Url("/gone.bmp"));
  EXPECT_THROW(gone->Complete(), ComError);
  EXPECT_EQ(gone->HttpStatus(), 404u);
  EXPECT_EQ(CompleteError(server.Url("/gone.bmp?again")), static_cast<int32_t>(INET_E_RESOURCE_NOT_FOUND));
  EXPECT_EQ(CompleteError(server.Url("/broken.bmp")), static_cast<int32_t>(INET_E_DOWNLOAD_FAILURE));
  EXPECT_NE(CompleteError(server.Url("/page.bmp")), 0);
  EXPECT_NE(CompleteError(server.Url("/elsewhere.bmp")), 0);
}

TEST_F(PictureDownloadTest, ARefusedConnectionFailsToComplete) {
  // A port that was just free: nobody listens there now.
  int port;
  {
    TinyHttpServer server({});
    std::u16string url = server.Url("/");
    port = std::stoi(std::string(url.begin() + 17, url.end() - 1));
  }
  std::u16string url = U16(L"http://127.0.0.1:" + std::to_wstring(port) + L"/x.bmp");
  auto download = PictureDownload::Start(url);
  try {
    download->Complete();
    FAIL() << "no error";
  } catch (const ComError& e) {
    EXPECT_EQ(e.code(), static_cast<int32_t>(INET_E_DOWNLOAD_FAILURE)) << std::hex << e.code();
  }
}

}  // namespace
}  // namespace pelzorvick
