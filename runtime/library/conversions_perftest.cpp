// Conversions must cost time in proportion to their input; ReplaceAll's
// growth rule is measured on its worst case, a text of nothing but matches.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "runtime/core/text.h"
#include "runtime/library/conversions.h"

namespace {

constexpr int64_t kSmall = 2 << 10;
constexpr int64_t kLarge = 1 << 20;

// `unit` repeated to `bytes` bytes.
std::string Repeat(const std::string& unit, int64_t bytes) {
  std::string text;
  text.reserve(static_cast<size_t>(bytes));
  while (static_cast<int64_t>(text.size() + unit.size()) <= bytes) text += unit;
  return text;
}

template <typename Operation>
void RunOnText(benchmark::State& state, const std::string& text, Operation operation) {
  for (auto _ : state) {
    Text result = CallLibrary(operation, {TextSlot(text.c_str())});
    benchmark::DoNotOptimize(result);
    FreeBlock(result);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

// Full-width digits: mapped to ASCII, then read with wrap-around.
void BM_ToInteger(benchmark::State& state) {
  const std::string text = Repeat("\xA3\xB1\xA3\xB2\xA3\xB3", state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(CallLibrary(ToInteger, {TextSlot(text.c_str())}));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ToInteger)->Arg(kSmall)->Arg(kLarge);

// A quarter spaces, half Chinese text, a quarter full-width spaces.
void BM_TrimBlanks(benchmark::State& state) {
  int64_t quarter = state.range(0) / 4;
  const std::string text =
      Repeat(" ", quarter) + Repeat("\xD6\xD0", 2 * quarter) + Repeat("\xA1\xA1", quarter);
  RunOnText(state, text, TrimBlanks);
}
BENCHMARK(BM_TrimBlanks)->Arg(kSmall)->Arg(kLarge);

// Full-width letters and digits between Chinese characters, no solidus.
void BM_ToHalfWidth(benchmark::State& state) {
  RunOnText(state, Repeat("\xA3\xC1\xD6\xD0\xA3\xB1 x", state.range(0)), ToHalfWidth);
}
BENCHMARK(BM_ToHalfWidth)->Arg(kSmall)->Arg(kLarge);

// As many doubles as fill the input size, each formatted on its own.
void BM_ToTextOfDoubles(benchmark::State& state) {
  std::vector<double> values(static_cast<size_t>(state.range(0)) / sizeof(double));
  for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<double>(i) * 1234.5678 - 9e5;
  for (auto _ : state) {
    for (double value : values) {
      Text text = CallLibrary(ToText, {DoubleSlot(value)});
      benchmark::DoNotOptimize(text);
      FreeBlock(text);
    }
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ToTextOfDoubles)->Arg(kSmall)->Arg(kLarge);

// Nothing but full-width solidi: every character is a match and the output
// grows by one byte per match.
void BM_ReplaceAllSolidi(benchmark::State& state) {
  const std::string text = Repeat("\xA3\xAF", state.range(0));
  for (auto _ : state) {
    Text value = text.c_str();
    if (ReplaceAll(&value, "\xA3\xAF", "/", false)) FreeBlock(value);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ReplaceAllSolidi)->Arg(kSmall)->Arg(64 << 10)->Arg(256 << 10)->Arg(kLarge);

}  // namespace

BENCHMARK_MAIN();
