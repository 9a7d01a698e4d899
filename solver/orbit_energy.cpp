// SPDX-License-Identifier: Apache-2.0
#include "solver/orbit_energy.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "solver/batch_math.h"
#include "solver/calc_state.h"
#include "solver/consistent_flow.h"
#include "solver/fp_fault.h"
#include "solver/lanes.h"
#include "solver/results_sink.h"
#include "solver/screw_zones.h"
#include "solver/units.h"

namespace kelvado {
namespace {

// fmax(x, floor) for a floor that is a number, inline rather than a library call.
inline double AtLeast(double x, double floor) { return x > floor ? x : floor; }

constexpr int kSubdivisions = 5;  // fine intervals per interval of the depth grid
constexpr int kMarchSubsteps = 2;  // backward-Euler steps of the temperatures per flow field
constexpr int kCells = kOrbitCells;
using CellArray = std::array<double, kCells + 2>;  // 1-based, with room for both ends

// Values at the fine points; only the first count + 1 are written and read, so none is
// initialised beforehand.
using FineArray = std::array<double, (kProfileSize - 1) * kSubdivisions + 1>;

// The step's flow field on a fine sub-grid of the depth, root (f = 0) to barrel (f = count).
struct FineField {
  int count = 0;
  double h = 0;                   // cm
  FineArray cumFlow;              // integral of w dy from the root, cm2/s
  FineArray cumHeat;              // integral of the viscous dissipation dy, gf/(cm s)
  // Integrals of |w| dy and |w| T dy, for the orbits' starting temperatures.
  FineArray cumSpeed;
  FineArray cumSpeedTemp;
  FineArray level;                // |psi| over its value at the centre: 0 at the walls, 1 there
  int lastLower = 0;              // the last fine point of the lower layer
  double centre = 0;              // depth of the centre of the circulation, cm
};

// The quadratic through an interval's three Gauss-point shear rates: the values and the
// first and second integrals of its basis polynomials from the interval's start, at the fine
// points s = k / kSubdivisions. Its integral over the whole interval is the Gauss rule's, so
// the fine velocities meet the nodes' velocities exactly, and the flows integrated twice meet
// the throughput and the zero net cross flow the step was solved for.
struct SubPointWeights {
  std::array<std::array<double, kFlowGaussPoints>, kSubdivisions + 1> value{};
  std::array<std::array<double, kFlowGaussPoints>, kSubdivisions + 1> integral{};
  std::array<std::array<double, kFlowGaussPoints>, kSubdivisions + 1> second{};
};

const SubPointWeights& Weights() {
  static const SubPointWeights weights = [] {
    SubPointWeights w;
    const double at[kFlowGaussPoints] = {0.5 - kFlowGaussSpread, 0.5, 0.5 + kFlowGaussSpread};
    for (int k = 0; k <= kSubdivisions; ++k) {
      const double x = static_cast<double>(k) / kSubdivisions;
      for (int g = 0; g < kFlowGaussPoints; ++g) {
        const double a = at[(g + 1) % 3], b = at[(g + 2) % 3];
        const double scale = (at[g] - a) * (at[g] - b);
        w.value[k][g] = (x - a) * (x - b) / scale;
        w.integral[k][g] = (x * x * x / 3 - (a + b) * x * x / 2 + a * b * x) / scale;
        w.second[k][g] = (x * x * x * x / 12 - (a + b) * x * x * x / 6 + a * b * x * x / 2) / scale;
      }
    }
    return w;
  }();
  return weights;
}

// The flow field of the step on the fine grid and the stream function's levels; the integrals
// of |w| only withStart (the orbits' starting temperatures need them, nothing else). False
// when the cross-channel flow does not circulate (no layer flows against the barrel).
bool BuildFineField(const CalcState& s, FineField& f, bool withStart) {
  const int n = s.NDiv * kSubdivisions;
  f.count = n;
  f.h = s.StepY / kSubdivisions;
  f.cumFlow[0] = f.cumHeat[0] = f.cumSpeed[0] = f.cumSpeedTemp[0] = 0;
  FineArray u, w, speedTemp;

  // The weights in both lanes, loaded as they are used.
  static const auto pairs = [] {
    struct {
      std::array<std::array<Lanes, kFlowGaussPoints>, kSubdivisions + 1> integral, second;
      std::array<Lanes, kSubdivisions + 1> x;
    } p;
    const SubPointWeights& weights = Weights();
    for (int k = 0; k <= kSubdivisions; ++k) {
      for (int g = 0; g < kFlowGaussPoints; ++g) {
        p.integral[k][g] = BothLanes(weights.integral[k][g]);
        p.second[k][g] = BothLanes(weights.second[k][g]);
      }
      p.x[k] = BothLanes(static_cast<double>(k) / kSubdivisions);
    }
    return p;
  }();
  // Down-channel and cross-channel values side by side in the lanes: w and u, the flows
  // integrated down and across, the root stresses and the pressure gradients.
  const Lanes step = BothLanes(s.StepY);
  const Lanes rootStress = LanesOf(s.RootStressZ, s.RootStressX);
  const Lanes gradient = LanesOf(s.PressGradZ, s.PressGradX);
  Lanes node = BothLanes(0.0), nodeFlow = BothLanes(0.0);
  for (int i = 0; i < s.NDiv; ++i) {
    Lanes g[kFlowGaussPoints];
    for (int p = 0; p < kFlowGaussPoints; ++p) {
      const auto at = static_cast<std::size_t>(kFlowGaussPoints * i + p);
      g[p] = LanesOf(s.GaussShearZ[at], s.GaussShearX[at]);
    }
    Lanes speed = node, flow = nodeFlow;
    for (int k = i == 0 ? 0 : 1; k <= kSubdivisions; ++k) {
      const int at = i * kSubdivisions + k;
      Lanes rise = BothLanes(0.0), second = BothLanes(0.0);
      for (int p = 0; p < kFlowGaussPoints; ++p) {
        rise = rise + g[p] * pairs.integral[k][p];
        second = second + g[p] * pairs.second[k][p];
      }
      const double y = at * f.h;
      speed = node + step * rise;
      flow = nodeFlow + step * (node * pairs.x[k] + step * second);
      w[at] = Down(speed);
      u[at] = Cross(speed);
      f.cumFlow[at] = Down(flow);
      // The stresses are linear in depth, tau = tau0 + G y, so the dissipation tau . dv/dy
      // integrates by parts to tau . v - G . (integral of v dy): exactly the barrel's work less
      // the pressure's over the whole depth, as the power balance counts them.
      const Lanes work = (rootStress + gradient * BothLanes(y)) * speed;
      const Lanes pressure = gradient * flow;
      f.cumHeat[at] = ((Down(work) + Cross(work)) - Down(pressure)) - Cross(pressure);
    }
    node = speed;
    nodeFlow = flow;
  }
  if (withStart) {
    for (int i = 0; i < s.NDiv; ++i) {
      for (int k = i == 0 ? 0 : 1; k <= kSubdivisions; ++k) {
        const double t = s.Temp[i] + (s.Temp[i + 1] - s.Temp[i]) * (static_cast<double>(k) / kSubdivisions);
        speedTemp[i * kSubdivisions + k] = std::fabs(w[i * kSubdivisions + k]) * t;
      }
    }
    for (int i = 1; i <= n; ++i) {
      f.cumSpeed[i] = f.cumSpeed[i - 1] + 0.5 * f.h * (std::fabs(w[i - 1]) + std::fabs(w[i]));
      f.cumSpeedTemp[i] = f.cumSpeedTemp[i - 1] + 0.5 * f.h * (speedTemp[i - 1] + speedTemp[i]);
    }
  }

  // The upper layer moves with the barrel, the lower one against it; one reversal.
  const double sign = s.BarrelSpeedX >= 0 ? 1.0 : -1.0;
  int r = n - 1;
  while (r > 0 && sign * u[r] > 0) --r;
  if (r == 0 || !(sign * u[r + 1] > 0)) return false;
  const double against = -sign * u[r];
  const double with = sign * u[r + 1];
  f.lastLower = r;
  f.centre = (r + against / (against + with)) * f.h;

  // |psi| from each wall, each layer normalised by its own value at the centre (equal to
  // rounding, since the net cross flow is zero).
  FineArray& level = f.level;
  level[0] = 0;
  for (int i = 1; i <= r; ++i) level[i] = level[i - 1] - sign * 0.5 * f.h * (u[i - 1] + u[i]);
  const double lowerTop = level[r] + 0.5 * against * (f.centre - r * f.h);
  level[n] = 0;
  for (int i = n - 1; i > r; --i) level[i] = level[i + 1] + sign * 0.5 * f.h * (u[i] + u[i + 1]);
  const double upperTop = level[r + 1] + 0.5 * with * ((r + 1) * f.h - f.centre);
  if (!(lowerTop > 0) || !(upperTop > 0)) return false;
  for (int i = 0; i <= r; ++i) level[i] /= lowerTop;
  for (int i = r + 1; i <= n; ++i) level[i] /= upperTop;
  return true;
}

// A depth as a place on the fine grid: its interval and the fraction into it.
struct FinePlace {
  int i = 0;
  double frac = 0;
};

FinePlace PlaceOf(const FineField& f, double y) {
  const int i = std::clamp(static_cast<int>(y / f.h), 0, f.count - 1);
  return {i, y / f.h - i};
}

// A cumulative integral at a place, linear inside the fine interval.
double CumulativeAt(const FineArray& cum, const FinePlace& p) {
  return cum[p.i] + (cum[p.i + 1] - cum[p.i]) * p.frac;
}

// The depths at which a layer's level reaches each of the ascending targets. The layer is
// walked from its wall (level 0) to the centre (level 1).
constexpr int kMaxTargets = 2 * kCells + 1;
template <typename Targets>
void DepthsOfLevels(const FineField& f, bool lower, const Targets& targets, int count, double* out) {
  // The layer's points in the order of rising level, ending at the centre.
  const int first = lower ? 0 : f.count;
  const int last = lower ? f.lastLower : f.lastLower + 1;
  const int dir = lower ? 1 : -1;
  int i = first;
  double y0 = i * f.h, l0 = f.level[i];
  double y1 = 0, l1 = 0;
  auto advance = [&]() {
    if (i == last) {
      y1 = f.centre;
      l1 = 1.0;
    } else {
      y1 = (i + dir) * f.h;
      l1 = f.level[i + dir];
    }
  };
  advance();
  // The walk first, keeping each target's fine interval; then the places inside them, all
  // at once.
  std::array<double, kMaxTargets> from, to, fromLevel, toLevel;
  for (int k = 0; k < count; ++k) {
    const double target = targets[k];
    while (l1 < target && i != last) {
      i += dir;
      y0 = i * f.h;
      l0 = f.level[i];
      advance();
    }
    from[k] = y0;
    to[k] = y1;
    fromLevel[k] = l0;
    toLevel[k] = l1;
  }
  PlacesOfLevels(count, targets.data(), fromLevel.data(), toLevel.data(), from.data(), to.data(), out);
}

// Edges (i = 0..M) and centres (i = 1..M) of the orbit cells in the normalised stream
// function, in one ascending list: edge i in slot 2i, centre i in slot 2i - 1.
using CellLevels = std::array<double, 2 * kCells + 1>;

const CellLevels& Levels() {
  static const CellLevels levels = [] {
    CellLevels c{};
    const double eighth = std::numbers::pi / (4.0 * kCells);
    for (int j = 0; j <= 2 * kCells; ++j) c[j] = std::pow(std::sin(eighth * j), 2);
    return c;
  }();
  return levels;
}

// The orbit cells of one step: flows, heating and conductances, per unit channel width.
// Slots 1..M of each (conductance from 0) are written, the rest never read.
struct Orbits {
  CellArray flow;           // down-channel flow of the cell's two strips, cm2/s
  CellArray heating;        // viscous heating, cal/(cm2 s) per unit length
  CellArray start{};        // the entering temperature (the first step's alone), C
  CellArray conductance;    // slot i: between cells i and i+1; slot 0: cell 1 and the walls
};

Orbits BuildOrbits(const CalcState& s, const FineField& f, bool withStart) {
  const CellLevels& c = Levels();
  CellLevels lowAt, upAt;  // every slot written
  DepthsOfLevels(f, true, c, 2 * kCells + 1, lowAt.data());
  DepthsOfLevels(f, false, c, 2 * kCells + 1, upAt.data());
  std::array<double, kCells + 1> lowEdge, upEdge, lowCentre, upCentre;  // centres from slot 1
  for (int i = 0; i <= kCells; ++i) {
    lowEdge[i] = lowAt[2 * i];
    upEdge[i] = upAt[2 * i];
    if (i > 0) {
      lowCentre[i] = lowAt[2 * i - 1];
      upCentre[i] = upAt[2 * i - 1];
    }
  }
  const double depth = f.count * f.h;
  lowEdge[0] = 0;
  upEdge[0] = depth;

  std::array<FinePlace, kCells + 1> low, up;
  for (int i = 0; i <= kCells; ++i) {
    low[i] = PlaceOf(f, lowEdge[i]);
    up[i] = PlaceOf(f, upEdge[i]);
  }
  // Each integral at each edge once; a cell's strips run between its two edges in each layer.
  CellArray lowValue, upValue;
  auto atEdges = [&](const FineArray& cum) {
    for (int i = 0; i <= kCells; ++i) {
      lowValue[i] = CumulativeAt(cum, low[i]);
      upValue[i] = CumulativeAt(cum, up[i]);
    }
  };
  auto strips = [&](int i) { return (lowValue[i] - lowValue[i - 1]) + (upValue[i - 1] - upValue[i]); };
  Orbits o;
  atEdges(f.cumFlow);
  for (int i = 1; i <= kCells; ++i) o.flow[i] = strips(i);
  atEdges(f.cumHeat);
  for (int i = 1; i <= kCells; ++i) o.heating[i] = strips(i) * kEnergyUnits.workToHeat;
  if (withStart) {
    // The mean of the entering profile over the cell's strips weighted by |w|: where one
    // strip flows backwards a mean weighted by w itself would extrapolate beyond the
    // profile's range; this one stays inside it and is w's own where nothing flows back.
    CellArray speedTemp;
    atEdges(f.cumSpeedTemp);
    for (int i = 1; i <= kCells; ++i) speedTemp[i] = strips(i);
    atEdges(f.cumSpeed);
    for (int i = 1; i <= kCells; ++i) {
      if (o.flow[i] > 0) o.start[i] = speedTemp[i] / strips(i);
    }
  }
  const double minGap = 1e-9 * depth;
  const double k = s.Conductivity;
  for (int i = 1; i < kCells; ++i) {
    o.conductance[i] = k / AtLeast(lowCentre[i + 1] - lowCentre[i], minGap) +
                       k / AtLeast(upCentre[i] - upCentre[i + 1], minGap);
  }
  o.conductance[0] = k / AtLeast(lowCentre[1], minGap) + k / AtLeast(depth - upCentre[1], minGap);
  o.conductance[kCells] = 0;
  return o;
}

// The cells' tridiagonal systems  diag_i T_i = b_i + lower_i T_{i-1} + upper_i T_{i+1}  (the
// walls' temperature moved into b_1, lower_1 = upper_M = 0) eliminated from both ends at once
// and met in the middle: two chains of divisions half as long, side by side in the two lanes
// of a Lanes (the top half's cell i in the down lane, the bottom half's cell M + 1 - i in the
// cross lane). Slot k of the pairs holds cells 1 + k and M - k; near is the coefficient of
// the cell eliminated before (lower_{1+k}, upper_{M-k}), far that of the cell beyond (upper_{1+k},
// lower_{M-k}).
constexpr int kPairs = kCells / 2;
static_assert(kCells % 2 == 0, "the cells are eliminated in pairs from both ends");
using PairArray = std::array<Lanes, kPairs>;

Lanes PairOf(const CellArray& a, int k) { return LanesOf(a[static_cast<std::size_t>(1 + k)], a[static_cast<std::size_t>(kCells - k)]); }

// A system's elimination: cell T = rhs + link T(next towards the middle), and the middle's.
struct TwoWayFactors {
  PairArray link, inverse;  // every slot written
};

// The temperatures from the right-hand sides' eliminated values rhs (slot k as the factors).
void MeetAndSubstitute(const TwoWayFactors& f, const PairArray& rhs, Profile& t) {
  const Lanes last = f.link[kPairs - 1], value = rhs[kPairs - 1];
  // T_m = rhs + link T_{m+1}, T_{m+1} = rhs' + link' T_m, m = M / 2.
  const double top = (Down(value) + Down(last) * Cross(value)) / (1.0 - Down(last) * Cross(last));
  Lanes at = LanesOf(top, Cross(value) + Cross(last) * top);
  t[kPairs] = Down(at);
  t[kPairs + 1] = Cross(at);
  for (int k = kPairs - 2; k >= 0; --k) {
    at = rhs[static_cast<std::size_t>(k)] + f.link[static_cast<std::size_t>(k)] * at;
    t[static_cast<std::size_t>(1 + k)] = Down(at);
    t[static_cast<std::size_t>(kCells - k)] = Cross(at);
  }
}

// Backward Euler over a step dz, per channel (flows in cm3/s):
//   rho c (F_i T_i - F_i' T_i') / dz = exchange + conduction + heating,
// F' the flows that carried the old temperatures T', F the step's. Where the flow field has
// changed (a hotter melt, a changing depth) melt has moved between orbits: across the edge
// between cells i and i+1 the flow X_i = (F'_1 + .. + F'_i) - (F_1 + .. + F_i), carrying the
// temperature of the cell it leaves (upwind, implicit). The exchanges cancel in pairs, so the
// enthalpy carried changes by exactly the heating less the wall heat; the matrix stays
// diagonally dominant by rho c F_i' / dz, so no temperature leaves the old ones' range.
//
// The march takes kMarchSubsteps such steps of dz / kMarchSubsteps on one flow field. After
// the first the flows carrying the temperatures are the step's, so nothing is exchanged and
// every later substep has the same matrix: its elimination is worked out beside the first's.
// Adds the heat conducted into the walls over the step to WallCooling, cal/s.
void MarchOrbits(CalcState& s, const Orbits& o, double width, double dz) {
  const double substep = dz / kMarchSubsteps;
  const double rhoC = s.Density * s.SpecificHeat / substep;
  const double wall = s.BarrelTemp;
  CellArray exchange{};  // slot i: X_i, outer to inner; X_0 = X_M = 0
  double before = 0, now = 0;
  for (int i = 1; i < kCells; ++i) {
    before += s.OrbitFlow[i];
    now += width * o.flow[i];
    exchange[i] = before - now;
  }
  CellArray lower, upper, diag, b, laterLower, laterUpper, laterDiag, heat;
  for (int i = 1; i <= kCells; ++i) {
    const double inFromOuter = rhoC * std::max(exchange[i - 1], 0.0);
    const double outToOuter = rhoC * std::max(-exchange[i - 1], 0.0);
    const double outToInner = rhoC * std::max(exchange[i], 0.0);
    const double inFromInner = rhoC * std::max(-exchange[i], 0.0);
    const double carried = rhoC * width * o.flow[i];
    const double conduction = width * (o.conductance[i - 1] + o.conductance[i]);
    lower[i] = width * o.conductance[i - 1] + inFromOuter;  // times T_{i-1}
    upper[i] = width * o.conductance[i] + inFromInner;      // times T_{i+1}
    diag[i] = carried + outToInner + outToOuter + conduction;
    heat[i] = width * o.heating[i];
    b[i] = rhoC * s.OrbitFlow[i] * s.OrbitTemp[i] + heat[i];
    laterLower[i] = width * o.conductance[i - 1];
    laterUpper[i] = width * o.conductance[i];
    laterDiag[i] = carried + conduction;
  }
  // No exchange with the walls: the outermost edge carries no flow, and the walls are held.
  b[1] += lower[1] * wall;
  heat[1] += laterLower[1] * wall;  // the later substeps' b_1 alike
  lower[1] = laterLower[1] = 0;

  // Both matrices' eliminations and the first substep's right-hand side in one loop: three
  // chains side by side.
  TwoWayFactors first, later;
  PairArray rhs;
  Lanes link = BothLanes(0.0), laterLink = BothLanes(0.0), value = BothLanes(0.0);
  for (int k = 0; k < kPairs; ++k) {
    const auto slot = static_cast<std::size_t>(k);
    const Lanes near = LanesOf(lower[static_cast<std::size_t>(1 + k)], upper[static_cast<std::size_t>(kCells - k)]);
    const Lanes far = LanesOf(upper[static_cast<std::size_t>(1 + k)], lower[static_cast<std::size_t>(kCells - k)]);
    const Lanes inverse = BothLanes(1.0) / (PairOf(diag, k) - near * link);
    link = far * inverse;
    first.link[slot] = link;
    first.inverse[slot] = inverse;
    value = (PairOf(b, k) + near * value) * inverse;
    rhs[slot] = value;
    const Lanes laterNear =
        LanesOf(laterLower[static_cast<std::size_t>(1 + k)], laterUpper[static_cast<std::size_t>(kCells - k)]);
    const Lanes laterFar =
        LanesOf(laterUpper[static_cast<std::size_t>(1 + k)], laterLower[static_cast<std::size_t>(kCells - k)]);
    const Lanes laterInverse = BothLanes(1.0) / (PairOf(laterDiag, k) - laterNear * laterLink);
    laterLink = laterFar * laterInverse;
    later.link[slot] = laterLink;
    later.inverse[slot] = laterInverse;
  }
  MeetAndSubstitute(first, rhs, s.OrbitTemp);
  for (int i = 1; i <= kCells; ++i) s.OrbitFlow[i] = width * o.flow[i];
  s.WallCooling += width * o.conductance[0] * (s.OrbitTemp[1] - wall) * substep;
  for (int m = 1; m < kMarchSubsteps; ++m) {
    value = BothLanes(0.0);
    for (int k = 0; k < kPairs; ++k) {
      const std::size_t top = static_cast<std::size_t>(1 + k), bottom = static_cast<std::size_t>(kCells - k);
      const Lanes carriedIn = LanesOf(rhoC * s.OrbitFlow[top] * s.OrbitTemp[top] + heat[top],
                                      rhoC * s.OrbitFlow[bottom] * s.OrbitTemp[bottom] + heat[bottom]);
      const Lanes near = LanesOf(laterLower[top], laterUpper[bottom]);
      value = (carriedIn + near * value) * later.inverse[static_cast<std::size_t>(k)];
      rhs[static_cast<std::size_t>(k)] = value;
    }
    MeetAndSubstitute(later, rhs, s.OrbitTemp);
    s.WallCooling += width * o.conductance[0] * (s.OrbitTemp[1] - wall) * substep;
  }
}

// The temperature of the orbit at a place in the cells' index (from AsinOfRoots of the
// normalised stream function): linear between cell centres, the walls' temperature on the
// outermost orbit.
double TempOfCellIndex(const CalcState& s, double rootAngle) {
  const double at = rootAngle * (2.0 / std::numbers::pi) * kCells + 0.5;
  if (at <= 1.0) return s.BarrelTemp + (s.OrbitTemp[1] - s.BarrelTemp) * AtLeast((at - 0.5) * 2.0, 0.0);
  if (at >= kCells) return s.OrbitTemp[kCells];
  const int i = static_cast<int>(at);
  return s.OrbitTemp[i] + (s.OrbitTemp[i + 1] - s.OrbitTemp[i]) * (at - i);
}

// The normalised stream function at a depth: linear between fine points, and through the
// centre's 1 in the fine interval that holds the centre.
double LevelAt(const FineField& f, double y) {
  const FinePlace p = PlaceOf(f, y);
  if (p.i != f.lastLower) return f.level[p.i] + (f.level[p.i + 1] - f.level[p.i]) * p.frac;
  const double y0 = p.i * f.h, y1 = y0 + f.h;
  if (y <= f.centre) return f.level[p.i] + (1.0 - f.level[p.i]) * (y - y0) / AtLeast(f.centre - y0, 1e-300);
  return 1.0 + (f.level[p.i + 1] - 1.0) * (y - f.centre) / AtLeast(y1 - f.centre, 1e-300);
}

// Each depth node and each Gauss point of the flow field takes the temperature of its orbit:
// the next flow field sees the orbits' temperatures inside every interval, not a line
// between its nodes (which misses the thin hot layers next to the walls).
void OrbitsToDepth(CalcState& s, const FineField& f) {
  // The levels of the nodes, then of the Gauss points, turned into angles all at once.
  constexpr int kPlaces = kProfileSize + 3 * (kProfileSize - 1);
  std::array<double, kPlaces> level, angle;
  const int nodes = s.NDiv + 1;
  for (int j = 0; j < nodes; ++j) level[j] = f.level[j * kSubdivisions];
  const double at[kFlowGaussPoints] = {0.5 - kFlowGaussSpread, 0.5, 0.5 + kFlowGaussSpread};
  for (int i = 0; i < s.NDiv; ++i) {
    for (int g = 0; g < kFlowGaussPoints; ++g) {
      level[nodes + kFlowGaussPoints * i + g] = LevelAt(f, (i + at[g]) * f.h * kSubdivisions);
    }
  }
  const int places = nodes + kFlowGaussPoints * s.NDiv;
  AsinOfRoots(places, level.data(), angle.data());
  for (int j = 0; j < nodes; ++j) s.Temp[j] = TempOfCellIndex(s, angle[j]);
  s.Temp[0] = s.BarrelTemp;
  s.Temp[s.NDiv] = s.BarrelTemp;
  for (int k = 0; k < kFlowGaussPoints * s.NDiv; ++k) s.GaussTemp[k] = TempOfCellIndex(s, angle[nodes + k]);
  s.GaussTempSet = 1;
}

}  // namespace

SinkWrite AdvanceOrbitEnergyStep(CalcState& s, ResultsSink& sink) {
  s.ChannelEnd = 0;
  FineField fine;
  if (!BuildFineField(s, fine, s.OrbitsStarted == 0)) {
    s.MarchUnbounded = 1;
    return {};
  }
  const Orbits orbits = BuildOrbits(s, fine, s.OrbitsStarted == 0);
  for (int i = 1; i <= kCells; ++i) {
    if (!(orbits.flow[i] > 0)) {
      s.MarchUnbounded = 1;
      return {};
    }
  }
  if (s.OrbitsStarted == 0) {
    for (int i = 1; i <= kCells; ++i) {
      s.OrbitTemp[i] = orbits.start[i];
      s.OrbitFlow[i] = s.ChannelWidth * orbits.flow[i];
    }
    s.OrbitsStarted = 1;
  }
  // The mean of the temperatures with the flows that carried them.
  double totalFlow = 0, flowTemp = 0;
  for (int i = 1; i <= kCells; ++i) {
    flowTemp += s.OrbitFlow[i] * s.OrbitTemp[i];
    totalFlow += s.OrbitFlow[i];
  }

  const int N = s.NDiv;
  const double W = s.ChannelWidth;
  const double remaining = s.ChannelLength - s.PosZ;
  const bool atEnd = remaining <= 1e-9 * s.StepZ;
  const bool lastStep = remaining <= 1.01 * s.StepZ;
  const double dz = atEnd ? 0.0 : (lastStep ? remaining : s.StepZ);

  s.AvgTemp = flowTemp / totalFlow;
  if (s.InletTempSet < 0) {
    s.InletAvgTemp = s.AvgTemp;
    s.InletTempSet = 1.0;
  }
  // The root of the sum of squares (no call per node); hypot only where that overflows.
  for (int j = 0; j <= N; ++j) s.ShearRate[j] = std::sqrt(s.ShearZ[j] * s.ShearZ[j] + s.ShearX[j] * s.ShearX[j]);
  for (int j = 0; j <= N; ++j) {
    if (std::isinf(s.ShearRate[j])) s.ShearRate[j] = std::hypot(s.ShearZ[j], s.ShearX[j]);
  }
  for (int i = 1; i <= N; ++i) {
    const double mid = (s.ShearRate[i - 1] + s.ShearRate[i]) / 2.0;
    s.MixingDegree += mid * dz * s.StepY * W / s.VolumeRate;
  }
  s.EnthalpyDiff = (s.MassRate * s.SpecificHeat) * (s.AvgTemp - s.InletAvgTemp);
  // The pressure by the trapezoid rule: the last step's rise completed with the mean of its
  // two ends' gradients, this one's begun with its starting gradient (what the turn line
  // shows until the next step completes it). Where the section changes along the step (a
  // tapered zone, whose section is the step's middle one) or a new zone begins, the rise
  // stays its midpoint's.
  const double completion = s.ZoneEntered == 1 ? 0.0 : 0.5 * (s.PressGradZ - s.LastPressGradZ) * s.LastStepZ;
  s.Pressure += completion + s.PressGradZ * dz;
  // The barrel's work: the heating the march carries over the step and the pressure's power,
  // the latter by the same trapezoid rule as the pressure.
  const double barrelWork = ((s.ShearZ[N] * s.VelZ[N]) + (s.ShearX[N] * s.VelX[N])) * s.Viscosity[N];
  s.PowerInput += (barrelWork * W * dz + completion * s.VolumeRate) * kEnergyUnits.workToHeat;
  const bool oneSection = s.Zones == nullptr || s.Zones->spans[static_cast<std::size_t>(s.ZoneIndex)].depthFrom ==
                                                     s.Zones->spans[static_cast<std::size_t>(s.ZoneIndex)].depthTo;
  s.LastPressGradZ = s.PressGradZ;
  s.LastStepZ = oneSection ? dz : 0.0;
  s.Turns = TurnsAt(s, s.PosZ);
  CheckFaultFlags("the pressure and power of the step");

  // Every fourth step, and the first of each zone of a screw of zones.
  if (s.StepCount % 4 == 0 || s.ZoneEntered == 1) {
    SinkWrite line = sink.WriteTurnLine(s);
    if (line.result != SinkWrite::Result::Written) return line;
  }
  s.ZoneEntered = 0;
  if (atEnd) {
    s.TempPrev = s.Temp;
    s.ChannelEnd = 1;
    return {};
  }

  // The march in substeps on the step's flow field: the implicit conduction lags the
  // temperatures' rise by a part of the step; the substeps make that part smaller.
  MarchOrbits(s, orbits, W, dz);
  OrbitsToDepth(s, fine);
  CheckFaultFlags("the energy step");
  s.PosZ = lastStep ? s.ChannelLength : s.PosZ + s.StepZ;
  s.TempPrev = s.Temp;
  s.StepCount = s.StepCount + 1;
  return {};
}

}  // namespace kelvado
