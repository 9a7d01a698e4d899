// SPDX-License-Identifier: Apache-2.0
#pragma once
// Files a command writes besides the results file (exports and sweep tables); a failure
// names the file and the system's reason.
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kelvado {

class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A write that failed once the output was open (a full disk, a reader that went away): a
// write error, where an output that could not be opened or made is not.
class OutputWriteError : public OutputError {
 public:
  using OutputError::OutputError;
};

// A file opened for writing, so that a command can find out before its work that the file
// can not be made. The bytes go to a temporary file beside the target, renamed over it
// only by Close(): a run that is interrupted or fails leaves the previous file as it was.
// A device (/dev/null, a terminal) and standard output ("-", or the file it is open on,
// even a pipe) are written in place; a FIFO, a socket, a folder or a file the user may not
// write is refused at once. Throws OutputError.
class OutputFile {
 public:
  explicit OutputFile(std::string path);
  ~OutputFile();  // without Close(), the temporary file goes and the target stays
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // A failure here or in Close() is an OutputWriteError.
  void Write(std::string_view bytes);
  // Writes what is buffered, closes and puts the file in place; an error that only shows
  // here is thrown too.
  void Close();

 private:
  [[noreturn]] void Fail(int error) const;
  [[noreturn]] void Fail(const char* reason) const;
  [[noreturn]] void FailWriting(int error) const;

  std::string path_;       // as the user named it
  std::string target_;     // where the file lands: the path, or the file a link names
  std::string temporary_;  // empty when written in place
  std::FILE* file_ = nullptr;
};

void WriteWholeFile(const std::string& path, std::string_view bytes);

// "-", or a path that names the file standard output is open on.
bool IsStandardOutput(const std::string& path);
// Whether `path` makes standard output carry a file of its own: "-", or the pipe or file
// standard output is open on (a device such as a terminal takes any number of writers).
// Nothing else may then go there.
bool TakesStandardOutput(const std::string& path);

// Throws OutputError when `path` names a FIFO, a socket or a folder (standard output
// aside), or a file the user may not write: found out before a command's work, never by an
// open that could block.
void RefuseSpecialFile(const std::string& path);

// The rule every entry point applies to its outputs before its work: InputError when two
// outputs name the same file (devices aside, which take any number of writers), or an output
// names one of the run's inputs (for "-", the regular file standard input is read from) or
// the user's materials file, whether the run reads it or not; then RefuseSpecialFile for each
// output. A file is named through links too: the same device and inode.
void CheckOutputs(const std::vector<std::string>& outputs, const std::vector<std::string>& inputs);

// The folder and those above it, where missing.
void MakeFolder(const std::string& path);

}  // namespace kelvado
