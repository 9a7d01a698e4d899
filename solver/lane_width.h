// SPDX-License-Identifier: Apache-2.0
#pragma once

namespace kelvado {

// How many doubles the vector code of the solver works on at once. Every width gives the
// same bits; Two is there so that tests can check the narrower code on any processor.
enum class LaneWidth {
  Best,  // four lanes where the processor has them (AVX), else two
  Two,   // SSE2, or plain doubles where there is no SSE2
};

}  // namespace kelvado
