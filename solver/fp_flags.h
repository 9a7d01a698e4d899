// SPDX-License-Identifier: Apache-2.0
#pragma once
// The floating-point exception flags the solver's own arithmetic raises, read and cleared
// cheaply. On x86-64 all of it is SSE arithmetic, whose flags are the low bits of MXCSR (the
// same bits as FE_INVALID .. FE_INEXACT): one instruction each way, where fetestexcept also
// reads the x87 status and feclearexcept rewrites the x87 environment.
#include <cfenv>
#if defined(__SSE2__) && defined(__x86_64__)
#include <immintrin.h>
#endif

namespace kelvado {

#if defined(__SSE2__) && defined(__x86_64__)
inline int RaisedSolverFlags() { return static_cast<int>(_mm_getcsr() & FE_ALL_EXCEPT); }
inline void ClearSolverFlags(int flags) { _mm_setcsr(_mm_getcsr() & ~static_cast<unsigned>(flags)); }
#else
inline int RaisedSolverFlags() { return std::fetestexcept(FE_ALL_EXCEPT); }
inline void ClearSolverFlags(int flags) { std::feclearexcept(flags); }
#endif

}  // namespace kelvado
