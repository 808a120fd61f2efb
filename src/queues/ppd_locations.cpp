#include "queues/ppd_locations.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>

#include "base/format.h"
#include "base/text.h"
#include "core/messages.h"
#include "core/run_log.h"
#include "core/setup_state.h"

namespace {

constexpr const char* kDefaultModelDir = "/usr/share/cups/model";
constexpr const char* kFoomaticPpd = "/usr/share/foomatic/db/source/PPD";
constexpr const char* kFoomaticOstra = "/usr/share/foomatic/db/source/PPD/Ostra";
constexpr const char* kFoomaticOstraVyr = "/usr/share/foomatic/db/source/PPD/Ostra/vyr";
constexpr const char* kFoomaticVyr = "/usr/share/foomatic/db/source/PPD/vyr";
constexpr const char* kUsrSharePpd = "/usr/share/ppd";
constexpr const char* kUsrSharePpdVyr = "/usr/share/ppd/vyr";
constexpr const char* kOptSharePpd = "/opt/share/ppd";
constexpr const char* kOptSharePpdVyr = "/opt/share/ppd/vyr";
constexpr const char* kOpenPrinting = "/usr/share/ppd/openprinting";
constexpr const char* kOpenPrintingVyr = "/usr/share/ppd/openprinting/vyr";
constexpr const char* kCupsIncluded = "/usr/share/ppd/cups-included";
constexpr const char* kCupsIncludedVyr = "/usr/share/ppd/cups-included/vyr";

constexpr std::array<const char*, 5> kModelDirCandidates = {
    "/usr/share/cups/model", "/usr/share/ppd", "/etc/cups/model", "/opt/cups/model", "/opt/cups/share/model"};
constexpr std::array<const char*, 5> kSystemDirCandidates = {
    "/usr/share/ppd", "/usr/ppd", "/opt/share/ppd", "/usr/local/share/ppd", "/usr/share/foomatic/db/source/PPD"};

// The first candidate that is a directory replaces `field`; the default stays when none is.
template <size_t N>
int takeFirstDirectory(std::string& field, const std::array<const char*, N>& candidates) {
  field = kDefaultModelDir;
  for (const char* candidate : candidates) {
    if (isDirectory(candidate)) {
      field = candidate;
      return 1;
    }
  }
  return 0;
}

const char* orUnknown(bool known, const std::string& path) { return known ? path.c_str() : msg::kUnknownDir; }

}  // namespace

int isDirectory(const std::string& path) {
  if (access(path.c_str(), F_OK) != 0) return 0;
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) ? 1 : 0;
}

int findCupsModelDir(SetupState& state) { return takeFirstDirectory(state.cupsModelDir, kModelDirCandidates); }

int findSystemPPDDir(SetupState& state) { return takeFirstDirectory(state.systemPpdDir, kSystemDirCandidates); }

int findPPDLocations(SetupState& state, std::string& existingPpdDir) {
  // Once an earlier installation's directory is found, later candidates of steps 4 to 6 are not tried;
  // the foomatic ones of step 3 still replace an openprinting find.
  bool found = false;
  auto foundAt = [&](const char* path) {
    existingPpdDir = path;
    found = true;
  };

  state.ppdInstallDir.clear();
  const bool modelDir = findCupsModelDir(state) == 1;
  const bool systemDir = findSystemPPDDir(state) == 1;
  const bool foomatic = isDirectory(kFoomaticPpd);
  const bool openPrinting = isDirectory(kOpenPrinting);

  if (openPrinting && isDirectory(kOpenPrintingVyr)) foundAt(kOpenPrintingVyr);

  bool ostra = false;
  bool foomaticVyr = false;
  if (foomatic) {
    ostra = isDirectory(kFoomaticOstra);
    if (ostra && isDirectory(kFoomaticOstraVyr)) foundAt(kFoomaticOstraVyr);
    foomaticVyr = isDirectory(kFoomaticVyr);
    if (foomaticVyr) foundAt(kFoomaticVyr);
  }

  const bool optShare = isDirectory(kOptSharePpd);
  const bool usrShare = isDirectory(kUsrSharePpd);
  if (!found) {
    if (isDirectory(kOptSharePpdVyr)) {
      foundAt(kOptSharePpdVyr);
    } else if (isDirectory(kUsrSharePpdVyr)) {
      foundAt(kUsrSharePpdVyr);
    }
  }

  const bool distribution = (isDirectory(kCupsIncluded) && isDirectory(kOpenPrinting)) ||
                            (isDirectory("/usr/share/ppd/HP") && isDirectory("/usr/share/ppd/Epson"));
  if (distribution && !found) {
    if (isDirectory(kCupsIncludedVyr)) {
      foundAt(kCupsIncludedVyr);
    } else if (isDirectory(kUsrSharePpdVyr)) {
      foundAt(kUsrSharePpdVyr);
    }
  }

  const std::string customDir = state.cupsModelDir + "/custom";
  bool custom = false;
  if (modelDir) {
    custom = isDirectory(customDir);
    const std::string customVyr = customDir + "/vyr";
    if (custom && !found && isDirectory(customVyr)) foundAt(customVyr.c_str());
  }

  int flags = 0;
  if (modelDir) flags |= kPpdCupsModelDir;
  if (foomatic) flags |= kPpdFoomaticDir;
  if (ostra) flags |= kPpdFoomaticOstra;
  if (custom) flags |= kPpdCustomDir;
  if (usrShare) flags |= kPpdUsrShare;
  if (optShare) flags |= kPpdOptShare;
  if (systemDir) flags |= kPpdSystemDir;
  if (foomaticVyr) flags |= kPpdFoomaticVyr;
  if (distribution) flags |= kPpdDistribution;
  if (openPrinting) flags |= kPpdOpenPrinting;

  // A first choice only; choosePPDInstallDir settles the directory and makes it.
  if (openPrinting) {
    const bool vendorTrees =
        isDirectory("/usr/share/ppd/openprinting/HP") && isDirectory("/usr/share/ppd/openprinting/Epson");
    state.ppdInstallDir = distribution && vendorTrees ? kOpenPrintingVyr : kUsrSharePpdVyr;
  } else if (custom) {
    state.ppdInstallDir = customDir + "/vyr";
  } else if (foomatic) {
    state.ppdInstallDir = ostra && !foomaticVyr ? kFoomaticOstraVyr : kFoomaticVyr;
  }

  logLine(state, msg::kRule39);
  logLine(state, msg::kSystemPpdLocations);
  logLine(state, format(msg::kCupsModelDirectory, orUnknown(modelDir, state.cupsModelDir)));
  logLine(state, format(msg::kFoomaticDirectory, foomatic ? kFoomaticPpd : msg::kUnknownDir));
  logLine(state, format(msg::kOstraDirectory, foomaticVyr ? kFoomaticVyr : ostra ? kFoomaticOstra : msg::kUnknownDir));
  logLine(state, format(msg::kCustomPpdDirectory, orUnknown(custom, customDir)));
  if (usrShare) logLine(state, msg::kShareUsrPpd);
  if (optShare) logLine(state, msg::kShareOptPpd);
  logLine(state, format(msg::kSystemPpdDirectory, orUnknown(systemDir, state.systemPpdDir)));
  if (found) logLine(state, format(msg::kFoundExistingPpdDir, existingPpdDir.c_str()));
  return flags;
}
