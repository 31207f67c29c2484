// Reading a large INI file: one root key per block, each with one value, written to a real file and read
// through LoadFromFile as the window, skimplane-cli --settings and the web import read a settings file.
// 500,000 blocks come to 16.5 MB, just below the reader's 16 MiB limit. The folder is the current one, or
// SKIMPLANE_BENCH_DIR.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "dvTools/dvIniTools.h"

namespace fs = std::filesystem;

namespace {

fs::path Folder() {
  const char* dir = std::getenv("SKIMPLANE_BENCH_DIR");
  return dir ? fs::path(dir) : fs::current_path();
}

// Four base-36 digits name 1.6 million root keys; the names are all different, so every root key line
// is a new root key and each lookup must miss.
std::string BlocksText(int blocks) {
  static constexpr char kDigits[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
  std::string text;
  text.reserve(static_cast<std::size_t>(blocks) * 33);
  for (int i = 0; i < blocks; ++i) {
    char name[4];
    for (int d = 3, n = i; d >= 0; --d, n /= 36) name[d] = kDigits[n % 36];
    text.append(name, 4).append(":[%RootKey%]\r\n[%\r\n  V:1\r\n%]\r\n");
  }
  return text;
}

void BM_ReadBlocks(benchmark::State& state) {
  const int blocks = static_cast<int>(state.range(0));
  const fs::path file = Folder() / "ini_read_bench.ini";
  const std::string text = BlocksText(blocks);
  std::ofstream(file, std::ios::binary).write(text.data(), static_cast<std::streamsize>(text.size()));
  for (auto _ : state) {
    TDVIniFile ini;
    ini.LoadFromFile(file);
    benchmark::DoNotOptimize(ini.RootItem()->LastChild);
  }
  fs::remove(file);
  state.counters["bytes"] = static_cast<double>(text.size());
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadBlocks)->Arg(50'000)->Arg(500'000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
