#include "cli/output_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

#include "cli/usage_error.h"

namespace kelvado::cli {

namespace {

std::string CanNotWrite(const std::string& path, const char* reason) {
  return std::string("can not write '").append(path).append("': ").append(reason);
}

}  // namespace

void RefuseSpecialFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && (S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode) || S_ISDIR(st.st_mode))) {
    throw OutputError(CanNotWrite(path, "a FIFO, a socket or a folder is no file to write"));
  }
}

OutputFile::OutputFile(std::string path) : path_(std::move(path)), target_(path_) {
  RefuseSpecialFile(path_);
  struct stat st {};
  const bool exists = ::stat(path_.c_str(), &st) == 0;  // through a link, to what it names
  if (exists && (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))) {
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
  // The file keeps the mode it had, or gets the one a new file gets.
  mode_t mode = 0;
  if (exists) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd, mode);
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
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) Fail(errno);
}

void OutputFile::Close() {
  const bool flushed = std::fflush(file_) == 0;
  const int error = errno;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!flushed) Fail(error);
  if (!closed) Fail(errno);
  if (temporary_.empty()) return;
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) Fail(errno);
  temporary_.clear();
}

void OutputFile::Fail(int error) const { Fail(std::strerror(error)); }

void OutputFile::Fail(const char* reason) const { throw OutputError(CanNotWrite(path_, reason)); }

void WriteWholeFile(const std::string& path, std::string_view bytes) {
  OutputFile file(path);
  file.Write(bytes);
  file.Close();
}

void RefuseSameFileTwice(const std::vector<std::string>& paths) {
  namespace fs = std::filesystem;
  auto isDevice = [](const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode));
  };
  auto same = [](const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;  // links and hard links to one existing file
    return fs::weakly_canonical(fs::absolute(a, ec), ec) == fs::weakly_canonical(fs::absolute(b, ec), ec);
  };
  for (std::size_t i = 0; i < paths.size(); ++i) {
    for (std::size_t k = i + 1; k < paths.size(); ++k) {
      if (!isDevice(paths[i]) && same(paths[i], paths[k])) {
        throw UsageError::Of("'", paths[i], "' and '", paths[k], "' name the same file; give each output its own");
      }
    }
  }
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

}  // namespace kelvado::cli
