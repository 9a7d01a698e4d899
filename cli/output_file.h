#pragma once
// Files a command writes besides the results file (exports and sweep tables); a failure
// names the file and the system's reason.
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>

namespace kelvado::cli {

class OutputError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A file opened for writing, so that a command can find out before its work that the file
// can not be made. Throws OutputError.
class OutputFile {
 public:
  explicit OutputFile(std::string path);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  void Write(std::string_view bytes);
  // Writes what is buffered and closes; an error that only shows here is thrown too.
  void Close();

 private:
  [[noreturn]] void Fail(int error) const;

  std::string path_;
  std::FILE* file_ = nullptr;
};

void WriteWholeFile(const std::string& path, std::string_view bytes);

// The folder and those above it, where missing.
void MakeFolder(const std::string& path);

}  // namespace kelvado::cli
