// Carrying a queue's option defaults from its old PPD into the package's new PPD.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "queues/opt_list.h"
#include "queues/ppd_adapter.h"

struct SetupState;

// Longest keyword (with its "*") or value of a *Default line that is rewritten; a longer one
// cannot be a PPD option name, so such a line is copied unchanged.
inline constexpr size_t kDefaultTextMax = 79;

// Collects the default choice of every option of the PPD's top-level groups, JCL options
// included, in file order, when that default names one of the option's choices or is a custom
// value ("Custom.200x300", shorter than kOptNameMax); index = 1, 2, ... Returns the number
// collected and sets count to it. When the PPD library cannot parse the file, reports that on
// standard error and returns 0 with the list and count untouched.
int getQueueOptions(SetupState& state, const std::string& ppdPath, OptList& list, int& count);

// Copies the new PPD from input to output, rewriting each line that begins with "*Default"
// (not *DefaultColorSep) inside an *OpenUI ... *CloseUI or *JCLOpenUI ... *JCLCloseUI block to
// "*Default<kw>: <value>" and a line feed. The value is the old choice from `options` when
// `offered` (the new PPD's choices, from offeredChoices) lists it, or it is a custom value and the
// option has the "Custom" choice, and it brings the defaults into no conflict, else the first word
// of the new PPD's own value. A *Default line outside the blocks that names an option of the new
// PPD is rewritten only to carry the old choice. Every other line is copied byte for byte,
// whatever its length and line end. Logs each decision.
void processNewPPD(SetupState& state, std::FILE* input, std::FILE* output, const OptList& options, int nOptions,
                   const OfferedChoices& offered);

// The keyword, with its "*", of the first "*Default" in the line and, in valueOut, the first
// word of its value (empty when there is none). None for a *DefaultColorSep line, a line
// without "*Default", and a keyword or value longer than kDefaultTextMax.
std::optional<std::string> parseDefaultLine(std::string_view line, std::string& valueOut);

// Writes the line "*Default<keyword less its *>: <value>\n", then flushes.
void writeDefaultLine(std::FILE* output, const std::string& starKeyword, const std::string& value);
