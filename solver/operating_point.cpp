// SPDX-License-Identifier: Apache-2.0
#include "solver/operating_point.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <tuple>

#include "solver/input_fields.h"
#include "solver/ranges.h"
#include "solver/screw_zones.h"
#include "solver/sweep.h"
#include "solver/units.h"

namespace kelvado {
namespace {

constexpr double kRangeFromRatio = 0.05;  // flow-rate ratios of the default range
constexpr double kRangeToRatio = 0.6;
constexpr double kOpenDischargeRatio = 0.5;  // the drag flow: no pressure built

// The output per unit of the flow-rate ratio that gives the speed, or nothing.
std::optional<double> OutputPerRatio(const InputTexts& inputs, char decimalSeparator, double rpm) {
  // The flow-rate ratio that gives the speed grows in proportion to the output.
  InputTexts unit = inputs;
  unit[Field::OutputRate] = ExactNumberText(1.0, decimalSeparator);
  const RatioForRpm found = FlowRateRatioForRpm(unit, decimalSeparator, rpm);
  const double perOutput = found.ratio;
  if (found.status != RunStatus::Finished || !std::isfinite(perOutput) || !(perOutput > 0) ||
      !std::isfinite(kRangeToRatio / perOutput)) {
    return std::nullopt;
  }
  return 1 / perOutput;
}

// The screw runs of one search and the result they fill in.
class Search {
 public:
  Search(const OperatingPointRequest& request, const OperatingPointOptions& options, const Die& die,
         OperatingPointResult& result)
      : request_(request), options_(options), die_(die), result_(result) {}

  // The run at `output` inside [lo, hi], or nullopt when it did not finish; the result then
  // says why. The screw's iterations now and then give up at one output and converge at its
  // neighbours, most of all where it builds little pressure: such a run is tried again at up
  // to four outputs around it, a tenth and a quarter of `spacing` away.
  std::optional<ScrewRun> Run(double output, double spacing, double lo, double hi) {
    ScrewRun first = Evaluate(output);
    if (Usable(first)) return first;
    if (first.status == RunStatus::InnerFailed || first.status == RunStatus::ClosureFailed) {
      for (const double shift : {0.1, -0.1, 0.25, -0.25}) {
        const double near = output + shift * spacing;
        if (near < lo || near > hi) continue;
        ScrewRun other = Evaluate(near);
        if (Usable(other)) return other;
        if (other.status == RunStatus::Cancelled) {
          first = std::move(other);
          break;
        }
      }
    }
    Fail(first);
    return std::nullopt;
  }

  std::string Output(double output) const { return TwoDecimalsText(output, request_.decimalSeparator); }

  // A number for a message, with the request's decimal separator.
  std::string Rounded(double value, std::chars_format format, int digits) const {
    char buf[512];
    const auto end = std::to_chars(buf, buf + sizeof buf, value, format, digits).ptr;
    std::string text(buf, end);
    for (char& c : text) {
      if (c == '.') c = request_.decimalSeparator;
    }
    return text;
  }

  // Brent's method on a bracket whose residuals differ in sign; the point is its last best run.
  void Narrow(ScrewRun a, ScrewRun b) {
    ScrewRun c = a;
    double fa = a.Residual(), fb = b.Residual(), fc = fa;
    double d = b.output - a.output, e = d;
    for (int iteration = 0; iteration < 100; ++iteration) {
      if ((fb > 0) == (fc > 0)) {
        c = a;
        fc = fa;
        d = e = b.output - a.output;
      }
      if (std::fabs(fc) < std::fabs(fb)) {
        a = b, b = c, c = a;
        fa = fb, fb = fc, fc = fa;
      }
      double tol = 2 * std::numeric_limits<double>::epsilon() * std::fabs(b.output) +
                   0.5 * request_.tolerance * std::fabs(b.output);
      const double half = 0.5 * (c.output - b.output);
      if (fb == 0) break;
      if (std::fabs(half) <= tol) {
        // Narrowed to the output tolerance; on inside the bracket while the pressures still do
        // not meet (a steep characteristic), until it is as narrow as an output can be told.
        const double finest = 8 * std::numeric_limits<double>::epsilon() * std::fabs(b.output);
        if (Meets(b) || std::fabs(half) <= finest) break;
        tol = std::max(0.25 * std::fabs(half), finest);
      }
      if (std::fabs(e) >= tol && std::fabs(fa) > std::fabs(fb)) {
        // Secant or inverse quadratic interpolation, taken only when it stays well inside.
        const double s = fb / fa;
        double p, q;
        if (a.output == c.output) {
          p = 2 * half * s;
          q = 1 - s;
        } else {
          const double qa = fa / fc, r = fb / fc;
          p = s * (2 * half * qa * (qa - r) - (b.output - a.output) * (r - 1));
          q = (qa - 1) * (r - 1) * (s - 1);
        }
        if (p > 0) q = -q;
        p = std::fabs(p);
        if (2 * p < std::min(3 * half * q - std::fabs(tol * q), std::fabs(e * q))) {
          e = d;
          d = p / q;
        } else {
          d = e = half;
        }
      } else {
        d = e = half;
      }
      a = b;
      fa = fb;
      const double next = b.output + (std::fabs(d) > tol ? d : std::copysign(tol, half));
      const double lo = std::min(b.output, c.output), hi = std::max(b.output, c.output);
      std::optional<ScrewRun> run = Run(next, hi - lo, lo, hi);
      if (run && run->output != next) d = e = run->output - b.output;  // stepped around a failed run
      if (!run) {
        result_.message += "; the crossing lies between " + Output(std::min(b.output, c.output)) + " and " +
                           Output(std::max(b.output, c.output)) + " kg/hr";
        return;
      }
      b = std::move(*run);
      fb = b.Residual();
    }
    if (!Meets(b)) {
      // The bracket closed on a jump of the residual, not on a crossing.
      result_.status = OperatingPointStatus::NoCrossing;
      result_.message = "the screw's outlet pressure and the die's pressure drop change sign between " +
                        Output(std::min(b.output, c.output)) + " and " + Output(std::max(b.output, c.output)) +
                        " kg/hr without meeting: at " + Output(b.output) + " kg/hr the screw gives " +
                        Rounded(b.summary.OutletPressure, std::chars_format::fixed, 2) + " kgf/cm2 against " +
                        Rounded(b.DiePressureDrop(), std::chars_format::fixed, 2) + " kgf/cm2 of the die";
      result_.point = std::move(b);
      return;
    }
    result_.status = OperatingPointStatus::Found;
    result_.point = std::move(b);
  }

