// Micro-benchmarks of the number and line routines on typical input:
//   build/kivrel_micro_benchmarks
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "numbers/fixed_text.h"
#include "numbers/leading_number.h"
#include "settings/settings.h"
#include "transform/process_line.h"
#include "transform/rewrite/rewrite_number.h"

namespace kivrel {
namespace {

const std::vector<std::string> kNumbers = {"12.3456 Y", "-0.5", "150.", "1000", "-123.4567 F", ".25", "3 4"};

const std::vector<std::string> kLines = {
    "G01 X12.3456 Y-7.5 F300.0",
    "G02 X1.5 Y2.25 I-0.75 J0.5",
    "g00 x0 y0 z5.000 (rapid to start)",
    "(FINISHING PASS)",
    "M03 S12000",
    "/M00 X10",
};

Settings BenchSettings() {
  Settings settings;
  AssignDefaults(settings);
  settings.XScale = settings.YScale = settings.ZScale = settings.AScale = 25.4f;
  settings.FeedScale = 1.5f;
  settings.FeedAdd = 10;
  settings.SpindleRPM = 1000;
  settings.XYexchange = true;
  return settings;
}

void BM_LeadingNumber(benchmark::State& state) {
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(LeadingNumber(kNumbers[i++ % kNumbers.size()]));
  }
}
BENCHMARK(BM_LeadingNumber);

void BM_FixedText(benchmark::State& state) {
  const double values[] = {12.3456, -0.5, 160.0, 13000.0, 0.00004, 123456.789};
  std::string out;
  std::size_t i = 0;
  for (auto _ : state) {
    out.clear();
    AppendFixed(out, ToPattern(RoundSignificant(values[i++ % std::size(values)], 15), Pattern::FourDecimals));
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_FixedText);

void BM_RenderSingle(benchmark::State& state) {
  const float values[] = {313.58f, -12.7f, 25.4f, 0.0393701f, 1500.6f};
  std::string out;
  std::size_t i = 0;
  for (auto _ : state) {
    out.clear();
    AppendSingle(out, values[i++ % std::size(values)], Pattern::FourDecimals);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_RenderSingle);

void BM_RewriteNumber(benchmark::State& state) {
  NumberRewriter rewriter(1.5f);
  std::string line;
  line.reserve(64);
  for (auto _ : state) {
    line = "G01 X12.3456 Y-7.5 F300.0";
    WordEdit edit;
    benchmark::DoNotOptimize(rewriter.RewriteNumber(4, 25.4f, line, 0, Decimals::Four, edit));
  }
}
BENCHMARK(BM_RewriteNumber);

void BM_ProcessLine(benchmark::State& state) {
  const Settings settings = BenchSettings();
  LineProcessor processor(settings);
  std::string line;
  line.reserve(128);
  std::size_t i = 0;
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string& input = kLines[i++ % kLines.size()];
    line.assign(input);
    bytes += input.size();
    benchmark::DoNotOptimize(processor.ProcessLine(line));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_ProcessLine);

}  // namespace
}  // namespace kivrel

BENCHMARK_MAIN();
