// SPDX-License-Identifier: Apache-2.0
// How much work one down-channel step of a finishing case takes, over many random cases:
// the figures behind kStepVelocityPassCap. Usage: kelvado-step-survey [CASES] [SEED]
//
// Each case draws every input from a plausible range around the default. A case that has
// made more than kSurveyLimit velocity passes in one step is stopped and counted apart, so
// that the survey itself ends; the maximum over the finishing cases is what the bound is
// set against.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "solver/calc_state.h"
#include "solver/input_fields.h"
#include "solver/run.h"
#include "solver/sweep.h"

namespace {

using namespace kelvado;

constexpr std::int64_t kSurveyLimit = 1'000'000;

// Stops a case once a step has asked to go on more than kSurveyLimit times (asked once
// per velocity pass and once per inner pass), and keeps the busiest step of the run.
class SurveyServices : public RunServices {
 public:
  void ShowMessage(const std::string&) override {}
  void RefreshFileList() override {}
  void ShowFinishDialog() override {}
  void StepFinished(const CalcState& s) override {
    busiest = std::max(busiest, s.StepVelocityPasses);
    asked = 0;
  }
  bool CancelRequested() override {
    if (++asked > kSurveyLimit) stopped = true;
    return stopped;
  }
  std::int64_t busiest = 0;
  std::int64_t asked = 0;
  bool stopped = false;
};

InputTexts RandomCase(std::mt19937_64& rng) {
  auto uniform = [&](double a, double b) { return std::uniform_real_distribution<double>(a, b)(rng); };
  auto logUniform = [&](double a, double b) { return std::exp(uniform(std::log(a), std::log(b))); };
  InputTexts t = DefaultInputTexts('.');
  auto set = [&](Field field, double value) { t[field] = ExactNumberText(value, '.'); };
  const double d = logUniform(2.0, 25.0);
  set(Field::BarrelDiameter, d);
  set(Field::LengthRatio, uniform(2.0, 30.0));
  set(Field::ChannelDepth, d * uniform(0.01, 0.12));
  set(Field::ScrewPitch, d * uniform(0.6, 1.4));
  set(Field::FlightWidth, d * uniform(0.05, 0.15));
  set(Field::OutputRate, 60.0 * std::pow(d / 6.5, 2.5) * logUniform(0.2, 5.0));
  set(Field::FlowRateRatio, uniform(0.05, 0.9));
  set(Field::Density, uniform(0.8, 1.4));
  set(Field::SpecificHeat, uniform(0.3, 0.7));
  set(Field::Conductivity, uniform(0.0003, 0.0008));
  const double inlet = uniform(150.0, 320.0);
  set(Field::InletTemp, inlet);
  set(Field::BarrelTemp, inlet + uniform(-40.0, 40.0));
  set(Field::StdViscosity, logUniform(1.0, 100.0));
  set(Field::StdShearRate, logUniform(10.0, 1000.0));
  set(Field::StdTemp, inlet + uniform(-30.0, 30.0));
  set(Field::PowerIndex, uniform(0.2, 1.2));
  set(Field::TempCoeff, uniform(0.0, 0.05));
  return t;
}

}  // namespace

int main(int argc, char** argv) {
  const long cases = argc > 1 ? std::atol(argv[1]) : 5000;
  const unsigned long seed = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1;
  std::vector<InputTexts> inputs;
  std::mt19937_64 rng(seed);
  for (long i = 0; i < cases; ++i) inputs.push_back(RandomCase(rng));

  std::vector<std::int64_t> finishing;  // busiest step of each finishing case
  long stopped = 0, failed = 0;
  std::mutex lock;
  std::atomic<long> next{0};
  auto worker = [&] {
    for (long i = next++; i < cases; i = next++) {
      SurveyServices services;
      RunRequest request{inputs[i], {}};
      NoResultsFile none;
      const RunOutcome outcome = RunCalculation(request, services, none);
      std::lock_guard<std::mutex> guard(lock);
      if (outcome.status == RunStatus::Finished) {
        finishing.push_back(services.busiest);
      } else if (services.stopped) {
        ++stopped;
      } else {
        ++failed;
      }
    }
  };
  std::vector<std::thread> pool;
  for (unsigned t = 1; t < std::max(1u, std::thread::hardware_concurrency()); ++t) pool.emplace_back(worker);
  worker();
  for (auto& thread : pool) thread.join();

  std::sort(finishing.begin(), finishing.end());
  auto quantile = [&](double q) {
    return finishing.empty() ? 0 : finishing[static_cast<std::size_t>(q * (finishing.size() - 1))];
  };
  std::printf("cases %ld: finished %zu, failed %ld, stopped past %lld passes in a step %ld\n", cases,
              finishing.size(), failed, static_cast<long long>(kSurveyLimit), stopped);
  std::printf("velocity passes in the busiest step of a finishing case: median %lld, 99%% %lld, "
              "99.9%% %lld, max %lld\n",
              static_cast<long long>(quantile(0.5)), static_cast<long long>(quantile(0.99)),
              static_cast<long long>(quantile(0.999)), static_cast<long long>(quantile(1.0)));
  return 0;
}
