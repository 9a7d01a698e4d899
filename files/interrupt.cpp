// SPDX-License-Identifier: Apache-2.0
#include "files/interrupt.h"

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <thread>

namespace kelvado {
namespace {

std::atomic<bool> requested{false};
std::atomic<int> signalNumber{0};
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free,
              "set from a signal handler");

struct sigaction previousInt {};
struct sigaction previousTerm {};

extern "C" void OnInterrupt(int signal) {
  int none = 0;
  signalNumber.compare_exchange_strong(none, signal);
  requested.store(true);
}

}  // namespace

InterruptHandlers::InterruptHandlers() {
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, &previousInt);
  sigaction(SIGTERM, &action, &previousTerm);
}

InterruptHandlers::~InterruptHandlers() {
  sigaction(SIGINT, &previousInt, nullptr);
  sigaction(SIGTERM, &previousTerm, nullptr);
}

const std::atomic<bool>& InterruptRequested() { return requested; }

std::optional<ExitCode> InterruptExitCode() {
  switch (signalNumber.load()) {
    case SIGINT: return kExitInterrupted;
    case SIGTERM: return kExitTerminated;
    default: return std::nullopt;
  }
}

void PauseAfterStepForTests() {
  const char* text = std::getenv("KELVADO_TEST_STEP_PAUSE_MS");
  const int milliseconds = text == nullptr ? 0 : std::atoi(text);
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace kelvado
