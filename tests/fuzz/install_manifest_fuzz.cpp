// The install manifest reader: every item has a source of one field within its bound, a
// destination of one field, a sane mode, and there are never more items than the manifest holds; a
// manifest other users may change is refused, the run abandoned.
#include <sys/stat.h>
#include <unistd.h>

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
  // The first byte chooses where the manifest lies (etc/ or the package's top, or nowhere) and whether
  // other users may change it; such a manifest, or none, gives no item.
  const unsigned char how = size > 0 ? data[0] : 0;
  const std::string path = scratchDir() + ((how & 1) ? "/etc/ORVOINST.CONF" : "/ORVOINST.CONF");
  static const bool made = mkdir((scratchDir() + "/etc").c_str(), 0755) == 0;
  FUZZ_CHECK(made);
  unlink((scratchDir() + "/etc/ORVOINST.CONF").c_str());
  unlink((scratchDir() + "/ORVOINST.CONF").c_str());
  if ((how & 2) == 0) writeInput(path, data, size);
  if (how & 4) chmod(path.c_str(), 0666);
  int count = getInfoData(state);
  // Only root's own file is trusted: run by another user, every manifest is refused.
  const bool refused = (how & 2) == 0 && ((how & 4) != 0 || geteuid() != 0);
  FUZZ_CHECK(state.result.abandoned == refused);
  FUZZ_CHECK(((how & 2) == 0 && !refused) || count == 0);
  FUZZ_CHECK(count == static_cast<int>(state.manifest.size()) && count <= kManifestMaxItems);
  for (const ManifestItem& item : state.manifest) {
    FUZZ_CHECK(!item.source.empty() && item.source.size() <= kManifestSourceMax && isOneField(item.source));
    FUZZ_CHECK(isOneField(item.destination));
    FUZZ_CHECK(item.mode >= 0 && (item.mode == 0 || !item.destination.empty()));
    FUZZ_CHECK(std::string_view(reinterpret_cast<const char*>(data), size).find(item.source) != std::string_view::npos);
  }
  return 0;
}
