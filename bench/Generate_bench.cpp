// The big job end to end: generating its program to a file against writing the same bytes from memory
// to the same folder, and the peak memory of a generation, which must not grow with the program.
// The folder is the current one, or SKIMPLANE_BENCH_DIR.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "toolpath/GenerateCode.h"

namespace fs = std::filesystem;

namespace {

fs::path Folder() {
  const char* dir = std::getenv("SKIMPLANE_BENCH_DIR");
  return dir ? fs::path(dir) : fs::current_path();
}

// Face 3000 x 2000, diameter 0.1, overlap 0.01, passes along X: about 4.4 million lines, 70 MB.
TJobEntries BigJob(int layers = 100) {
  TJobEntries e;
  e.XPos = 3000;
  e.YPos = 2000;
  e.Knit = 0.1;
  e.Cross = 0.01;
  e.Layer = layers;
  e.Mode = kModeXZigzag;
  return e;
}

TProgramRequest Request(const TJobEntries& e, const fs::path& out) {
  return {CheckJob(e), out, out.string(), "2011-06-18 14:05"};
}

// The machine's own pace: the bytes in 1 MB blocks straight to a new file, synced, renamed into place.
void WritePlainly(const fs::path& target, const std::string& bytes) {
  const fs::path temp = target.string() + ".tmp";
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) std::abort();
  for (std::size_t at = 0; at < bytes.size();) {
    const ssize_t n = ::write(fd, bytes.data() + at, std::min<std::size_t>(bytes.size() - at, 1 << 20));
    if (n <= 0) std::abort();
    at += static_cast<std::size_t>(n);
  }
  ::fsync(fd);
  ::close(fd);
  fs::rename(temp, target);
}

double bestGenerate = 1e300, bestCopy = 1e300;  // seconds per run

void BM_GenerateBigJobToFile(benchmark::State& state) {
  const fs::path out = Folder() / "skimplane-bench-generated.nc";
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    GenerateCode(Request(BigJob(), out));
    bestGenerate = std::min(bestGenerate,
                            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  const auto size = static_cast<int64_t>(fs::file_size(out));
  state.SetBytesProcessed(state.iterations() * size);
  state.counters["MB"] = static_cast<double>(size) / 1e6;
}

void BM_WriteSameBytesFromMemory(benchmark::State& state) {
  const fs::path generated = Folder() / "skimplane-bench-generated.nc";
  if (!fs::exists(generated)) GenerateCode(Request(BigJob(), generated));
  std::ifstream in(generated, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const fs::path out = Folder() / "skimplane-bench-copy.nc";
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    WritePlainly(out, bytes);
    bestCopy =
        std::min(bestCopy, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
  fs::remove(out);
}

// Peak resident memory (kB) of a child process that generates the job with the given layer count.
long PeakMemoryOfGeneration(int layers) {
  const pid_t child = ::fork();
  if (child == 0) {
    try {
      GenerateCode(
          Request(BigJob(layers), Folder() / ("skimplane-bench-rss-" + std::to_string(layers) + ".nc")));
    } catch (...) {
      ::_exit(1);
    }
    ::_exit(0);
  }
  int status = 0;
  rusage usage{};
  ::wait4(child, &status, 0, &usage);
  fs::remove(Folder() / ("skimplane-bench-rss-" + std::to_string(layers) + ".nc"));
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? usage.ru_maxrss : -1;
}

void BM_PeakMemory(benchmark::State& state) {
  const int layers = static_cast<int>(state.range(0));
  long kb = 0;
  for (auto _ : state) kb = PeakMemoryOfGeneration(layers);
  state.counters["maxrss_kB"] = static_cast<double>(kb);
}

// The price of safe crossings: a face whose relative retracts go below its top is worked out once for one
// layer (its cut map at its largest, 4 million cells) before the program is written. Measured in memory,
// with and without the plan (an absolute retract needs none).
void BM_GenerateWithCrossingPlan(benchmark::State& state) {
  TJobEntries e;
  e.XPos = e.YPos = static_cast<double>(state.range(0));
  e.Layer = 5;
  e.ZUpAbs = state.range(1) != 0;
  for (auto _ : state) {
    TGCodeMemorySink sink;
    TGCodeFile list(sink);
    WriteProgram({CheckJob(e), {}, "bench.nc", "2011-06-18 14:05"}, list);
    benchmark::DoNotOptimize(sink.Lines().size());
  }
}

}  // namespace

BENCHMARK(BM_GenerateWithCrossingPlan)
    ->Args({200, 0})
    ->Args({200, 1})
    ->Args({500, 0})
    ->Args({500, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GenerateBigJobToFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_WriteSameBytesFromMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_PeakMemory)
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  fs::remove(Folder() / "skimplane-bench-generated.nc");
  if (bestGenerate < 1e300 && bestCopy < 1e300) {
    std::printf(
        "generation to file / writing the same bytes from memory: %.2f (best runs %.3f s vs %.3f s)\n",
        bestGenerate / bestCopy, bestGenerate, bestCopy);
  }
  return 0;
}
