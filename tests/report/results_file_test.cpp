// SPDX-License-Identifier: Apache-2.0
#include "report/results_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "solver/calc_state.h"
#include "tests/support/recording_services.h"
#include "tests/support/temp_dir.h"

namespace kelvado {
namespace {

using testing::ReadBytes;
using testing::RecordingServices;
using testing::TempDir;
using testing::WriteBytes;

CalcState TurnLineState() {
  CalcState s;
  s.Turns = 0.2;
  s.AvgTemp = 301.236;
  s.MixingDegree = 12.3456;
  s.WallCooling = -12.5;
  s.EnthalpyDiff = 3.45678;
  s.PowerInput = 1234.5;
  s.Pressure = 56789.0;
  s.ClosureIter = 7;
  return s;
}

TEST(ResultsFileText, ProgressLineHasItsFixedColumns) {
  EXPECT_EQ(TurnLineText(TurnLineState(), '.'),
            " 0.200  301.24    12.35  -1.2500E+01  3.4568E+00  1.2345E+03  5.6789E+04  7\r\n");
  CalcState wide = TurnLineState();
  wide.AvgTemp = 1000.0;
  wide.Pressure = 1.5e100;
  wide.ClosureIter = 1000;
  EXPECT_EQ(TurnLineText(wide, ','),
            " 0,200  1000,00    12,35  -1,2500E+01  3,4568E+00  1,2345E+03  1,5000E+100  1000\r\n");
}

TEST(ResultsFileText, OutletBlockNumbersItsNodesAndAlignsTheColumns) {
  CalcState s;
  s.NNodes = 21;
  s.TempPrev[11] = 305.678;
  s.Viscosity[11] = 2345.678;
  s.VelZ[11] = 13.91;
  s.VelX[11] = -2.25;
  s.ShearRate[11] = 95.05;
  s.TempPrev[0] = 9.5;
  const std::string text = OutletBlockText(s, '.');
  EXPECT_NE(text.find("\r\n 12   305.68    2.3457E+03    1.3910E+01   -2.2500E+00    9.5050E+01\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("\r\n  1    9.50    0.0000E+00"), std::string::npos);
  EXPECT_NE(text.find("\r\n 21    0.00    0.0000E+00"), std::string::npos);
  EXPECT_EQ(text.find("\r\n 22"), std::string::npos);
  EXPECT_EQ(text.rfind("          Cooling(2) is calculated from temp. grad. at boundaries.\r\n"),
            text.size() - 68);
}

TEST(ResultsFileText, HeaderLabelsPutTheEqualsSignAtFixedBytes) {
  CalcState s;
  s.InletTemp = 300.0;
  s.BarrelDiameter = 6.5;
  const std::string header = HeaderBlockText(s, '.');
  const std::string inlet =
      "    Inlet Melt Temperature (\x81\x8E)             =  300.0\r\n";
  ASSERT_EQ(inlet.size(), 54u);
  EXPECT_NE(header.find("\r\n" + inlet), std::string::npos);
  EXPECT_EQ(header.substr(0, 55), "\r\n    Barrel Diameter (cm)                    =  6.50\r\n");
  EXPECT_NE(header.find("\r\n    Thermal\x81\x40" "Conductivity (cal/cm.s.\x81\x8E)     =  "), std::string::npos);
  EXPECT_NE(header.find("\r\n    R.P.M. (rpm)                                   =  0.00\r\n"),
            std::string::npos);
}

TEST(ResultFileName, IsCutTo255BytesWithoutSplittingACharacter) {
  EXPECT_EQ(CutResultFileName("result.txt"), "result.txt");
  EXPECT_EQ(CutResultFileName(std::string(300, 'a')).size(), 255u);
  // 127 two-byte characters fill 254 bytes; the next one would straddle the cut.
  std::string name;
  for (int i = 0; i < 130; ++i) name += "\xC3\xA9";
  const std::string cut = CutResultFileName(name);
  EXPECT_EQ(cut.size(), 254u);
  EXPECT_EQ(cut.back(), '\xA9');
  // Only the name after the last '/' is cut: a long folder stays whole.
  const std::string folder = std::string(200, 'd') + "/" + std::string(60, 'e');
  EXPECT_EQ(CutResultFileName(folder + "/result.txt"), folder + "/result.txt");
  EXPECT_EQ(CutResultFileName(folder + "/" + std::string(300, 'f')), folder + "/" + std::string(255, 'f'));
}

TEST(ResultFile, WritesStagesAndReportsAFileItCannotOpen) {
  using Result = SinkWrite::Result;
  TempDir dir;
  CalcState s;
  s.NNodes = 21;
  ResultFile file(dir.file("r.txt"), '.', TextEncoding::ShiftJis);
  ASSERT_EQ(file.WriteHeader(s).result, Result::Written);
  EXPECT_EQ(file.WriteTurnLine(s).result, Result::Written);
  EXPECT_EQ(file.WriteOutletBlock(s).result, Result::Written);
  EXPECT_EQ(ReadBytes(dir.file("r.txt")),
            HeaderBlockText(s, '.') + TurnLineText(s, '.') + OutletBlockText(s, '.'));

  // Appending never creates the file: the name is taken only by a finished file.
  ResultFile unfinished(dir.file("u.txt"), '.', TextEncoding::ShiftJis);
  ASSERT_EQ(unfinished.WriteHeader(s).result, Result::Written);
  EXPECT_EQ(unfinished.WriteTurnLine(s).result, Result::Written);
  EXPECT_FALSE(std::filesystem::exists(dir.file("u.txt")));
  unfinished.DeleteUnfinished();
  EXPECT_EQ(unfinished.WriteTurnLine(s).result, Result::NotOpened);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("")), {}), 1);

