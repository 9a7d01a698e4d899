// SPDX-License-Identifier: Apache-2.0
#pragma once
// Machine-readable copies of a run for the engineer's own tools: CSV (RFC 4180, UTF-8, CR LF,
// units in the header) and one JSON document. Numbers are written in the shortest form that
// reads back as the same double, always with a decimal point.
#include <atomic>
#include <functional>
#include <string>
#include <string_view>

#include "solver/run.h"

namespace kelvado {

// Every down-channel step.
std::string StepsCsv(const RunRecord& record, FlowModel model = FlowModel::Classic);
// Every depth node of the outlet.
std::string OutletCsv(const RunRecord& record, FlowModel model = FlowModel::Classic);
// Inputs, flow model, operating conditions, steps, outlet profiles and power balance. With
// `cancel` set the steps are left out and the status says "cancelled".
std::string RunJson(const RunRequest& request, const RunOutcome& outcome, const std::atomic<bool>* cancel = nullptr);

// The same document handed to `write` in pieces, the steps a row at a time. Returns false,
// the document unfinished, when `cancel` is set on the way: RunJson then says "cancelled".
bool WriteRunJson(const RunRequest& request, const RunOutcome& outcome,
                  const std::function<void(std::string_view)>& write, const std::atomic<bool>* cancel);

}  // namespace kelvado
