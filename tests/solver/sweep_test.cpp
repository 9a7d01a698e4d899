// SPDX-License-Identifier: Apache-2.0
#include "solver/sweep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <stdexcept>
#include <variant>

#include "tests/solver/run_fixture.h"

namespace kelvado {
namespace {

using testing::DefaultsWith;

TEST(RunSweep, EachRowEqualsASingleRunOfTheSameInputs) {
  std::vector<SweepCase> cases;
  for (const char* rate : {"40", "60", "1e300", "80"}) cases.push_back({DefaultsWith({{Field::OutputRate, rate}})});
  cases.push_back({DefaultsWith({{Field::FlowRateRatio, "0.25"}})});
  cases.push_back({DefaultsWith({{Field::Density, "x"}})});
  std::atomic<int> progressCalls{0};
  SweepOptions options;
  options.threads = 2;
  options.progress = [&](std::size_t, std::size_t total) {
    EXPECT_EQ(total, 6u);
    ++progressCalls;
  };
  const std::vector<SweepResult> results = RunSweep(cases, options);
  ASSERT_EQ(results.size(), cases.size());
  EXPECT_EQ(progressCalls, 6);

  for (std::size_t i = 0; i < cases.size(); ++i) {
    testing::RunInDir single;
    const RunOutcome outcome = single.Run(cases[i].inputs);
    EXPECT_EQ(results[i].status, outcome.status) << i;
    EXPECT_EQ(results[i].summary.OutletPressure, outcome.summary.OutletPressure) << i;
    EXPECT_EQ(results[i].summary.AvgTemp, outcome.summary.AvgTemp) << i;
    EXPECT_EQ(results[i].summary.TotalPowerKW, outcome.summary.TotalPowerKW) << i;
    EXPECT_EQ(results[i].summary.Cooling1KW, outcome.summary.Cooling1KW) << i;
  }
  EXPECT_EQ(results[2].status, RunStatus::ArithmeticFault);
  EXPECT_EQ(results[2].message, "overflow in the depth grid and starting profiles");
  EXPECT_EQ(results[4].status, RunStatus::InnerFailed);
  EXPECT_EQ(results[4].message, "** This case does not converge. It seems <n> value is too small.");
  EXPECT_EQ(results[5].status, RunStatus::ImproperInput);
}

// A worker runs its cases one after the other in one calculation state: a screw of zones, a
// case that fails part way and the default must each end as their own run ends alone.
TEST(RunSweep, ConsistentCasesInOneWorkerEqualTheirOwnRuns) {
  const auto zones = std::get<std::vector<ScrewZone>>(ParseZones({"turns=4,depth=0.6", "turns=8,depth=0.25"}));
  std::vector<SweepCase> cases;
  cases.push_back({DefaultsWith({{Field::OutputRate, "55"}}), std::nullopt, zones});
  cases.push_back({DefaultsWith({{Field::FlowRateRatio, "0.001"}})});
  cases.push_back({DefaultsWith({{Field::PowerIndex, "0.5"}})});
  cases.push_back({DefaultsWith({})});
  SweepOptions options;
  options.threads = 1;
  options.flowModel = FlowModel::Consistent;
  const std::vector<SweepResult> results = RunSweep(cases, options);
  ASSERT_EQ(results.size(), cases.size());
  for (std::size_t i = 0; i < cases.size(); ++i) {
    RunRequest request{cases[i].inputs, {}};
    request.writeResultsFile = false;
    request.flowModel = FlowModel::Consistent;
    request.zones = cases[i].zones;
    QuietServices services;
    NoResultsFile none;
    const RunOutcome alone = RunCalculation(request, services, none);
    EXPECT_EQ(results[i].status, alone.status) << i;
    EXPECT_EQ(results[i].message, alone.detail.empty() ? services.message : alone.detail) << i;
    EXPECT_EQ(results[i].summary.OutletPressure, alone.summary.OutletPressure) << i;
    EXPECT_EQ(results[i].summary.AvgTemp, alone.summary.AvgTemp) << i;
    EXPECT_EQ(results[i].summary.Cooling2KW, alone.summary.Cooling2KW) << i;
  }
  EXPECT_EQ(results[0].status, RunStatus::Finished);
  EXPECT_NE(results[1].status, RunStatus::Finished);
  EXPECT_EQ(results[3].status, RunStatus::Finished);
}

TEST(StreamSweep, HandsOnEveryResultInOrderWithFewCasesWaiting) {
  // Mostly settled cases, which take no time, and now and then a real run, which does: the
  // fast thread runs ahead, and its results must wait, in a window that does not grow.
  constexpr std::size_t kCases = 4000;
  std::mutex lock;
  std::size_t made = 0, delivered = 0, mostWaiting = 0;
  SweepStream stream;
  stream.count = kCases;
  stream.make = [&](std::size_t i) {
    const std::lock_guard<std::mutex> guard(lock);
    ++made;
    mostWaiting = std::max(mostWaiting, made - delivered);
    if (i % 700 == 0) return SweepCase{DefaultInputTexts()};
    return SweepCase{{}, SweepResult{RunStatus::ImproperInput, std::to_string(i), {}}};
  };
  stream.deliver = [&](std::size_t i, const SweepResult& result) {
    const std::lock_guard<std::mutex> guard(lock);
    EXPECT_EQ(i, delivered);
    EXPECT_EQ(result.status, i % 700 == 0 ? RunStatus::Finished : RunStatus::ImproperInput) << i;
    if (i % 700 != 0) {
      EXPECT_EQ(result.message, std::to_string(i));
    }
    ++delivered;
  };
  SweepOptions options;
  options.threads = 2;
  StreamSweep(stream, options);
  EXPECT_EQ(delivered, kCases);
  EXPECT_LE(mostWaiting, 2u * 64u + 2u);
}

TEST(StreamSweep, AFailureToHandOnStopsTheWorkersAndIsThrown) {
  std::atomic<std::size_t> made{0};
  std::size_t delivered = 0;
  SweepStream stream;
  stream.count = 100000;
  stream.make = [&](std::size_t) {
    ++made;
    return SweepCase{{}, SweepResult{RunStatus::ImproperInput, "", {}}};
  };
  stream.deliver = [&](std::size_t i, const SweepResult&) {
    if (i == 10) throw std::runtime_error("disk full");
    ++delivered;
  };
  SweepOptions options;
  options.threads = 2;
  EXPECT_THROW(StreamSweep(stream, options), std::runtime_error);
  EXPECT_EQ(delivered, 10u);
  EXPECT_LT(made.load(), 1000u);
}

TEST(FlowRateRatioForRpm, GivesTheFlowRateThatRunsAtTheAskedSpeed) {
  for (const double rpm : {50.0, 85.834827, 120.0}) {
    for (const char* rate : {"30", "60", "90"}) {
      InputTexts texts = DefaultsWith({{Field::OutputRate, rate}});
      const double qd = FlowRateRatioForRpm(texts, '.', rpm).ratio;
      texts[Field::FlowRateRatio] = ExactNumberText(qd, '.');
      EXPECT_EQ(ParseNumber(texts[Field::FlowRateRatio], '.'), qd);
      testing::RunInDir run;
      const RunOutcome outcome = run.Run(texts);
      if (outcome.status != RunStatus::Finished) continue;  // some outputs cannot be carried
      EXPECT_NEAR(outcome.summary.Rpm, rpm, rpm * 1e-12) << rate;
    }
  }
  // The default case runs at 85.83 rpm with qd = 0.45.
  EXPECT_NEAR(FlowRateRatioForRpm(DefaultInputTexts(), '.', 85.8348).ratio, 0.45, 1e-6);
}

TEST(ExactNumberText, ReadsBackAsTheSameDouble) {
  for (const double v : {0.1, 1.0 / 3.0, 6.02e23, -1e-300, 0.45}) {
    EXPECT_EQ(ParseNumber(ExactNumberText(v, ','), ','), v);
  }
}

}  // namespace
}  // namespace kelvado

