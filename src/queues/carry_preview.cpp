#include "queues/carry_preview.h"

#include <cups/file.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

#include "base/text.h"
#include "core/setup_state.h"
#include "queues/opt_list.h"
#include "queues/option_carry_over.h"
#include "queues/ppd_adapter.h"

namespace {

struct CupsFileCloser {
  void operator()(cups_file_t* file) const { cupsFileClose(file); }
};

// The whole file, decompressed when it is gzip-compressed (the CUPS file interface reads both).
bool readWholePpd(const std::string& path, std::string& text) {
  std::unique_ptr<cups_file_t, CupsFileCloser> file(cupsFileOpen(path.c_str(), "r"));
  if (!file) return false;
  char block[16384];
  ssize_t got = 0;
  while ((got = cupsFileRead(file.get(), block, sizeof block)) > 0) text.append(block, static_cast<size_t>(got));
  return cupsFileEOF(file.get()) && !text.empty();
}

}  // namespace

int previewCarryOver(SetupState& state, const PrinterEntry& printer, const std::string& newPpdPath) {
  std::string text;
  if (!readWholePpd(newPpdPath, text)) return 0;
  OptList options;
  int nOptions = 0;
  getQueueOptions(state, printer.ppdPath, options, nOptions);

  FileHandle input(fmemopen(text.data(), text.size(), "r"));
  char* rewritten = nullptr;
  size_t rewrittenSize = 0;
  FileHandle output(open_memstream(&rewritten, &rewrittenSize));
  if (!input || !output) return 0;
  processNewPPD(state, input.get(), output.get(), options, nOptions, offeredChoices(newPpdPath));
  output.close();
  std::free(rewritten);
  return 1;
}
