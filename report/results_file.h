// SPDX-License-Identifier: Apache-2.0
#pragma once
// The results file: header, progress lines and outlet block, each written by opening the
// file, writing the stage and closing it again, so the file on disk is always complete up
// to the last stage written.
#include <cstdint>
#include <string>

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

  // The stages written in turn to a descriptor the caller keeps open (standard output of a
  // script, even a pipe): nothing is opened, checked or deleted.
  static ResultFile OnDescriptor(int descriptor, char decimalSeparator, TextEncoding encoding,
                                 FlowModel model = FlowModel::Classic);

  const std::string& Name() const { return name_; }

  // A FIFO or socket is refused at once, never waited on; a later stage that finds another
  // file under the name fails instead of writing into it.
  SinkWrite WriteHeader(const CalcState& state) override;
  SinkWrite WriteTurnLine(const CalcState& state) override;
  SinkWrite WriteOutletBlock(const CalcState& state) override;

  // Deletes the file, but only while its name still names the regular file that
  // WriteHeader opened, as last written: never a device, a folder or a file put there since.
  void DeleteUnfinished() override;

 private:
  enum class OpenMode { Create, Append };
  SinkWrite WriteStage(OpenMode mode, std::string bytes);

  // What tells one file from another: inode numbers are reused at once on most file
  // systems, so the size and modification time after our last write belong to it too.
  struct Identity {
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = 0, modifiedSec = 0, modifiedNsec = 0;
  };

  std::string name_;
  int descriptor_ = -1;   // set: written there instead of the file under name_
  char separator_;
  TextEncoding encoding_;
  FlowModel model_;
  Identity opened_;       // the file the header went into, of whatever type
  bool created_ = false;  // the name names the regular file this run wrote, as last_ says
  Identity last_;
};

// The byte texts of the three stages (CR LF line ends, Shift-JIS pairs), for the writers and tests.
std::string HeaderBlockText(const CalcState& state, char separator, FlowModel model = FlowModel::Classic);
std::string TurnLineText(const CalcState& state, char separator);
std::string OutletBlockText(const CalcState& state, char separator);

}  // namespace kelvado
