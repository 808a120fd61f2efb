// The information-file readers: the printers block gives whole lines in file order, none longer
// than a queue name may be, and a name taken as usable is one path component without a control
// character; the USRDIR probe finds a value of one word.
#include <vector>

#include "fuzz_support.h"
#include "install/existing_installation.h"
#include "queues/printer_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  SetupState state = quietState();
  state.installDir = scratchDir();
  writeInput(scratchDir() + "/orvoInfo4.0", data, size);

  PrinterList list;
  if (readInfoPrinters(state, 2, list) == 1 && state.printerCount > 0) {
    size_t from = text.find("%%QIXBLOCK_PRINTERS_BEGIN");
    FUZZ_CHECK(from != std::string_view::npos);
    for (size_t i = 0; i < list.ringSize(); ++i) {
      const std::string& name = list.at(i).queueName;
      FUZZ_CHECK(name.size() <= kQueueNameMax && name.find('\n') == std::string::npos);
      // Each name is a line of the file, found after the one before it.
      size_t at = text.find(name, from);
      FUZZ_CHECK(at != std::string_view::npos);
      from = at + name.size();
      if (isUsableQueueName(name)) {
        FUZZ_CHECK(name != "." && name != ".." && name.find('/') == std::string::npos);
        for (char c : name) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f);
      }
    }
  }

  setenv("ORVOINFO", (scratchDir() + "/orvoInfo4.0").c_str(), 1);
  std::string dir;
  int kind = 0;
  if (findPreviousInstall(dir, kind) == 1) {
    FUZZ_CHECK(kind == kPreviousOlder && dir.find_first_of(" \n") == std::string::npos);
    FUZZ_CHECK(text.find(dir) != std::string_view::npos);
  }
  return 0;
}
