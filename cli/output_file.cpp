#include "output_file.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace kelvado::cli {

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {
  file_ = std::fopen(path_.c_str(), "wb");
  if (file_ == nullptr) Fail(errno);
}

OutputFile::~OutputFile() {
  if (file_ != nullptr) std::fclose(file_);
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
}

void OutputFile::Fail(int error) const {
  std::string message = "can not write '";
  message.append(path_).append("': ").append(std::strerror(error));
  throw OutputError(message);
}

void WriteWholeFile(const std::string& path, std::string_view bytes) {
  OutputFile file(path);
  file.Write(bytes);
  file.Close();
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
