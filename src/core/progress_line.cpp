#include "core/progress_line.h"

#include <unistd.h>

#include <cstdio>

#include "core/setup_state.h"

namespace {

bool onTerminal(SetupState& state) {
  if (state.progressTerminal < 0) state.progressTerminal = isatty(STDERR_FILENO) ? 1 : 0;
  return state.progressTerminal == 1;
}

}  // namespace

void showProgress(SetupState& state, const std::string& text) {
  if (!onTerminal(state)) return;
  // Back to the line's start, the text, then the rest of the old line cleared.
  std::fprintf(stderr, "\r%s\033[K", text.c_str());
  std::fflush(stderr);
  state.progressShown = true;
}

void clearProgress(SetupState& state) {
  if (!state.progressShown) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  state.progressShown = false;
}
