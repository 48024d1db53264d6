// Throughput and peak memory of parse_acf on a large libraryfolders.vdf-shaped
// document, read from memory and from the file; the share of the copy it
// returns; and the floor set by the document model: the same document's
// pairs stored, copied and destroyed without any parsing.
//
//   acf_benchmark [benchmark options] DOCUMENT
//   acf_benchmark_free_heap [benchmark options] DOCUMENT   (on a heap that costs nothing)
//
// Each benchmark should run in a process of its own (--benchmark_filter) for
// its peak memory to be its own.

#include "acf/acf_parser.hpp"
#include "benchmark_heap.hpp"
#include "model_floor.hpp"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

struct file_closer {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

// The process's peak resident memory so far, in MiB.
double peak_mib() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
}

std::u8string read_all(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return std::u8string(bytes.begin(), bytes.end());
}

void report(benchmark::State& state, std::uintmax_t bytes) {
  const double processed = static_cast<double>(state.iterations()) * static_cast<double>(bytes);
  state.SetBytesProcessed(static_cast<std::int64_t>(processed));
  state.counters["MB/s"] = benchmark::Counter(processed / 1e6, benchmark::Counter::kIsRate);
  state.counters["document_MB"] = static_cast<double>(bytes) / 1e6;
  state.counters["peak_MiB"] = peak_mib();
}

// Runs one measurement, `measure`, which returns the document's size, then
// reports it. Whatever `measure` allocates is given back before the report,
// so that each run of a benchmark reuses the memory of the run before.
template <class measure_type>
void run(benchmark::State& state, measure_type measure) {
  std::uintmax_t bytes = 0;
  {
    const heap_rewind whole_run;
    bytes = measure();
  }
  report(state, bytes);
}

void parse_from_memory(benchmark::State& state, const std::filesystem::path& file) {
  run(state, [&] {
    const std::u8string document = read_all(file);
    for (auto _ : state) {
      const heap_rewind iteration;
      acf_stream input(document);
      acf_parser parser;
      benchmark::DoNotOptimize(parser.parse_acf(input));
    }
    return document.size();
  });
}

void parse_from_file(benchmark::State& state, const std::filesystem::path& file) {
  run(state, [&] {
    for (auto _ : state) {
      const heap_rewind iteration;
      const std::unique_ptr<std::FILE, file_closer> opened(std::fopen(file.c_str(), "r"));
      acf_file_stream input(opened.get());
      acf_parser parser;
      benchmark::DoNotOptimize(parser.parse_acf(input));
    }
    return std::filesystem::file_size(file);
  });
}

// What the copy that parse_acf returns costs on its own: copying the parsed
// document and destroying the copy.
void copy_document(benchmark::State& state, const std::filesystem::path& file) {
  run(state, [&] {
    const std::u8string document = read_all(file);
    acf_stream input(document);
    acf_parser parser;
    parser.parse_acf(input);
    for (auto _ : state) {
      const heap_rewind iteration;
      acf_value copy = parser.root;
      benchmark::DoNotOptimize(copy);
    }
    return document.size();
  });
}

// The document model's share of a parse: the pairs, cut out beforehand, are
// stored into a tree with the parser's map operations, the tree is copied
// and both are destroyed, as in a parse with a new parser. No parser that
// builds this model and returns a copy can be faster than this.
void model_floor(benchmark::State& state, const std::filesystem::path& file) {
  run(state, [&] {
    const std::u8string document = read_all(file);
    const std::vector<model_step> steps = cut_into_steps(document);
    for (auto _ : state) {
      const heap_rewind iteration;
      const acf_value tree = store_steps(steps);
      acf_value copy = tree;
      benchmark::DoNotOptimize(copy);
    }
    return document.size();
  });
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc != 2 || !std::filesystem::is_regular_file(argv[1])) {
    std::cerr << "usage: acf_benchmark [benchmark options] DOCUMENT\n";
    return 2;
  }
  const std::filesystem::path file = argv[1];
  using measurement = void (*)(benchmark::State&, const std::filesystem::path&);
  const std::pair<const char*, measurement> measurements[] = {{"parse_acf/memory", parse_from_memory},
                                                              {"parse_acf/file", parse_from_file},
                                                              {"copy_document", copy_document},
                                                              {"model_floor", model_floor}};
  for (const auto& [name, measure] : measurements)
    benchmark::RegisterBenchmark(name, measure, file)->Unit(benchmark::kMillisecond)->UseRealTime();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
