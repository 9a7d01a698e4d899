#pragma once
// The results file: header, progress lines and outlet block, each written by opening the
// file, writing the stage and closing it again, so the file on disk is always complete up
// to the last stage written.
#include <string>
#include <utility>
#include <sys/stat.h>

namespace kelvado {

struct CalcState;
class RunServices;

enum class TextEncoding {
  ShiftJis,  // the degree-Celsius sign and the ideographic space as their two-byte pairs
  Utf8,      // the same text with those two characters in UTF-8
};

// The file name (after the last '/') is cut to this many bytes, never inside a UTF-8
// character; the folders of the path are kept whole.
inline constexpr std::size_t kMaxResultFileName = 255;
std::string CutResultFileName(const std::string& name);

class ResultFile {
 public:
  // `path` is used as it stands (the run cuts the user's name before placing it in a folder).
  ResultFile(std::string path, char decimalSeparator, TextEncoding encoding);

  const std::string& Name() const { return name_; }

  // Creates or truncates the file and writes the header block. FileOk reports the open.
  void WriteResultHeader(CalcState& state, RunServices& services);
  // Appends one progress line; fails (FileOk = 0) when the file no longer exists.
  void WriteTurnLine(CalcState& state, RunServices& services);
  // Appends the outlet profiles and the power balance.
  void WriteOutletBlock(CalcState& state, RunServices& services);

  // Deletes the file, but only while its name still names the regular file that
  // WriteResultHeader opened: never a device, a folder or a file put there since.
  void DeleteIfOurs();

 private:
  enum class OpenMode { Create, Append };
  void WriteStage(CalcState& state, RunServices& services, OpenMode mode, std::string bytes);
  void RememberIdentity(int fd, OpenMode mode);

  std::string name_;
  char separator_;
  TextEncoding encoding_;
  std::pair<dev_t, ino_t> opened_{};  // the file the header went into, of whatever type
  bool created_ = false;  // the name names the regular file this run wrote, as identity_ says
  struct stat identity_ {};
};

// The byte texts of the three stages (CR LF line ends, Shift-JIS pairs), for the writers and tests.
std::string HeaderBlockText(const CalcState& state, char separator);
std::string TurnLineText(const CalcState& state, char separator);
std::string OutletBlockText(const CalcState& state, char separator);

}  // namespace kelvado
