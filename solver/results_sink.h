// SPDX-License-Identifier: Apache-2.0
#pragma once
// What a run needs from a results writer: the three stages of the results file, each
// saying how the write went, and the removal of what an unfinished run wrote. The
// report folder writes the file; the driver decides what a failed write means.
#include <string>

namespace kelvado {

struct CalcState;

struct SinkWrite {
  enum class Result {
    Written,
    NotOpened,  // the file could not be opened (or no longer exists for a later stage)
    Failed,     // writing or closing failed after opening, or the name now holds another file
  };
  Result result = Result::Written;
  std::string detail;  // the system's reason for a failure
};

class ResultsSink {
 public:
  virtual ~ResultsSink() = default;
  // Creates or truncates the file and writes the header block.
  virtual SinkWrite WriteHeader(const CalcState& state) = 0;
  // Appends the progress line of the step just evaluated.
  virtual SinkWrite WriteTurnLine(const CalcState& state) = 0;
  // Appends the outlet profiles and the power balance.
  virtual SinkWrite WriteOutletBlock(const CalcState& state) = 0;
  // Removes what the unfinished run wrote; an earlier file of the same name stays as it was.
  virtual void DeleteUnfinished() = 0;
};

// The choice of a run that keeps numbers only (sweeps, pictures): every write succeeds and
// nothing reaches the disk.
class NoResultsFile : public ResultsSink {
 public:
  SinkWrite WriteHeader(const CalcState&) override { return {}; }
  SinkWrite WriteTurnLine(const CalcState&) override { return {}; }
  SinkWrite WriteOutletBlock(const CalcState&) override { return {}; }
  void DeleteUnfinished() override {}
};

}  // namespace kelvado