namespace kelvado {
namespace {

TEST(RunSweep, StopsWhenCancelled) {
  std::vector<SweepCase> cases(6, SweepCase{DefaultInputTexts()});
  std::atomic<bool> cancel{false};
  SweepOptions options;
  options.threads = 1;
  options.cancel = &cancel;
  options.progress = [&](std::size_t done, std::size_t) { cancel = done == 2; };
  const std::vector<SweepResult> results = RunSweep(cases, options);
  EXPECT_EQ(results[0].status, RunStatus::Finished);
  EXPECT_EQ(results[1].status, RunStatus::Finished);
  for (std::size_t i = 2; i < results.size(); ++i) EXPECT_EQ(results[i].status, RunStatus::Cancelled) << i;
}

TEST(EvenlySpaced, KeepsBothEndsAndRoundsTheValuesBetween) {
  EXPECT_EQ(EvenlySpaced(0.3, 0.6, 4), (std::vector<double>{0.3, 0.4, 0.5, 0.6}));
  EXPECT_EQ(EvenlySpaced(5, 9, 1), std::vector<double>{5});
  EXPECT_EQ(EvenlySpaced(80, 40, 3), (std::vector<double>{80, 60, 40}));
}

TEST(CharacteristicCase, SetsTheOutputAndTheFlowRateForTheSpeed) {
  const SweepCase c = CharacteristicCase(DefaultInputTexts(), '.', 72.5, 50.0);
  EXPECT_EQ(c.inputs[Field::OutputRate], "50");
  EXPECT_EQ(ParseNumber(c.inputs[Field::FlowRateRatio], '.'),
            FlowRateRatioForRpm(c.inputs, '.', 72.5).ratio);
  EXPECT_EQ(c.inputs[0], "6.5");
}

TEST(CharacteristicCase, WithoutASpeedFailsAsItsRunWould) {
  for (const auto& [field, text] : std::vector<std::pair<Field, std::string>>{
           {Field::Density, "0"}, {Field::ChannelDepth, "0"}, {Field::Density, "x"}}) {
    const SweepCase c = CharacteristicCase(DefaultsWith({{field, text}}), '.', 80, 50);
    ASSERT_TRUE(c.settled) << FieldInfo(field).optionName;
    testing::RunInDir run;
    const RunOutcome single = run.Run(DefaultsWith({{field, text}}));
    EXPECT_EQ(c.settled->status, single.status) << FieldInfo(field).optionName;
    EXPECT_EQ(c.settled->message, single.detail.empty() ? run.services.messages.at(0) : single.detail);
    SweepOptions options;
    options.threads = 1;
    EXPECT_EQ(RunSweep({c}, options).at(0).status, single.status);
  }
  // A speed so small that the flow rate overflows.
  const SweepCase tiny = CharacteristicCase(DefaultInputTexts(), '.', 1e-320, 50);
  ASSERT_TRUE(tiny.settled);
  EXPECT_EQ(tiny.settled->status, RunStatus::ArithmeticFault);
  EXPECT_EQ(tiny.settled->message, "overflow in the operating conditions");
}

}  // namespace
}  // namespace kelvado
