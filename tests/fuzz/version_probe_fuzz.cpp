// The version probe's text parsers: every number they give fits, is never negative, and scales
// into the four-digit range.
#include "discovery/cups_version.h"
#include "fuzz_support.h"

namespace {
void checkVersion(std::optional<int> version) {
  if (!version) return;
  FUZZ_CHECK(*version >= 0);
  if (*version > 0) FUZZ_CHECK(normaliseVersion(*version) >= 1000 && normaliseVersion(*version) <= 9999);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view line(reinterpret_cast<const char*>(data), size);
  checkVersion(collectVersionNumber(line));
  checkVersion(serverHeaderVersion(line));
  for (VersionFile file :
       {VersionFile::kPrintersConf, VersionFile::kIndexHtml, VersionFile::kTestPagePs, VersionFile::kTestPageText})
    checkVersion(versionInLine(file, line));
  return 0;
}
