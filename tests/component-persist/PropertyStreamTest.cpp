#include "component/persist/PropertyStream.h"

#include <cmath>
#include <cstring>

#include <gtest/gtest.h>

#include "common/ComError.h"
#include "tests/support/ButtonBag.h"

namespace pelzorvick {
namespace {

// The button's bag with a caption beyond the Basic Multilingual Plane, a
// false, and a value of the older short type after all the rest.
MemoryPropertyBag SampleBag() {
  MemoryPropertyBag bag = test::ButtonBag();
  bag.Set(u"Text", std::u16string(u"\u65E5\u672C\u00E9\U0001F600"));
  bag.Set(u"AutoSize", false);
  bag.Set(u"Legacy", int16_t{-9});
  return bag;
}

void PutU32(std::vector<uint8_t>& data, std::size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) data[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

TEST(PropertyStreamTest, RoundTripKeepsValuesTypesAndOrder) {
  MemoryPropertyBag bag = SampleBag();
  auto decoded = DecodePropertyStream(EncodePropertyStream(bag));
  ASSERT_TRUE(decoded);
  EXPECT_EQ(*decoded, bag);
  EXPECT_EQ(decoded->Entries()[2].key, u"FontSize");
  EXPECT_TRUE(std::holds_alternative<float>(decoded->Entries()[2].value));
  EXPECT_TRUE(std::holds_alternative<int16_t>(decoded->Entries()[18].value));
}

TEST(PropertyStreamTest, EmptyBagIsJustTheHeader) {
  auto data = EncodePropertyStream(MemoryPropertyBag());
  EXPECT_EQ(data.size(), kPropertyStreamHeaderSize);
  auto decoded = DecodePropertyStream(data);
  ASSERT_TRUE(decoded);
  EXPECT_TRUE(decoded->empty());
}

TEST(PropertyStreamTest, FloatsKeepTheirBits) {
  MemoryPropertyBag bag;
  bag.Set(u"nan", std::nanf(""));
  bag.Set(u"neg0", -0.0f);
  bag.Set(u"tiny", 1e-45f);
  auto decoded = DecodePropertyStream(EncodePropertyStream(bag));
  ASSERT_TRUE(decoded);
  EXPECT_TRUE(std::isnan(std::get<float>(*decoded->Find(u"nan"))));
  EXPECT_TRUE(std::signbit(std::get<float>(*decoded->Find(u"neg0"))));
  EXPECT_EQ(std::get<float>(*decoded->Find(u"tiny")), 1e-45f);
}

TEST(PropertyStreamTest, LayoutIsLittleEndianWithTheDocumentedHeader) {
  MemoryPropertyBag bag;
  bag.WriteBool(u"B", true, false);
  const std::vector<uint8_t> expected = {
      'P', 'Z', 'P', 'S', 1, 0, 0, 0, 22, 0, 0, 0, 1, 0, 0, 0,  // header
      1, 0, 'B', 0, 3, 1};                                      // key "B", bool true
  EXPECT_EQ(EncodePropertyStream(bag), expected);
  EXPECT_EQ(PropertyStreamTotalLength(expected), 22u);
}

TEST(PropertyStreamTest, EveryTruncationIsRefused) {
  auto data = EncodePropertyStream(SampleBag());
  for (std::size_t n = 0; n < data.size(); ++n) {
    EXPECT_FALSE(DecodePropertyStream(std::span(data).first(n))) << n;
    // Also with the header's length fixed up to match the shorter data.
    if (n >= kPropertyStreamHeaderSize) {
      std::vector<uint8_t> cut(data.begin(), data.begin() + n);
      PutU32(cut, 8, static_cast<uint32_t>(n));
      EXPECT_FALSE(DecodePropertyStream(cut)) << n;
    }
  }
}

TEST(PropertyStreamTest, TrailingBytesAreRefused) {
  auto data = EncodePropertyStream(SampleBag());
  data.push_back(0);
  EXPECT_FALSE(DecodePropertyStream(data));
  PutU32(data, 8, static_cast<uint32_t>(data.size()));
  EXPECT_FALSE(DecodePropertyStream(data));  // inside the stated length
}

TEST(PropertyStreamTest, BadHeadersAreRefused) {
  const auto good = EncodePropertyStream(SampleBag());
  struct Mutation {
    const char* what;
    std::size_t at;
    uint8_t value;
  };
  const Mutation mutations[] = {
      {"magic", 0, 'X'},  {"magic", 3, 's'},   {"version 0", 4, 0}, {"version 2", 4, 2},
      {"version high", 5, 1}, {"flags", 6, 1}, {"flags high", 7, 0x80},
      {"length +1", 8, static_cast<uint8_t>(good[8] + 1)},
      {"length beyond", 10, 1},  {"count +1", 12, static_cast<uint8_t>(good[12] + 1)},
      {"count -1", 12, static_cast<uint8_t>(good[12] - 1)},
  };
  for (const auto& m : mutations) {
    auto data = good;
    data[m.at] = m.value;
    EXPECT_FALSE(DecodePropertyStream(data)) << m.what;
  }
  EXPECT_FALSE(PropertyStreamTotalLength(std::span(good).first(kPropertyStreamHeaderSize - 1)));
}

TEST(PropertyStreamTest, HugeCountsAndLengthsAreRefusedWithoutAllocating) {
  auto data = EncodePropertyStream(SampleBag());
  auto huge_count = data;
  PutU32(huge_count, 12, 0xFFFFFFFF);
  EXPECT_FALSE(DecodePropertyStream(huge_count));

  auto huge_total = data;
  PutU32(huge_total, 8, 0xFFFFFFFF);
  EXPECT_FALSE(DecodePropertyStream(huge_total));
  EXPECT_FALSE(PropertyStreamTotalLength(huge_total));

  // The first value is the string of "BackColor": key length 2 bytes + 18.
  const std::size_t string_length_at = kPropertyStreamHeaderSize + 2 + 18 + 1;
  ASSERT_EQ(data[string_length_at], 7);
  auto huge_string = data;
  PutU32(huge_string, string_length_at, 0x7FFFFFFF);
  EXPECT_FALSE(DecodePropertyStream(huge_string));
  auto longer_string = data;
  PutU32(longer_string, string_length_at, 8);
  EXPECT_FALSE(DecodePropertyStream(longer_string));
}

TEST(PropertyStreamTest, BadEntriesAreRefused) {
  auto make = [](std::vector<uint8_t> entry) {
    std::vector<uint8_t> data = {'P', 'Z', 'P', 'S', 1, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
    for (uint8_t b : entry) data.push_back(b);
    PutU32(data, 8, static_cast<uint32_t>(data.size()));
    return data;
  };
  EXPECT_TRUE(DecodePropertyStream(make({1, 0, 'K', 0, 4, 0xF7, 0xFF})));  // int16 -9
  EXPECT_FALSE(DecodePropertyStream(make({1, 0, 'K', 0, 0, 0})));        // tag 0
  EXPECT_FALSE(DecodePropertyStream(make({1, 0, 'K', 0, 5, 0})));        // tag 5
  EXPECT_FALSE(DecodePropertyStream(make({1, 0, 'K', 0, 3, 2})));        // bool 2
  EXPECT_FALSE(DecodePropertyStream(make({0, 0, 3, 1})));                // empty key
  std::vector<uint8_t> long_key = {0x01, 0x01};                          // 257 units
  long_key.resize(2 + 257 * 2, 'a');
  long_key.push_back(3);
  long_key.push_back(1);
  EXPECT_FALSE(DecodePropertyStream(make(long_key)));

  auto twice = make({1, 0, 'K', 0, 3, 1, 1, 0, 'K', 0, 3, 0});
  twice[12] = 2;
  EXPECT_FALSE(DecodePropertyStream(twice));  // duplicate key
}

TEST(PropertyStreamTest, EncodingRefusesWhatCouldNotBeReadBack) {
  MemoryPropertyBag empty_key;
  empty_key.Set(u"", true);
  EXPECT_THROW(EncodePropertyStream(empty_key), ComError);

  MemoryPropertyBag long_key;
  long_key.Set(std::u16string(kMaxPropertyKeyLength + 1, u'k'), true);
  EXPECT_THROW(EncodePropertyStream(long_key), ComError);

  MemoryPropertyBag too_many;
  for (std::size_t i = 0; i <= kMaxPropertyCount; ++i) {
    std::u16string key(i / 26 + 2, u'x');
    key[0] = static_cast<char16_t>(u'A' + i % 26);
    too_many.Set(key, true);
  }
  EXPECT_THROW(EncodePropertyStream(too_many), ComError);

  MemoryPropertyBag big;
  big.Set(u"a", std::u16string(kMaxPropertyStreamSize / 4, u'x'));
  big.Set(u"b", std::u16string(kMaxPropertyStreamSize / 4, u'y'));
  EXPECT_THROW(EncodePropertyStream(big), ComError);
}

TEST(PropertyStreamTest, LongTextsRoundTrip) {
  MemoryPropertyBag bag;
  bag.WriteString(u"Command", std::u16string(40000, u'x'), u"");
  auto decoded = DecodePropertyStream(EncodePropertyStream(bag));
  ASSERT_TRUE(decoded);
  EXPECT_EQ(decoded->ReadString(u"Command", u"").size(), 40000u);
}

}  // namespace
}  // namespace pelzorvick
