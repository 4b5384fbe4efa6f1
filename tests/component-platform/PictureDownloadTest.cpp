#include "component/picture/PictureDownload.h"

#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/ComError.h"
#include "component/picture/PictureDimensions.h"
#include "tests/component-platform/TestSupport.h"
#include "tests/support/Bitmap.h"
#include "tests/support/LoopbackServer.h"

namespace pelzorvick {
namespace {

using test::LoopbackServer;
using test::Raw;
using test::U16;
using test::WaitForClose;

int32_t CompleteError(std::u16string_view url,
                      std::chrono::milliseconds deadline = kPictureDownloadDeadline) {
  auto download = PictureDownload::Start(url, deadline);
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

TEST_F(PictureDownloadTest, DrivePathsThatLeadNowhereFailToComplete) {
  for (std::u16string_view address : {u"x:y", u"C:", u"file:///Q:/no/such.bmp"}) {
    EXPECT_NE(CompleteError(address), 0) << std::string(address.begin(), address.end());
  }
}

// Network paths would hand the user's credentials to their host; other
// schemes reach handlers that are no business of a picture.
TEST_F(PictureDownloadTest, OnlyTheWebAndLocalDrivesAreFetched) {
  const struct {
    std::u16string_view address;
    HRESULT code;
  } refused[] = {
      {u"\\\\127.0.0.1\\share\\x.bmp", E_ACCESSDENIED},
      {u"//127.0.0.1/share/x.bmp", E_ACCESSDENIED},
      {u"\\\\?\\UNC\\127.0.0.1\\share\\x.bmp", E_ACCESSDENIED},
      {u"file://127.0.0.1/share/x.bmp", E_ACCESSDENIED},
      {u"FILE://host/C:/x.bmp", E_ACCESSDENIED},
      {u"file:////127.0.0.1/share/x.bmp", E_ACCESSDENIED},
      {u"file:\\\\127.0.0.1\\share\\x.bmp", E_ACCESSDENIED},
      {u"file://C:/x.bmp", E_ACCESSDENIED},
      {u"file://localhost//127.0.0.1/share/x.bmp", E_ACCESSDENIED},
      {u"res://shell32.dll/2/131", INET_E_UNKNOWN_PROTOCOL},
      {u"res:x.bmp", INET_E_UNKNOWN_PROTOCOL},
      {u"ftp://127.0.0.1/x.bmp", INET_E_UNKNOWN_PROTOCOL},
      {u"mk:@MSITStore:C:\\x.chm::/a.bmp", INET_E_UNKNOWN_PROTOCOL},
      {u"about:blank", INET_E_UNKNOWN_PROTOCOL},
      {u"no-such-protocol://x/y.bmp", INET_E_UNKNOWN_PROTOCOL},
      {u"picture.bmp", INET_E_UNKNOWN_PROTOCOL},
      {u"://", INET_E_UNKNOWN_PROTOCOL},
      {u"%%%", INET_E_UNKNOWN_PROTOCOL},
  };
  for (const auto& r : refused) {
    try {
      PictureDownload::Start(r.address);
      ADD_FAILURE() << "started: " << std::string(r.address.begin(), r.address.end());
    } catch (const ComError& e) {
      EXPECT_EQ(e.code(), static_cast<int32_t>(r.code)) << std::string(r.address.begin(), r.address.end());
    }
  }

  const std::wstring file = folder_.File(L"local.bmp");
  ASSERT_TRUE(test::WriteFileBytes(file, test::MakeBmp(4, 4)));
  std::wstring forward = file;
  for (auto& c : forward) if (c == L'\\') c = L'/';
  for (const std::wstring& address : {L"file:" + forward, L"file:/" + forward, L"FILE:///" + forward,
                                      L"file://localhost/" + forward, L"file:///" + file}) {
    EXPECT_TRUE(PictureDownload::Start(U16(address))->Complete()) << std::string(address.begin(), address.end());
  }
}

TEST_F(PictureDownloadTest, Http) {
  const std::string bmp = test::MakeBmp(16, 12);
  LoopbackServer server({
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
    LoopbackServer server({});
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

// Servers that never close their socket: each fetch gives up at its
// deadline and closes its connection itself, leaving nothing behind.
TEST_F(PictureDownloadTest, ServersThatStallMeetTheDeadline) {
  const std::string bmp = test::MakeBmp(16, 12);
  const std::string head = "HTTP/1.0 200 OK\r\nContent-Type: image/bmp\r\nContent-Length: " +
                           std::to_string(bmp.size()) + "\r\n\r\n";
  LoopbackServer server({
      {"/silent.bmp", Raw("", WaitForClose)},
      {"/half.bmp", Raw(head + bmp.substr(0, 20), WaitForClose)},
      // A byte at a time, each well within any receive timeout.
      {"/trickle.bmp", Raw(head, [](SOCKET client) {
         for (int i = 0; i < 600; ++i) {
           if (send(client, "B", 1, 0) != 1) return;
           Sleep(100);
         }
       })},
      // Some of the picture, then nothing more.
      {"/pause.bmp", Raw(head, [](SOCKET client) {
         for (int i = 0; i < 10; ++i) {
           if (send(client, "B", 1, 0) != 1) return;
           Sleep(100);
         }
         WaitForClose(client);
       })},
  });
  constexpr auto kDeadline = std::chrono::seconds(2);
  int ended = 0;
  for (const char* path : {"/silent.bmp", "/half.bmp", "/trickle.bmp", "/pause.bmp"}) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CompleteError(server.Url(path), kDeadline), static_cast<int32_t>(INET_E_CONNECTION_TIMEOUT)) << path;
    const auto late = std::chrono::steady_clock::now() - start - kDeadline;
    std::printf("%s ended %lld ms after its deadline\n", path,
                static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(late).count()));
    EXPECT_TRUE(server.WaitForEnded(++ended)) << path << ": the connection stayed open";
  }
}

// A picture is no reason to sign in or to be recognised: no cookie goes
// back, and a server that asks for a sign-in gets none.
TEST_F(PictureDownloadTest, NoCookiesAndNoSignIn) {
  const std::string bmp = test::MakeBmp(4, 4);
  const std::string ok = "HTTP/1.0 200 OK\r\nContent-Type: image/bmp\r\nContent-Length: " +
                         std::to_string(bmp.size()) + "\r\nSet-Cookie: visitor=42; path=/\r\n\r\n" + bmp;
  const auto answer = [](std::string text) {
    return Raw(text, [](SOCKET client) {
      shutdown(client, SD_SEND);
      WaitForClose(client);
    });
  };
  LoopbackServer server({
      {"/first.bmp", answer(ok)},
      {"/second.bmp", answer(ok)},
      {"/signin.bmp", answer("HTTP/1.0 401 Unauthorized\r\nWWW-Authenticate: Negotiate\r\n"
                             "WWW-Authenticate: NTLM\r\nWWW-Authenticate: Basic realm=\"x\"\r\n"
                             "Content-Length: 0\r\n\r\n")},
  });
  EXPECT_TRUE(PictureDownload::Start(server.Url("/first.bmp"))->Complete());
  EXPECT_TRUE(PictureDownload::Start(server.Url("/second.bmp"))->Complete());
  EXPECT_EQ(CompleteError(server.Url("/signin.bmp")), static_cast<int32_t>(INET_E_DOWNLOAD_FAILURE));
  const std::vector<std::string> heads = server.Heads();
  ASSERT_EQ(heads.size(), 3u) << "a request was repeated";
  for (const std::string& request : heads) {
    EXPECT_EQ(request.find("Cookie:"), std::string::npos) << request;
    EXPECT_EQ(request.find("Authorization:"), std::string::npos) << request;
  }
}

TEST_F(PictureDownloadTest, AnAnswerOverTheCapFails) {
  LoopbackServer server({
      {"/endless.bmp", Raw("HTTP/1.0 200 OK\r\nContent-Type: image/bmp\r\n\r\n", [](SOCKET client) {
         std::string chunk = test::MakeBmp(16, 12);
         chunk.resize(1 << 16, '\0');
         for (ULONG sent = 0; sent <= kMaxPictureDownloadSize + chunk.size(); sent += chunk.size()) {
           if (send(client, chunk.data(), static_cast<int>(chunk.size()), 0) <= 0) return;
         }
       })},
  });
  EXPECT_EQ(CompleteError(server.Url("/endless.bmp")),
            static_cast<int32_t>(HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE)));
}

// A 1-bit BMP of width x height, its pixels all there.
std::string OneBitBmp(int width, int height) {
  const std::string palette("\0\0\0\0\xFF\xFF\xFF\0", 8);
  const std::size_t size = static_cast<std::size_t>(test::BmpStride(width, 1)) * height;
  return test::BmpFile(width, height, 1, palette, std::string(size, '\x55'));
}

TEST_F(PictureDownloadTest, PicturesOverTheDimensionsFail) {
  // Small files, decoded into bitmaps of 25 million pixels and more.
  const std::wstring wide = folder_.File(L"wide.bmp");
  ASSERT_TRUE(test::WriteFileBytes(wide, OneBitBmp(5000, 5000)));
  EXPECT_EQ(CompleteError(U16(wide)), static_cast<int32_t>(HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE)));
  const std::wstring tall = folder_.File(L"tall.bmp");
  ASSERT_TRUE(test::WriteFileBytes(tall, OneBitBmp(8, 20000)));
  EXPECT_EQ(CompleteError(U16(tall)), static_cast<int32_t>(HRESULT_FROM_WIN32(ERROR_FILE_TOO_LARGE)));
  // Just within: decoded as usual.
  const std::wstring fits = folder_.File(L"fits.bmp");
  ASSERT_TRUE(test::WriteFileBytes(fits, OneBitBmp(4096, 64)));
  auto picture = PictureDownload::Start(U16(fits))->Complete();
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->Width(), Himetric(4096));
}

