#!/usr/bin/env python3
# SPDX-License-Identifier: Apache-2.0
"""Independent least-squares fits of the power law to sampled data-sheet models.

Prints the expected numbers pasted into viscosity_fit_test.cpp. Written apart from the
program's code: the models from their formulas, the 20 x 5 sampling grid, then the 3x3
normal equations of ln eta = c0 + c1 ln(g/100) + c2 (T - T0) solved by Gauss-Jordan
elimination in plain Python floats. Run: python3 tests/materials/datasheet_fits.py
"""
import math

PA_S_PER_GF_S_PER_CM2 = 98.0665
R = 8.314462618


def cross_wlf(T, g, n, tau, d1, d2, a1, a2):
    Tk = T + 273.15
    eta0 = d1 * math.exp(-a1 * (Tk - d2) / (a2 + Tk - d2))
    return eta0 / (1 + (eta0 * g / tau) ** (1 - n))


def carreau(T, g, eta0, lam, n, a, tref, E):
    aT = math.exp(E / R * (1 / (T + 273.15) - 1 / (tref + 273.15)))
    return eta0 * aT * (1 + (lam * aT * g) ** a) ** ((n - 1) / a)


def fit(model, g_from, g_to, t_from, t_to, g0=100.0):
    rates = [10 ** (math.log10(g_from) + i * (math.log10(g_to) - math.log10(g_from)) / 19) for i in range(20)]
    temps = [t_from + j * (t_to - t_from) / 4 for j in range(5)]
    t0 = (t_from + t_to) / 2
    rows = [(1.0, math.log(g / g0), T - t0, math.log(model(T, g) / PA_S_PER_GF_S_PER_CM2)) for T in temps for g in rates]
    A = [[sum(r[i] * r[j] for r in rows) for j in range(3)] + [sum(r[i] * r[3] for r in rows)] for i in range(3)]
    for k in range(3):
        A[k] = [v / A[k][k] for v in A[k]]
        for i in range(3):
            if i != k:
                A[i] = [vi - A[i][k] * vk for vi, vk in zip(A[i], A[k])]
    c0, c1, c2 = (A[i][3] for i in range(3))
    worst = max(abs(math.exp(c0 + c1 * x + c2 * y) / math.exp(z) - 1) for _, x, y, z in rows)
    return {"eta0_gf_s_per_cm2": math.exp(c0), "n": 1 + c1, "b": -c2, "T0": t0, "worst": worst}


print("cross-wlf", fit(lambda T, g: cross_wlf(T, g, 0.2842, 27300, 4.5e13, 263.15, 28.7, 51.6), 10, 1000, 200, 260))
print("carreau", fit(lambda T, g: carreau(T, g, 2500, 0.05, 0.4, 2, 220, 40000), 10, 1000, 200, 260))
