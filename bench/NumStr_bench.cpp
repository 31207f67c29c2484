// The length format per number: the fast path, the exact reference, and plain std::to_chars as a floor.

#include <benchmark/benchmark.h>

#include <charconv>
#include <random>
#include <vector>

#include "toolpath/NumStr.h"

namespace {

// Coordinates as programs have them: a few decimals, and the sums of a pass step.
std::vector<double> Coordinates() {
  std::mt19937_64 random(42);
  std::uniform_int_distribution<int> micro(-3'000'000, 3'000'000);
  std::vector<double> values;
  double row = 0.05;
  for (int i = 0; i < 4096; ++i) {
    values.push_back(i % 2 ? micro(random) / 1000.0 : row);
    row = (0.1 + row) - 0.01;
  }
  return values;
}

// Exact ties of the three-decimal rounding: every one takes the careful path.
std::vector<double> Ties() {
  std::vector<double> values;
  for (int i = 0; i < 4096; ++i) values.push_back(i * 0.125 + 0.0625);
  return values;
}

void Run(benchmark::State& state, const std::vector<double>& values, char* (*format)(char*, double)) {
  char buffer[kNumStrMaxChars];
  for (auto _ : state) {
    for (double v : values) benchmark::DoNotOptimize(format(buffer, v));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * values.size()));
}

char* Fast(char* out, double v) {
  return NumStrTo(out, v);
}
char* Reference(char* out, double v) {
  const std::string s = NumStrReference(v);
  return std::copy(s.begin(), s.end(), out);
}
char* ToCharsFixed3(char* out, double v) {
  return std::to_chars(out, out + kNumStrMaxChars, v, std::chars_format::fixed, 3).ptr;
}

}  // namespace

static void BM_NumStr_Coordinates(benchmark::State& s) {
  Run(s, Coordinates(), Fast);
}
static void BM_NumStr_Ties(benchmark::State& s) {
  Run(s, Ties(), Fast);
}
static void BM_NumStrReference_Coordinates(benchmark::State& s) {
  Run(s, Coordinates(), Reference);
}
static void BM_ToCharsFixed3_Coordinates(benchmark::State& s) {
  Run(s, Coordinates(), ToCharsFixed3);
}
BENCHMARK(BM_NumStr_Coordinates);
BENCHMARK(BM_NumStr_Ties);
BENCHMARK(BM_NumStrReference_Coordinates);
BENCHMARK(BM_ToCharsFixed3_Coordinates);
