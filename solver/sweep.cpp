#include "sweep.h"

#include <algorithm>
#include <atomic>
#include <cfenv>
#include <memory>
#include <charconv>
#include <thread>

#include "calc_state.h"
#include "input_fields.h"
#include "operating.h"

namespace kelvado {
namespace {

SweepResult RunOne(const SweepCase& c, char separator, const std::atomic<bool>* cancel) {
  QuietServices services(cancel);
  const RunOutcome outcome =
      RunCalculation(RunRequest{c.inputs, "/dev/null", separator, TextEncoding::ShiftJis}, services);
  SweepResult result;
  result.status = outcome.status;
  result.message = outcome.detail.empty() ? services.message : outcome.detail;
  result.summary = outcome.summary;
  return result;
}

}  // namespace

std::vector<SweepResult> RunSweep(const std::vector<SweepCase>& cases, const SweepOptions& options) {
  std::vector<SweepResult> results(cases.size());
  unsigned threads = options.threads != 0 ? options.threads : std::max(1u, std::thread::hardware_concurrency());
  threads = static_cast<unsigned>(std::min<std::size_t>(threads, std::max<std::size_t>(cases.size(), 1)));

  // Cases are handed out one at a time, so a slow case does not hold up a whole block.
  std::atomic<std::size_t> next{0};
  std::atomic<std::size_t> done{0};
  auto worker = [&] {
    for (std::size_t i = next++; i < cases.size(); i = next++) {
      if (options.cancel != nullptr && options.cancel->load()) {
        results[i].status = RunStatus::Cancelled;
        continue;
      }
      results[i] = RunOne(cases[i], options.decimalSeparator, options.cancel);
      const std::size_t finished = ++done;
      if (options.progress) options.progress(finished, cases.size());
    }
  };
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < threads; ++t) pool.emplace_back(worker);
  worker();
  for (auto& thread : pool) thread.join();
  return results;
}

double FlowRateRatioForRpm(const InputTexts& inputs, char decimalSeparator, double rpm) {
  auto s = std::make_unique<CalcState>();
  const auto targets = InputTargets(*s);
  for (int i = 0; i < kInputCount; ++i) {
    // Unreadable fields stay zero; the run itself reports them when the case is run.
    if (const auto value = ParseNumber(inputs[i], decimalSeparator)) *targets[i] = *value;
  }
  s->FlowRateRatio = 1.0;
  std::fexcept_t flags;
  std::fegetexceptflag(&flags, FE_ALL_EXCEPT);
  ComputeOperatingConditions(*s);
  std::fesetexceptflag(&flags, FE_ALL_EXCEPT);
  // The screw speed is inversely proportional to the flow-rate ratio.
  return s->RevPerSec / (rpm / 60.0);
}

SweepCase CharacteristicCase(const InputTexts& base, char decimalSeparator, double rpm, double output) {
  static const int outputField = FieldIndex("output-rate");
  static const int ratioField = FieldIndex("flow-rate-ratio");
  SweepCase c{base};
  c.inputs[outputField] = ExactNumberText(output, decimalSeparator);
  c.inputs[ratioField] = ExactNumberText(FlowRateRatioForRpm(c.inputs, decimalSeparator, rpm), decimalSeparator);
  return c;
}

std::string ExactNumberText(double value, char decimalSeparator) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);  // shortest round trip
  std::string text(buf, res.ptr);
  for (char& c : text) {
    if (c == '.') c = decimalSeparator;
  }
  return text;
}

}  // namespace kelvado
