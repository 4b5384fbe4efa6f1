#include "component/persist/PropertyStream.h"

#include <cstring>

#include "common/ComError.h"

namespace pelzorvick {

namespace {

constexpr uint8_t kMagic[4] = {'P', 'Z', 'P', 'S'};

enum Tag : uint8_t { kTagString = 1, kTagSingle = 2, kTagBool = 3, kTagInt16 = 4 };

class Writer {
 public:
  void U8(uint8_t v) { out_.push_back(v); }
  void U16(uint16_t v) { U8(v & 0xFF); U8(v >> 8); }
  void U32(uint32_t v) { U16(v & 0xFFFF); U16(v >> 16); }
  void Text(std::u16string_view text) { for (char16_t c : text) U16(c); }
  void PatchU32(std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) out_[at + i] = static_cast<uint8_t>(v >> (8 * i));
  }
  std::size_t size() const { return out_.size(); }
  std::vector<uint8_t> Take() { return std::move(out_); }

 private:
  std::vector<uint8_t> out_;
};

// Every read checks the remaining bytes first; a failed read poisons the
// reader so that callers may check once at the end of a step.
class Reader {
 public:
  explicit Reader(std::span<const uint8_t> data) : data_(data) {}

  bool ok() const { return ok_; }
  std::size_t remaining() const { return data_.size() - pos_; }

  uint8_t U8() { return Has(1) ? data_[pos_++] : 0; }
  uint16_t U16() {
    if (!Has(2)) return 0;
    uint16_t v = static_cast<uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
    pos_ += 2;
    return v;
  }
  uint32_t U32() {
    uint32_t lo = U16();
    uint32_t hi = U16();
    return lo | (hi << 16);
  }
  // `units` UTF-16 code units, allocated only once they are known to be there.
  std::u16string Text(std::size_t units) {
    if (units > remaining() / 2) {
      ok_ = false;
      return {};
    }
    std::u16string text(units, u'\0');
    for (auto& c : text) c = U16();
    return text;
  }
  bool Bytes(void* out, std::size_t n) {
    if (!Has(n)) return false;
    std::memcpy(out, data_.data() + pos_, n);
    pos_ += n;
    return true;
  }

 private:
  bool Has(std::size_t n) {
    if (!ok_ || remaining() < n) ok_ = false;
    return ok_;
  }

  std::span<const uint8_t> data_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

uint32_t FloatBits(float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

float BitsToFloat(uint32_t bits) {
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

struct Header {
  uint32_t total_length;
  uint32_t count;
};

std::optional<Header> ReadHeader(Reader& in) {
  uint8_t magic[4];
  if (!in.Bytes(magic, sizeof magic) || std::memcmp(magic, kMagic, sizeof magic) != 0) return std::nullopt;
  uint16_t version = in.U16();
  uint16_t flags = in.U16();
  Header h{in.U32(), in.U32()};
  if (!in.ok() || version != kPropertyStreamVersion || flags != 0) return std::nullopt;
  if (h.total_length < kPropertyStreamHeaderSize || h.total_length > kMaxPropertyStreamSize) return std::nullopt;
  if (h.count > kMaxPropertyCount) return std::nullopt;
  return h;
}

std::optional<PropertyValue> ReadValue(Reader& in) {
  switch (in.U8()) {
    case kTagString: {
      uint32_t length = in.U32();
      std::u16string text = in.Text(length);
      if (!in.ok()) return std::nullopt;
      return PropertyValue(std::move(text));
    }
    case kTagSingle: {
      uint32_t bits = in.U32();
      if (!in.ok()) return std::nullopt;
      return PropertyValue(BitsToFloat(bits));
    }
    case kTagBool: {
      uint8_t b = in.U8();
      if (!in.ok() || b > 1) return std::nullopt;
      return PropertyValue(b == 1);
    }
    case kTagInt16: {
      uint16_t v = in.U16();
      if (!in.ok()) return std::nullopt;
      return PropertyValue(static_cast<int16_t>(v));
    }
    default:
      return std::nullopt;
  }
}

}  // namespace

std::vector<uint8_t> EncodePropertyStream(const MemoryPropertyBag& bag) {
  if (bag.size() > kMaxPropertyCount) ThrowOverflow();
  Writer out;
  for (uint8_t b : kMagic) out.U8(b);
  out.U16(kPropertyStreamVersion);
  out.U16(0);
  out.U32(0);  // total length, patched below
  out.U32(static_cast<uint32_t>(bag.size()));
  for (const auto& [key, value] : bag.Entries()) {
    if (key.empty() || key.size() > kMaxPropertyKeyLength) ThrowOverflow();
    out.U16(static_cast<uint16_t>(key.size()));
    out.Text(key);
    if (auto* s = std::get_if<std::u16string>(&value)) {
      // Checked before writing so that a huge text cannot grow the buffer
      // far beyond the limit.
      if (s->size() > kMaxPropertyStreamSize / 2) ThrowOverflow();
      out.U8(kTagString);
      out.U32(static_cast<uint32_t>(s->size()));
      out.Text(*s);
    } else if (auto* f = std::get_if<float>(&value)) {
      out.U8(kTagSingle);
      out.U32(FloatBits(*f));
    } else if (auto* b = std::get_if<bool>(&value)) {
      out.U8(kTagBool);
      out.U8(*b ? 1 : 0);
    } else {
      out.U8(kTagInt16);
      out.U16(static_cast<uint16_t>(std::get<int16_t>(value)));
    }
    if (out.size() > kMaxPropertyStreamSize) ThrowOverflow();
  }
  out.PatchU32(8, static_cast<uint32_t>(out.size()));
  return out.Take();
}

std::optional<uint32_t> PropertyStreamTotalLength(std::span<const uint8_t> header) {
  if (header.size() < kPropertyStreamHeaderSize) return std::nullopt;
  Reader in(header.first(kPropertyStreamHeaderSize));
  auto h = ReadHeader(in);
  if (!h) return std::nullopt;
  return h->total_length;
}

std::optional<MemoryPropertyBag> DecodePropertyStream(std::span<const uint8_t> data) {
  Reader in(data);
  auto header = ReadHeader(in);
  if (!header || header->total_length != data.size()) return std::nullopt;

  MemoryPropertyBag bag;
  for (uint32_t i = 0; i < header->count; ++i) {
    uint16_t key_length = in.U16();
    if (!in.ok() || key_length == 0 || key_length > kMaxPropertyKeyLength) return std::nullopt;
    std::u16string key = in.Text(key_length);
    if (!in.ok() || bag.Find(key)) return std::nullopt;
    auto value = ReadValue(in);
    if (!value) return std::nullopt;
    bag.Set(key, std::move(*value));
  }
  if (in.remaining() != 0) return std::nullopt;
  return bag;
}

}  // namespace pelzorvick
