// The control's eighteen stored properties through the stream codec: one
// save (encode) and one load (decode) of a typical button.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "component/persist/PropertyStream.h"

namespace {

using pelzorvick::MemoryPropertyBag;

// What a button with a few fallback commands writes, in writing order.
MemoryPropertyBag TypicalBag() {
  MemoryPropertyBag bag;
  bag.WriteString(u"BackColor", u"#F0F0F0", u"");
  bag.WriteString(u"ForeColor", u"navy", u"");
  bag.WriteSingle(u"FontSize", 10.5f, 9);
  bag.WriteString(u"Control", u"Button", u"");
  bag.WriteString(u"Text", u"Open the report", u"");
  bag.WriteString(u"ImageURL", u"", u"");
  bag.WriteString(u"Command", u"\"C:\\Program Files\\Office\\winword.exe\" /q report.docx", u"");
  bag.WriteString(u"Command1", u"C:\\Windows\\notepad.exe report.txt", u"");
  bag.WriteString(u"Command2", u"write.exe report.txt", u"");
  const char16_t* const rest[] = {u"Command3", u"Command4", u"Command5", u"Command6",
                                  u"Command7", u"Command8", u"Command9"};
  for (const char16_t* key : rest) bag.WriteString(key, u"", u"");
  bag.WriteBool(u"AutoSize", true, true);
  bag.WriteBool(u"Border", true, true);
  return bag;
}

void EncodeEighteen(benchmark::State& state) {
  const MemoryPropertyBag bag = TypicalBag();
  std::size_t bytes = 0;
  for (auto _ : state) {
    std::vector<uint8_t> out = pelzorvick::EncodePropertyStream(bag);
    bytes = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["stream_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(EncodeEighteen);

void DecodeEighteen(benchmark::State& state) {
  const std::vector<uint8_t> stream = pelzorvick::EncodePropertyStream(TypicalBag());
  for (auto _ : state) {
    auto bag = pelzorvick::DecodePropertyStream(stream);
    if (!bag || bag->size() != 18) state.SkipWithError("the stream did not load");
    benchmark::DoNotOptimize(bag);
  }
  state.counters["stream_bytes"] = static_cast<double>(stream.size());
}
BENCHMARK(DecodeEighteen);

}  // namespace