  // A point is one where the screw's pressure and the die's drop agree to the tolerance.
  static bool Meets(const ScrewRun& run) {
    const double scale = std::fmax(std::fabs(run.summary.OutletPressure), std::fabs(run.DiePressureDrop()));
    return std::fabs(run.Residual()) <= kOperatingPointTolerance * scale;
  }

 private:
  // The run at `output`, made once: the search may come back to an output that failed.
  ScrewRun Evaluate(double output) {
    for (const ScrewRun& made : result_.runs) {
      if (made.output == output) return made;
    }
    const char separator = request_.decimalSeparator;
    InputTexts inputs = request_.inputs;
    inputs[Field::OutputRate] = ExactNumberText(output, separator);
    const SweepCase screwCase = DrivenCase(inputs, request_.zones, separator, request_.rpm);
    ScrewRun run;
    run.output = output;
    run.flowRateRatio = ParseNumber(screwCase.inputs[Field::FlowRateRatio], separator).value_or(0);
    if (options_.cancel != nullptr && options_.cancel->load()) {
      run.status = RunStatus::Cancelled;
      return run;
    }
    SweepOptions once;
    once.threads = 1;
    once.decimalSeparator = separator;
    once.cancel = options_.cancel;
    once.flowModel = request_.flowModel;
    once.maxProcessingTemp = request_.maxProcessingTemp;
    once.fittedWindow = request_.fittedWindow;
    SweepResult outcome = std::move(RunSweep({screwCase}, once).front());
    run.status = outcome.status;
    run.message = std::move(outcome.message);
    run.summary = outcome.summary;
    run.warnings = std::move(outcome.warnings);
    if (run.status == RunStatus::Finished) run.die = die_.FlowAt(VolumeRateOf(output, die_.melt()), run.summary.AvgTemp);
    result_.runs.push_back(run);
    if (options_.progress) options_.progress(run, result_.runs.size());
    return run;
  }

  // A march whose energy balance ran away can end with a temperature no melt has.
  static bool Usable(const ScrewRun& run) {
    return run.status == RunStatus::Finished && std::isfinite(run.Residual()) && run.summary.AvgTemp > kAbsoluteZero;
  }

  void Fail(const ScrewRun& run) {
    result_.point = run;
    const std::string at = "the screw run at " + Output(run.output) + " kg/hr ";
    switch (run.status) {
      case RunStatus::Finished:
        result_.status = OperatingPointStatus::RunFailed;
        result_.message = run.summary.AvgTemp > kAbsoluteZero
                              ? at + "gave a die pressure drop beyond the range of numbers"
                              : at + "ended with a mean outlet temperature of " +
                                    Rounded(run.summary.AvgTemp, std::chars_format::scientific, 2) +
                                    " \u00B0C, which no melt has; its temperatures are not to be trusted";
        break;
      case RunStatus::Cancelled:
        result_.status = OperatingPointStatus::Cancelled;
        result_.message = "the search was cancelled";
        break;
      case RunStatus::ImproperInput:
        result_.status = OperatingPointStatus::ImproperInput;
        result_.message = run.message;
        break;
      default:
        result_.status = OperatingPointStatus::RunFailed;
        result_.message = at + "did not finish (" + StatusName(run.status) + (run.message.empty() ? "" : ": " + run.message) + ")";
        break;
    }
  }

