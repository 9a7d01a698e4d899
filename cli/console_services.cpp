#include "console_services.h"

namespace kelvado::cli {

void ConsoleServices::ShowMessage(const std::string& text) {
  messages_ << text << '\n';
  messages_.flush();
}

}  // namespace kelvado::cli