std::string Le16(unsigned v) { return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }
std::string Be16(unsigned v) { return {static_cast<char>(v >> 8), static_cast<char>(v & 0xFF)}; }
std::string Be32(unsigned v) { return Be16(v >> 16) + Be16(v & 0xFFFF); }

std::string Gif(unsigned screen_w, unsigned screen_h, unsigned frame_w, unsigned frame_h) {
  std::string g = "GIF89a" + Le16(screen_w) + Le16(screen_h) + std::string("\x80\0\0", 3) +
                  std::string("\0\0\0\xff\xff\xff", 6);
  g += std::string("\x21\xF9\x04\x00\x00\x00\x00\x00", 8);  // an extension first
  g += "\x2C" + Le16(0) + Le16(0) + Le16(frame_w) + Le16(frame_h) + std::string("\0", 1);
  g += std::string("\x02\x02\x44\x01\x00\x3B", 6);
  return g;
}

std::string Png(unsigned w, unsigned h) {
  return std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR", 16) + Be32(w) + Be32(h) + std::string("\x08\x02\0\0\0", 5);
}

std::string Jpeg(unsigned w, unsigned h) {
  return std::string("\xFF\xD8\xFF\xE0", 4) + Be16(4) + "JF" + std::string("\xFF\xC2", 2) + Be16(11) +
         std::string("\x08", 1) + Be16(h) + Be16(w) + std::string("\x01\x01\x11\x00", 4) +
         std::string("\xFF\xDA", 2);
}

TEST(PictureHeader, ClaimedDimensionsAreReadBeforeDecoding) {
  const struct {
    const char* name;
    std::string data;
    bool allowed;
  } rows[] = {
      {"bmp", test::MakeBmp(40, 20), true},
      {"bmp top-down", OneBitBmp(16, 16).replace(22, 4, std::string("\x00\xB0\xFF\xFF", 4)), false},
      {"gif", Gif(16, 16, 16, 16), true},
      {"gif screen", Gif(65535, 65535, 1, 1), false},
      {"gif frame", Gif(1, 1, 40000, 2), false},
      {"png", Png(640, 480), true},
      {"png huge", Png(100000, 100000), false},
      {"jpeg", Jpeg(4000, 3000), true},
      {"jpeg huge", Jpeg(65000, 65000), false},
      {"text", "not a picture", true},
  };
  for (const auto& row : rows) EXPECT_EQ(PictureHeaderAllowed(row.data), row.allowed) << row.name;
}

}  // namespace
}  // namespace pelzorvick