  const OperatingPointRequest& request_;
  const OperatingPointOptions& options_;
  const Die& die_;
  OperatingPointResult& result_;
};

}  // namespace

const char* OperatingPointStatusName(OperatingPointStatus status) {
  switch (status) {
    case OperatingPointStatus::Found: return "found";
    case OperatingPointStatus::NoCrossing: return "no crossing in range";
    case OperatingPointStatus::RunFailed: return "run did not finish";
    case OperatingPointStatus::ImproperInput: return "improper input";
    case OperatingPointStatus::Cancelled: return "cancelled";
  }
  return "unknown";
}

std::pair<double, double> DefaultOutputRange(const InputTexts& inputs, char decimalSeparator, double rpm) {
  const std::optional<double> perRatio = OutputPerRatio(inputs, decimalSeparator, rpm);
  if (!perRatio) return {0, 0};
  return {kRangeFromRatio * *perRatio, kRangeToRatio * *perRatio};
}

std::pair<double, double> DefaultOutputRange(const InputTexts& inputs, const std::vector<ScrewZone>& zones,
                                             char decimalSeparator, double rpm) {
  if (zones.empty()) return DefaultOutputRange(inputs, decimalSeparator, rpm);
  // The shallowest section limits what the screw conveys; up to where the deepest one reaches
  // open discharge a deeper stretch still builds pressure and the point may lie there.
  auto range = DefaultOutputRange(MeteringInputs(inputs, zones, decimalSeparator), decimalSeparator, rpm);
  const std::optional<double> deepest = OutputPerRatio(DeepestInputs(inputs, zones, decimalSeparator), decimalSeparator, rpm);
  if (range.second > 0 && deepest) range.second = std::max(range.second, kOpenDischargeRatio * *deepest);
  return range;
}

OperatingPointResult FindOperatingPoint(const OperatingPointRequest& request, const OperatingPointOptions& options) {
  OperatingPointResult result;
  std::optional<Die> die;
  try {
    if (!std::isfinite(request.rpm) || !(request.rpm > 0)) throw DieInputError("the screw speed must be above zero");
    die.emplace(request.die, MeltOfInputs(request.inputs, request.decimalSeparator));
  } catch (const DieInputError& error) {
    result.message = error.what();
    return result;
  }
  for (const DieSection& section : request.die) {
    if (std::string warning = DieSectionWarning(section); !warning.empty()) result.warnings.push_back(std::move(warning));
  }

  std::tie(result.outputFrom, result.outputTo) =
      request.outputFrom == 0 && request.outputTo == 0
          ? DefaultOutputRange(request.inputs, request.zones, request.decimalSeparator, request.rpm)
          : std::pair(request.outputFrom, request.outputTo);
  if (!(result.outputFrom > 0) || !(result.outputFrom < result.outputTo) || !std::isfinite(result.outputTo)) {
    result.message = request.outputFrom == 0 && request.outputTo == 0
                         ? "the screw's geometry gives no output range at this speed"
                         : "the output range must go from above zero up to a larger output";
    return result;
  }

  Search search(request, options, *die, result);
  const std::string range = search.Output(result.outputFrom) + " to " + search.Output(result.outputTo) + " kg/hr";
  std::optional<ScrewRun> above;
  const int points = std::max(request.scanPoints, 2);
  const double spacing = (result.outputTo - result.outputFrom) / (points - 1);
  for (const double output : EvenlySpaced(result.outputTo, result.outputFrom, points)) {
    std::optional<ScrewRun> run = search.Run(output, spacing, result.outputFrom, result.outputTo);
    if (!run) {
      if (above && result.status == OperatingPointStatus::RunFailed) result.message += "; no crossing from " + search.Output(result.outputTo) + " down to " +
                                   search.Output(above->output) + " kg/hr";
      return result;
    }
    if (run->Residual() == 0) {
      result.status = OperatingPointStatus::Found;
      result.point = std::move(*run);
      return result;
    }
    if (above && (run->Residual() > 0) != (above->Residual() > 0)) {
      search.Narrow(std::move(*above), std::move(*run));
      return result;
    }
    above = std::move(run);
  }

  result.status = OperatingPointStatus::NoCrossing;
  result.point = *above;
  result.message = above->Residual() > 0
                       ? "the screw's outlet pressure stays above the die's pressure drop from " + range +
                             ": the die is too open for this range, the point lies at a higher output"
                       : "the die's pressure drop stays above the screw's outlet pressure from " + range +
                             ": the die is too restrictive for this range, the point lies at a lower output";
  return result;
}

}  // namespace kelvado
