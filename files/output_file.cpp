// SPDX-License-Identifier: Apache-2.0
#include "files/output_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <climits>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

#include "files/replaced_mode.h"
#include "files/user_materials_path.h"
#include "solver/input_error.h"

namespace kelvado {

namespace {

// Messages name standard output as such, not as "-".
std::string Shown(const std::string& path) { return path == "-" ? "standard output" : "'" + path + "'"; }

std::string CanNotWrite(const std::string& path, const char* reason) {
  return std::string("can not write ").append(Shown(path)).append(": ").append(reason);
}

bool IsDevice(const struct stat& st) { return S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode); }

bool IsDevice(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && IsDevice(st);
}

// Root may write any file; a file without a write bit is still taken as one not to replace.
bool MayWrite(const std::string& path, const struct stat& st) {
  return ::access(path.c_str(), W_OK) == 0 && (st.st_mode & 0222) != 0;
}

// Whether two paths name one file: the same existing file (through links too), or the
// same name once made absolute. A path that can not be made canonical (too long, say)
// names no file of another: its own problem is reported when it is written.
bool SameFile(const std::string& a, const std::string& b) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (fs::equivalent(a, b, ec)) return true;
  std::error_code ecA, ecB;
  const fs::path canonicalA = fs::weakly_canonical(fs::absolute(a, ecA), ecA);
  const fs::path canonicalB = fs::weakly_canonical(fs::absolute(b, ecB), ecB);
  return !ecA && !ecB && canonicalA == canonicalB;
}

// Whether `path` names the regular file standard input is read from (`< file`): the run
// reads it as "-", and an output there would replace what it read.
bool IsStandardInputFile(const std::string& path) {
  struct stat named {};
  struct stat in {};
  return ::fstat(STDIN_FILENO, &in) == 0 && S_ISREG(in.st_mode) && ::stat(path.c_str(), &named) == 0 &&
         named.st_dev == in.st_dev && named.st_ino == in.st_ino;
}

}  // namespace

bool IsStandardOutput(const std::string& path) {
  if (path == "-") return true;
  struct stat named {};
  struct stat out {};
  return ::stat(path.c_str(), &named) == 0 && ::fstat(STDOUT_FILENO, &out) == 0 && named.st_dev == out.st_dev &&
         named.st_ino == out.st_ino;
}

bool TakesStandardOutput(const std::string& path) {
  return path == "-" || (IsStandardOutput(path) && !IsDevice(path));
}

void RefuseSpecialFile(const std::string& path) {
  if (IsStandardOutput(path)) return;
  // Found out before the work rather than when the file is made after it.
  if (path.size() >= PATH_MAX) throw OutputError(CanNotWrite(path, "the path is longer than 4095 bytes"));
  for (const auto& part : std::filesystem::path(path)) {
    if (part.string().size() > NAME_MAX) {
      throw OutputError(CanNotWrite(path, "a name in it is longer than 255 bytes"));
    }
  }
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return;
  if (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || S_ISDIR(st.st_mode)) {
    throw OutputError(CanNotWrite(path, "a FIFO, a socket or a folder is no file to write"));
  }
  if (S_ISREG(st.st_mode) && !MayWrite(path, st)) {
    throw OutputError(CanNotWrite(path, "the file is read-only; it is left as it is"));
  }
}

OutputFile::OutputFile(std::string path) : path_(std::move(path)), target_(path_) {
  RefuseSpecialFile(path_);
  if (IsStandardOutput(path_)) {
    // A duplicate, so that closing this file leaves standard output open for the rest.
    const int fd = ::dup(STDOUT_FILENO);
    file_ = fd < 0 ? nullptr : ::fdopen(fd, "wb");
    if (file_ == nullptr) Fail(errno);
    return;
  }
  struct stat st {};
  const bool exists = ::stat(path_.c_str(), &st) == 0;  // through a link, to what it names
  if (exists && IsDevice(st)) {
    file_ = std::fopen(path_.c_str(), "wb");
    if (file_ == nullptr) Fail(errno);
    return;
  }
  struct stat link {};
  if (exists && ::lstat(path_.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    std::error_code ec;
    target_ = std::filesystem::canonical(path_, ec).string();  // replace the file, keep the link
    if (ec) target_ = path_;
  }
  temporary_ = target_ + ".XXXXXX";
  const int fd = ::mkstemp(temporary_.data());
  if (fd < 0) {
    const int error = errno;
    temporary_.clear();
    Fail(error);
  }
  ::fchmod(fd, ReplacedMode(exists ? &st : nullptr));
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    const int error = errno;
    ::close(fd);
    ::unlink(temporary_.c_str());  // no destructor runs for a constructor that throws
    Fail(error);
  }
}

OutputFile::~OutputFile() {
  if (file_ != nullptr) std::fclose(file_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

void OutputFile::Write(std::string_view bytes) {
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) FailWriting(errno);
}

void OutputFile::Close() {
  const bool flushed = std::fflush(file_) == 0;
  const int error = errno;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!flushed) FailWriting(error);
  if (!closed) FailWriting(errno);
  if (temporary_.empty()) return;
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) FailWriting(errno);
  temporary_.clear();
}

void OutputFile::Fail(int error) const { Fail(std::strerror(error)); }

void OutputFile::Fail(const char* reason) const { throw OutputError(CanNotWrite(path_, reason)); }

void OutputFile::FailWriting(int error) const { throw OutputWriteError(CanNotWrite(path_, std::strerror(error))); }

void WriteWholeFile(const std::string& path, std::string_view bytes) {
  OutputFile file(path);
  file.Write(bytes);
  file.Close();
}

void CheckOutputs(const std::vector<std::string>& outputs, const std::vector<std::string>& inputs) {
  // Standard output under any of its names is one file, unless it is a device.
  std::vector<std::string> named;
  for (const std::string& path : outputs) named.push_back(TakesStandardOutput(path) ? "-" : path);
  const std::optional<std::filesystem::path> materials = UserMaterialsPath();
  for (std::size_t i = 0; i < named.size(); ++i) {
    if (named[i] != "-" && IsDevice(named[i])) continue;
    for (std::size_t k = i + 1; k < named.size(); ++k) {
      if (named[i] == named[k] || SameFile(named[i], named[k])) {
        throw InputError::Of(Shown(outputs[i]), " and ", Shown(outputs[k]),
                             " name the same file; give each output its own");
      }
    }
    if (named[i] == "-") continue;
    for (const std::string& input : inputs) {
      if (input == "-" ? IsStandardInputFile(named[i]) : SameFile(named[i], input)) {
        throw InputError::Of(Shown(outputs[i]), " is also an input of this run; write the output elsewhere");
      }
    }
    // Whether or not the run reads it: the user's materials are kept in no other copy.
    if (materials && SameFile(named[i], materials->string())) {
      throw InputError::Of(Shown(outputs[i]), " is the user's materials file (", materials->string(),
                           "); write the output elsewhere");
    }
  }
  for (const std::string& path : outputs) RefuseSpecialFile(path);
}

void MakeFolder(const std::string& path) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (ec) {
    std::string message = "can not make the folder '";
    message.append(path).append("': ").append(ec.message());
    throw OutputError(message);
  }
}

}  // namespace kelvado
