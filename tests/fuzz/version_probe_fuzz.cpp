// The version probe's text readers, on the input as a whole file and as one line: every number they
// give fits, is never negative, and scales into the four-digit range; a line they name is one piece
// of the text, at most 255 characters, ended after its first line feed.
#include "discovery/cups_version.h"
#include "fuzz_support.h"

namespace {

void checkVersion(std::optional<int> version) {
  if (!version) return;
  FUZZ_CHECK(*version >= 0);
  if (*version > 0) FUZZ_CHECK(normaliseVersion(*version) >= 1000 && normaliseVersion(*version) <= 9999);
}

void checkPiece(std::string_view text, std::string_view piece) {
  FUZZ_CHECK(piece.size() <= 255 && text.find(piece) != std::string_view::npos);
  size_t feed = piece.find('\n');
  FUZZ_CHECK(feed == std::string_view::npos || feed + 1 == piece.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  checkVersion(collectVersionNumber(text));
  checkVersion(serverHeaderVersion(text));
  checkVersion(serverAnswerVersion(text));
  std::string_view first = firstPiece(text);
  checkPiece(text, first);
  FUZZ_CHECK(text.substr(0, first.size()) == first && (first.size() == 255 || first.size() == text.find('\n') + 1 ||
                                                       first.size() == text.size()));
  for (VersionFile file :
       {VersionFile::kPrintersConf, VersionFile::kIndexHtml, VersionFile::kTestPagePs, VersionFile::kTestPageText}) {
    checkVersion(versionInLine(file, text));
    std::string line;
    int n = versionInText(file, text, line);
    checkVersion(n);
    if (!line.empty()) {
      checkPiece(text, line);
      FUZZ_CHECK(versionInLine(file, line) == n);
    }
  }
  return 0;
}
