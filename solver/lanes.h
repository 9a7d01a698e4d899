// SPDX-License-Identifier: Apache-2.0
#pragma once
// Doubles worked on together: Lanes holds two (the down-channel value in one lane and the
// cross-channel value in the other, or two neighbouring slots of a row), Quad four where
// the processor has AVX. Every operation is the IEEE one of each lane (packed add, sub, mul
// and div round each lane exactly as the scalar instruction does, and nothing is fused), so
// work done in lanes gives the bits of the same work done one value at a time.
#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && defined(__SSE2__)
#include <immintrin.h>
#define KELVADO_FOUR_LANES 1
// Functions using Quad are compiled for AVX; call them only when HaveFourLanes().
#define KELVADO_AVX __attribute__((target("avx")))
#endif

namespace kelvado {

#if defined(__SSE2__)
struct Lanes {
  __m128d v;
};
inline Lanes LanesOf(double down, double cross) { return {_mm_set_pd(cross, down)}; }
inline Lanes BothLanes(double value) { return {_mm_set1_pd(value)}; }
inline Lanes operator+(Lanes a, Lanes b) { return {_mm_add_pd(a.v, b.v)}; }
inline Lanes operator-(Lanes a, Lanes b) { return {_mm_sub_pd(a.v, b.v)}; }
inline Lanes operator*(Lanes a, Lanes b) { return {_mm_mul_pd(a.v, b.v)}; }
inline Lanes operator/(Lanes a, Lanes b) { return {_mm_div_pd(a.v, b.v)}; }
inline double Down(Lanes a) { return _mm_cvtsd_f64(a.v); }
inline double Cross(Lanes a) { return _mm_cvtsd_f64(_mm_unpackhi_pd(a.v, a.v)); }
inline Lanes LoadLanes(const double* at) { return {_mm_loadu_pd(at)}; }
inline void StoreLanes(double* at, Lanes a) { _mm_storeu_pd(at, a.v); }
#else
struct Lanes {
  double down, cross;
};
inline Lanes LanesOf(double down, double cross) { return {down, cross}; }
inline Lanes BothLanes(double value) { return {value, value}; }
inline Lanes operator+(Lanes a, Lanes b) { return {a.down + b.down, a.cross + b.cross}; }
inline Lanes operator-(Lanes a, Lanes b) { return {a.down - b.down, a.cross - b.cross}; }
inline Lanes operator*(Lanes a, Lanes b) { return {a.down * b.down, a.cross * b.cross}; }
inline Lanes operator/(Lanes a, Lanes b) { return {a.down / b.down, a.cross / b.cross}; }
inline double Down(Lanes a) { return a.down; }
inline double Cross(Lanes a) { return a.cross; }
inline Lanes LoadLanes(const double* at) { return {at[0], at[1]}; }
inline void StoreLanes(double* at, Lanes a) {
  at[0] = a.down;
  at[1] = a.cross;
}
#endif

#ifdef KELVADO_FOUR_LANES
struct Quad {
  __m256d v;
};
KELVADO_AVX inline Quad QuadOf(Lanes low, Lanes high) { return {_mm256_set_m128d(high.v, low.v)}; }
KELVADO_AVX inline Quad AllLanes(double value) { return {_mm256_set1_pd(value)}; }
KELVADO_AVX inline Quad operator-(Quad a, Quad b) { return {_mm256_sub_pd(a.v, b.v)}; }
KELVADO_AVX inline Quad operator*(Quad a, Quad b) { return {_mm256_mul_pd(a.v, b.v)}; }
KELVADO_AVX inline Quad operator/(Quad a, Quad b) { return {_mm256_div_pd(a.v, b.v)}; }
KELVADO_AVX inline Lanes LowHalf(Quad a) { return {_mm256_castpd256_pd128(a.v)}; }
KELVADO_AVX inline Lanes HighHalf(Quad a) { return {_mm256_extractf128_pd(a.v, 1)}; }
KELVADO_AVX inline Quad LoadQuad(const double* at) { return {_mm256_loadu_pd(at)}; }
KELVADO_AVX inline void StoreQuad(double* at, Quad a) { _mm256_storeu_pd(at, a.v); }

inline bool HaveFourLanes() {
  static const bool avx = __builtin_cpu_supports("avx");
  return avx;
}
#else
inline bool HaveFourLanes() { return false; }
#endif

}  // namespace kelvado
