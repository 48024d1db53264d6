// Throughput and peak memory of parse_acf on a large libraryfolders.vdf-shaped
// document, read from memory and from the file, and the share of the copy it
// returns.
//
//   acf_benchmark [benchmark options] DOCUMENT
//
// Each benchmark should run in a process of its own (--benchmark_filter) for
// its peak memory to be its own.

#include "acf_parser.hpp"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>

namespace {

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

void parse_from_memory(benchmark::State& state, const std::filesystem::path& file) {
  const std::u8string document = read_all(file);
  for (auto _ : state) {
    acf_stream input(document);
    acf_parser parser;
    benchmark::DoNotOptimize(parser.parse_acf(input));
  }
  report(state, document.size());
}

void parse_from_file(benchmark::State& state, const std::filesystem::path& file) {
  for (auto _ : state) {
    acf_file_stream input(file);
    acf_parser parser;
    benchmark::DoNotOptimize(parser.parse_acf(input));
  }
  report(state, std::filesystem::file_size(file));
}

// What the copy that parse_acf returns costs on its own: copying the parsed
// document and destroying the copy.
void copy_document(benchmark::State& state, const std::filesystem::path& file) {
  const std::u8string document = read_all(file);
  acf_stream input(document);
  acf_parser parser;
  parser.parse_acf(input);
  for (auto _ : state) {
    acf_value copy = parser.root;
    benchmark::DoNotOptimize(copy);
  }
  report(state, document.size());
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (argc != 2 || !std::filesystem::is_regular_file(argv[1])) {
    std::cerr << "usage: acf_benchmark [benchmark options] DOCUMENT\n";
    return 2;
  }
  const std::filesystem::path file = argv[1];
  benchmark::RegisterBenchmark("parse_acf/memory", parse_from_memory, file)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("parse_acf/file", parse_from_file, file)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark("copy_document", copy_document, file)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
