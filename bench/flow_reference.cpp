// SPDX-License-Identifier: Apache-2.0
// The fine reference of the default case's first-step flow field for each power-law index
// given: prints n, Gz and Gx (gf/cm3), one line each. Not a timing: the reference curve of
// docs/flow_models.sh, computed by tests/support/fine_flow_reference.h, independent of the
// solver's own flow models.
//
//   kelvado-flow-reference 0.3 0.35 ... 1
#include <cstdio>
#include <memory>
#include <string>

#include "solver/calc_state.h"
#include "solver/grid.h"
#include "solver/input.h"
#include "solver/input_fields.h"
#include "solver/operating.h"
#include "solver/services.h"
#include "tests/support/fine_flow_reference.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s N...  (power-law indices; the default case otherwise)\n", argv[0]);
    return 2;
  }
  std::printf("# n  Gz (gf/cm3)  Gx (gf/cm3), first step, fine reference on %d cells\n",
              kelvado::testing::kFineReferenceCells);
  for (int i = 1; i < argc; ++i) {
    // The index goes in as the command line puts it: the default texts with Edit16 replaced.
    kelvado::InputTexts texts = kelvado::DefaultInputTexts();
    texts[kelvado::Field::PowerIndex] = argv[i];
    auto s = std::make_unique<kelvado::CalcState>();
    kelvado::QuietServices services;
    kelvado::ReadInputData(*s, texts, '.', services);
    if (!s->InputValid || !(s->PowerIndex >= 0.1 && s->PowerIndex <= 1.5)) {
      std::fprintf(stderr, "'%s' is no power-law index between 0.1 and 1.5\n", argv[i]);
      return 2;
    }
    kelvado::ComputeOperatingConditions(*s);
    kelvado::PrepareGridAndProfiles(*s);
    const kelvado::testing::FineFlowReference reference(*s, kelvado::testing::kFineReferenceCells);
    const auto solution = reference.Solve();
    if (!(solution.residual <= 1e-11)) {
      std::fprintf(stderr, "the reference did not converge for n = %s (residual %g)\n", argv[i], solution.residual);
      return 1;
    }
    std::printf("%s %.6f %.6f\n", kelvado::ExactNumberText(s->PowerIndex).c_str(), solution.p[2], solution.p[3]);
  }
  return 0;
}
