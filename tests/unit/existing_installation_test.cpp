#include "install/existing_installation.h"

#include <gtest/gtest.h>

#include "test_support.h"

namespace {

// ORVOINFO names a file of the test's own, which is probed for both generations, so a found value is
// always kind 1; the probes of /opt/vyr itself are shown in the sandbox scenarios. The key is found
// anywhere in a line, also inside a longer word; blanks and controls before the value are skipped; a
// key split across two 255-character pieces is not seen; an ORVOINFO longer than 255 characters is
// never cut to a shorter path. Nothing found leaves kind -1 and dir untouched.
TEST(PreviousInstall, UsrDirValueIsParsedFromTheFirstLineHoldingTheKey) {
  ScratchDir scratch;
  EnvScope orvoInfo("ORVOINFO");
  const std::string info = scratch / "info", longDir = scratch / std::string(200, 'd') + "/";
  const std::string longest = longDir + std::string(255 - longDir.size(), 'f');
  const std::tuple<std::string, std::string, const char*> rows[] = {
      // ORVOINFO, what the file holds, the USRDIR found
      {info, "#\n%%QIXBLOCK_GENERAL_BEGIN\nUSRDIR          /opt/vyr x\nHOMEDIR         $HOME\n", "/opt/vyr"},
      {info, "USRDIR \x01\x85\xff\t/srv/y\n", "/srv/y"},
      {info, "USRDIR  /a\tb\r\n", "/a\tb\r"},
      {info, "# old MYUSRDIRS x\nUSRDIR /later\n", "x"},
      {info, std::string(252, 'x') + "USRDIR /p\n", nullptr},
      {longest, "USRDIR /long\n", "/long"},
      {longest + "f", "USRDIR /long\n", nullptr},
  };
  for (const auto& [path, contents, expected] : rows) {
    writeFile(path, contents);
    orvoInfo.set(path.c_str());
    std::string dir = "untouched";
    int kind = 0;
    EXPECT_EQ(findPreviousInstall(dir, kind), expected ? 1 : 0) << contents;
    EXPECT_EQ(std::pair(kind, dir),
              std::pair(expected ? kPreviousOlder : kPreviousNone, std::string(expected ? expected : "untouched")))
        << contents;
  }
}

}  // namespace
