// The one place that talks to the CUPS library's PPD interface.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

// One option of a parsed PPD, as the library reports it.
struct PpdOptionDefault {
  std::string keyword;               // without its "*"
  std::string defchoice;             // the value of the option's *Default line
  std::vector<std::string> choices;  // choice names in file order
};

// The options of the file's top-level groups in file order, group by group; the groups'
// sub-groups are not visited (the library files options written in a sub-group under the
// enclosing group). None when the library cannot parse the file (plain or gzip-compressed).
std::optional<std::vector<PpdOptionDefault>> readPpdOptions(const std::string& path);

// Option keyword (without "*") -> the choice names the PPD lists for it, every option of the
// file included. Empty when the library cannot parse the file.
using OfferedChoices = std::map<std::string, std::set<std::string>>;
OfferedChoices offeredChoices(const std::string& ppdPath);

// How many options conflict (UIConstraints) when every option is set to its default, for
// a PPD held in memory, as cupstestppd counts them. None when the text cannot be parsed.
std::optional<int> defaultConflicts(const std::string& ppdText);

// The default an option's *Default line names and the choice the library marks when the option is
// set to that default (empty when it marks none).
struct MarkedDefault {
  std::string defchoice;
  std::string marked;
};
// Option keyword (without "*") -> its MarkedDefault, every option of the file included. None when
// the library cannot parse the file; `error` then says why and on which line.
using MarkedDefaults = std::map<std::string, MarkedDefault>;
std::optional<MarkedDefaults> readMarkedDefaults(const std::string& path, std::string& error);

// What the scheduler announces from a PPD: its NickName (its ModelName when it has none) and the
// size of its default page size in points. None when the library cannot parse the file.
struct PpdServedFacts {
  std::string nickname;
  double pageWidth = 0;
  double pageLength = 0;
};
std::optional<PpdServedFacts> readServedFacts(const std::string& path);
