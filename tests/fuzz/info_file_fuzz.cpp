// The information-file readers and the upgrade of an old file. The printers block gives whole
// lines in file order, each kept in its place whatever its length, and a name taken as usable is
// one path component that fits its field, without a control character; the old-format file reads
// the same; the USRDIR probe finds a value of one word; the upgrade copies the old file byte for
// byte but for the title line.
#include <sys/stat.h>

#include <fstream>
#include <iterator>

#include "core/messages.h"
#include "fuzz_support.h"
#include "install/existing_installation.h"
#include "install/info_file.h"
#include "queues/printer_list.h"

namespace {

std::string readAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

void checkPrinters(std::string_view text, const PrinterList& list) {
  size_t from = text.find("%%QIXBLOCK_PRINTERS_BEGIN");
  FUZZ_CHECK(from != std::string_view::npos);
  for (size_t i = 0; i < list.ringSize(); ++i) {
    const std::string& name = list.at(i).queueName;
    FUZZ_CHECK(name.find('\n') == std::string::npos);
    // Each name is a line of the file, found after the one before it.
    size_t at = text.find(name, from);
    FUZZ_CHECK(at != std::string_view::npos);
    from = at + name.size();
    // The log shows a name without control characters, and names every character of it.
    std::string shown = visibleName(name);
    FUZZ_CHECK(shown.size() >= name.size());
    for (char c : shown) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f);
    if (isUsableQueueName(name)) {
      FUZZ_CHECK(name.size() <= kQueueNameMax && name != "." && name != ".." && name.find('/') == std::string::npos);
      for (char c : name) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7f);
    }
  }
}

// The old file as the upgrade must write it: the first piece (of at most 255 characters, ended by
// a line feed) that names the information file becomes the new title line.
std::string upgraded(std::string_view text) {
  std::string out;
  bool replaced = false;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find('\n', at);
    end = std::min(end == std::string_view::npos ? text.size() : end + 1, at + 255);
    std::string_view piece = text.substr(at, end - at);
    if (!replaced && piece.find("Information File") != std::string_view::npos) {
      out += "# Orvo 3.0 Information File\n";
      replaced = true;
    } else {
      out += piece;
    }
    at = end;
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  SetupState state = quietState();
  state.installDir = scratchDir();
  state.userId = static_cast<int>(getuid());
  state.groupId = static_cast<int>(getgid());
  const std::string oldPath = scratchDir() + "/orvoInfo2.0", newPath = scratchDir() + "/orvoInfo4.0";
  writeInput(oldPath, data, size);
  writeInput(newPath, data, size);

  for (int kind : {1, 2}) {
    PrinterList list;
    if (readInfoPrinters(state, kind, list) == 1 && state.printerCount > 0) checkPrinters(text, list);
    FUZZ_CHECK(resetPList(list) == 0 && list.ringSize() == 1 && list.head().queueName.empty());
  }
  static const bool nullListEnds = endsProcessWith(msg::kAddPListNull, [] { addPList(nullptr, PrinterEntry{}); });
  FUZZ_CHECK(nullListEnds);

  setenv("ORVOINFO", newPath.c_str(), 1);
  std::string dir;
  int kind = 0;
  if (findPreviousInstall(dir, kind) == 1) {
    FUZZ_CHECK(kind == kPreviousOlder && dir.find_first_of(" \n") == std::string::npos);
    FUZZ_CHECK(text.find(dir) != std::string_view::npos);
  }

  // The upgrade, and its fall-backs: no old file (a fresh file is written), or no new file can be
  // made (nothing is written).
  unlink(newPath.c_str());
  switch (size % 3) {
    case 0:
      upgradeInfoFile(state);
      FUZZ_CHECK(readAll(newPath) == upgraded(text));
      break;
    case 1:
      unlink(oldPath.c_str());
      upgradeInfoFile(state);
      FUZZ_CHECK(readAll(newPath).find("%%QIXBLOCK_PRINTERS_BEGIN\nDefault\n") != std::string::npos);
      break;
    case 2:
      FUZZ_CHECK(mkdir(newPath.c_str(), 0700) == 0);
      upgradeInfoFile(state);
      FUZZ_CHECK(rmdir(newPath.c_str()) == 0);
      break;
  }
  return 0;
}
