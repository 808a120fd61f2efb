// The install manifest reader: every item has a source of one field within its bound, a
// destination of one field, a sane mode, and there are never more items than the manifest holds.
#include <climits>

#include "fuzz_support.h"
#include "install/install_manifest.h"

namespace {
bool isOneField(std::string_view text) {
  for (char c : text) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x21 || u > 0x7F) return false;
  }
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetupState state = quietState();
  state.sourceDir = scratchDir();
  state.manifestName = "ORVOINST.CONF";
  writeInput(scratchDir() + "/ORVOINST.CONF", data, size);
  int count = getInfoData(state);
  FUZZ_CHECK(count == static_cast<int>(state.manifest.size()) && count <= kManifestMaxItems);
  for (const ManifestItem& item : state.manifest) {
    FUZZ_CHECK(!item.source.empty() && item.source.size() <= kManifestSourceMax && isOneField(item.source));
    FUZZ_CHECK(isOneField(item.destination));
    FUZZ_CHECK(item.mode >= 0 && (item.mode == 0 || !item.destination.empty()));
    FUZZ_CHECK(std::string_view(reinterpret_cast<const char*>(data), size).find(item.source) != std::string_view::npos);
  }
  return 0;
}
