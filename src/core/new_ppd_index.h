// What the package's PPD directories hold, read once per run and per directory.
#pragma once

#include <map>
#include <string>
#include <vector>

struct PackagePpd {
  std::string path;
  std::string modelText;  // empty when the file has no usable model line
  int modelId = 0;
  int pdlKind = 0;
};

struct NewPpdIndex {
  // Directory -> its PPD files in listing order. A directory that could not be listed maps to
  // an empty list and is remembered as missing.
  std::map<std::string, std::vector<PackagePpd>> byDirectory;
  std::map<std::string, bool> listable;
  int filesOpened = 0;  // package PPD files opened so far (for measurement)
};