  // A file the user keeps read-only is not replaced, even by root.
  WriteBytes(dir.file("kept.txt"), "kept");
  ::chmod(dir.file("kept.txt").c_str(), 0444);
  ResultFile readOnly(dir.file("kept.txt"), '.', TextEncoding::ShiftJis);
  EXPECT_EQ(readOnly.WriteHeader(s).result, Result::NotOpened);
  EXPECT_EQ(ReadBytes(dir.file("kept.txt")), "kept");

  ResultFile missingFolder(dir.file("no/such/folder.txt"), '.', TextEncoding::ShiftJis);
  EXPECT_EQ(missingFolder.WriteHeader(s).result, Result::NotOpened);

  // A FIFO is refused at once, with or without a reader (an open never blocks).
  ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
  ResultFile fifo(dir.file("fifo"), '.', TextEncoding::ShiftJis);
  EXPECT_EQ(fifo.WriteHeader(s).result, Result::NotOpened);
  const int reader = ::open(dir.file("fifo").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_EQ(fifo.WriteHeader(s).result, Result::NotOpened);
  ::close(reader);
}

TEST(ResultFile, Utf8EncodingSwapsOnlyTheTwoWideCharacters) {
  TempDir dir;
  CalcState s;
  ResultFile file(dir.file("u.txt"), '.', TextEncoding::Utf8);
  file.WriteHeader(s);
  file.WriteOutletBlock(s);
  const std::string bytes = ReadBytes(dir.file("u.txt"));
  EXPECT_NE(bytes.find("Specific Heat (cal/g.\xE2\x84\x83)"), std::string::npos);
  EXPECT_NE(bytes.find("Thermal\xE3\x80\x80" "Conductivity"), std::string::npos);
  EXPECT_EQ(bytes.find('\x81'), std::string::npos);
}

TEST(ResultFile, DeletesOnlyTheRegularFileItCreated) {
  TempDir dir;
  CalcState s;
  const std::string path = dir.file("r.txt");

  ResultFile ours(path, '.', TextEncoding::ShiftJis);
  ours.WriteHeader(s);
  ours.DeleteUnfinished();
  EXPECT_FALSE(std::filesystem::exists(path));

  // Another program put its own file under the name: it stays.
  ResultFile replaced(path, '.', TextEncoding::ShiftJis);
  replaced.WriteHeader(s);
  std::filesystem::remove(path);
  WriteBytes(path, "someone else's data");
  replaced.DeleteUnfinished();
  EXPECT_EQ(ReadBytes(path), "someone else's data");

  // A device is never deleted.
  ResultFile device("/dev/null", '.', TextEncoding::ShiftJis);
  device.WriteHeader(s);
  device.DeleteUnfinished();
  struct stat st {};
  ASSERT_EQ(::stat("/dev/null", &st), 0);
  EXPECT_TRUE(S_ISCHR(st.st_mode));

  // A name whose header never opened is not touched either.
  WriteBytes(path, "kept");
  ResultFile neverOpened(path, '.', TextEncoding::ShiftJis);
  neverOpened.DeleteUnfinished();
  EXPECT_EQ(ReadBytes(path), "kept");
}

}  // namespace
}  // namespace kelvado
