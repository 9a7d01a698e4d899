// Temporary driver: runs the default case into result.txt.
#include <cstdio>
#include <iostream>

#include "solver/input_fields.h"
#include "solver/run.h"

namespace {
class ConsoleServices : public kelvado::RunServices {
 public:
  void ShowMessage(const std::string& text) override { std::cerr << text << "\n"; }
  void RefreshFileList() override {}
  void ShowFinishDialog() override {}
};
}  // namespace

int main() {
  ConsoleServices services;
  kelvado::RunRequest request{kelvado::DefaultInputTexts(), "result.txt", '.', kelvado::TextEncoding::ShiftJis};
  const auto outcome = kelvado::RunCalculation(request, services);
  std::cout << kelvado::StatusName(outcome.status) << " " << outcome.detail << "\n";
  return outcome.status == kelvado::RunStatus::Finished ? 0 : 1;
}
