// Date-text parsing must cost time in proportion to the text it is given.
#include <benchmark/benchmark.h>

#include <string>

#include "runtime/library/datetime.h"

namespace {

// A digit run of the given length: the parser reads all of it before it
// rejects a compact text longer than 14 digits.
void BM_ParseDateTimeText_Digits(benchmark::State& state) {
  const std::string text(static_cast<size_t>(state.range(0)), '7');
  for (auto _ : state) {
    DateTime value;
    benchmark::DoNotOptimize(ParseDateTimeText(text.c_str(), &value));
    benchmark::DoNotOptimize(value);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ParseDateTimeText_Digits)->Arg(2 << 10)->Arg(1 << 20);

// A well-formed date-time in the Chinese form, for the cost of one parse.
void BM_ParseDateTimeText_Chinese(benchmark::State& state) {
  // 2024-01-15 10:20:30 with the markers of year, month, day, hour, minute and second.
  const char* text =
      "2024\xC4\xEA\x31\xD4\xC2\x31\x35\xC8\xD5\x31\x30\xCA\xB1\x32\x30\xB7\xD6\x33\x30\xC3\xEB";
  for (auto _ : state) {
    DateTime value;
    benchmark::DoNotOptimize(ParseDateTimeText(text, &value));
    benchmark::DoNotOptimize(value);
  }
}
BENCHMARK(BM_ParseDateTimeText_Chinese);

}  // namespace
