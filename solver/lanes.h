#pragma once
// Two doubles worked on together: the down-channel value in one lane and the cross-channel
// value in the other, or two neighbouring slots of a row (LoadLanes, StoreLanes). Every operation is the IEEE one of each lane (SSE2 packed add, sub,
// mul and div round each lane exactly as the scalar instruction does), so a pass computed in
// lanes gives the bits of the same pass computed one direction at a time.
#if defined(__SSE2__)
#include <emmintrin.h>
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

}  // namespace kelvado
