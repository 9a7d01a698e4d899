// SPDX-License-Identifier: Apache-2.0
#pragma once
// The results file: header, progress lines and outlet block, each written as its stage
// ends into a temporary file beside the target, which takes the target's name only when
// the outlet block is written: a run that fails or is cancelled leaves the earlier file of
// that name as it was.
#include <string>
#include <sys/types.h>

#include "solver/results_sink.h"
#include "solver/run.h"

namespace kelvado {

struct CalcState;

// The file name (after the last '/') is cut to this many bytes, never inside a UTF-8
// character; the folders of the path are kept whole.
inline constexpr std::size_t kMaxResultFileName = 255;
std::string CutResultFileName(const std::string& name);

// The path the results file of a request is written to: the name cut to its 255 bytes,
// placed in the request's folder unless it names a folder of its own from the root.
std::string ResultPath(const RunRequest& request);

// Runs the request and writes its results file, or none when the request says so.
RunOutcome RunWithResultsFile(const RunRequest& request, RunServices& services);

class ResultFile : public ResultsSink {
 public:
  // `path` is used as it stands (ResultPath makes it from a request).
  ResultFile(std::string path, char decimalSeparator, TextEncoding encoding,
             FlowModel model = FlowModel::Classic);
  ResultFile(ResultFile&& other) noexcept;
  ResultFile& operator=(ResultFile&&) = delete;
  ~ResultFile() override;  // an unfinished temporary file goes

  // The stages written in turn to a descriptor the caller keeps open (standard output of a
  // script, even a pipe): nothing is opened, checked or deleted.
  static ResultFile OnDescriptor(int descriptor, char decimalSeparator, TextEncoding encoding,
                                 FlowModel model = FlowModel::Classic);

  const std::string& Name() const { return name_; }

  // The header makes the temporary file, keeping the mode of the file it will replace and
  // writing through a symbolic link to its target. A device is written in place; a FIFO, a
  // socket, a folder or a read-only file is refused at once, never waited on. A later
  // stage whose temporary file was removed meanwhile is refused too.
  SinkWrite WriteHeader(const CalcState& state) override;
  SinkWrite WriteTurnLine(const CalcState& state) override;
  // Also puts the file in place, unless a trailer is to follow.
  SinkWrite WriteOutletBlock(const CalcState& state) override;

  // A block that follows the outlet block (a screw fed with pellets adds its stages): the
  // file then takes its name only with WriteTrailer.
  void ExpectTrailer() { trailerFollows_ = true; }
  SinkWrite WriteTrailer(std::string bytes);

  // Removes the temporary file; the target is never touched.
  void DeleteUnfinished() override;

 private:
  SinkWrite Open();
  SinkWrite Append(std::string bytes);
  SinkWrite PutInPlace();
  void CloseDescriptor();

  std::string name_;
  bool borrowed_ = false;  // the descriptor is the caller's: written to, never closed
  bool trailerFollows_ = false;
  int descriptor_ = -1;
  char separator_;
  TextEncoding encoding_;
  FlowModel model_;
  std::string target_;     // the file the name leads to, through a link
  std::string temporary_;  // beside it, while unfinished; empty when written in place
  struct {
    dev_t device = 0;
    ino_t inode = 0;
  } temporaryId_;
};

// The byte texts of the three stages (CR LF line ends, Shift-JIS pairs), for the writers and tests.
std::string HeaderBlockText(const CalcState& state, char separator, FlowModel model = FlowModel::Classic);
std::string TurnLineText(const CalcState& state, char separator);
std::string OutletBlockText(const CalcState& state, char separator);

}  // namespace kelvado
