// Throughput of the conversions typed and read texts go through, at sizes far
// apart: their cost must grow in proportion to the text.
#include <benchmark/benchmark.h>

#include <string>
#include <type_traits>

#include "runtime/library/conversions.h"

// Full-width digits and solidi, Chinese, ASCII and blanks; or nothing but
// solidi, where each replacement grows ReplaceAll's output (its worst case).
constexpr char kMixed[] = "\xA3\xB1\xD6\xD0\xA3\xAF 7\xA1\xA1", kSolidi[] = "\xA3\xAF";

template <typename Result>
static void BM_Text(benchmark::State& state, LibraryOperation<Result> operation, const char* unit) {
  std::string text;
  while (static_cast<int64_t>(text.size()) < state.range(0)) text += unit;
  for (auto _ : state) {
    Result result = CallLibrary(operation, {TextSlot(text.c_str())});
    benchmark::DoNotOptimize(result);
    if constexpr (std::is_pointer_v<Result>) FreeBlock(result);
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK_CAPTURE(BM_Text, ToInteger, ToInteger, kMixed)->Arg(2 << 10)->Arg(1 << 20);
BENCHMARK_CAPTURE(BM_Text, ToHalfWidth, ToHalfWidth, kMixed)->Arg(2 << 10)->Arg(1 << 20);
BENCHMARK_CAPTURE(BM_Text, TrimBlanks, TrimBlanks, kMixed)->Arg(2 << 10)->Arg(1 << 20);
BENCHMARK_CAPTURE(BM_Text, ReplaceAll, ToHalfWidth, kSolidi)->Arg(2 << 10)->Arg(1 << 20);

BENCHMARK_MAIN();
