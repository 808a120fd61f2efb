#include "queues/option_carry_over.h"

#include <vector>

#include "base/format.h"
#include "base/text.h"
#include "core/messages.h"
#include "core/run_log.h"
#include "core/setup_state.h"

namespace {

// Reads one whole line with its line end: LF, CR LF, or a CR alone (old Macintosh files, so
// that such a file is never taken as one huge line). False at the end of the input.
bool readPpdLine(std::FILE* input, std::string& line) {
  line.clear();
  int c = 0;
  while ((c = std::fgetc(input)) != EOF) {
    line += static_cast<char>(c);
    if (c == '\n') break;
    if (c == '\r') {
      int next = std::fgetc(input);
      if (next == '\n') {
        line += '\n';
      } else if (next != EOF) {
        std::ungetc(next, input);
      }
      break;
    }
  }
  return !line.empty();
}

// A rewritten *Default line always ends in a line feed, whatever the line it replaces ended in.
std::string defaultLineText(const std::string& starKeyword, const std::string& value) {
  return "*Default" + (starKeyword.empty() ? std::string() : starKeyword.substr(1)) + ": " + value + "\n";
}

// A value the user gave for an option that accepts custom values ("Custom.200x300",
// "Custom.4x6in", "Custom.7"), spelt as the PPD format and the scheduler write it.
bool isCustomValue(std::string_view value) { return value.size() > 7 && startsWith(value, "Custom."); }

// Whether the new PPD accepts the old choice for the option: it lists that choice, or the choice
// is a custom value and the option has the "Custom" choice (the PPD library gives PageSize and
// PageRegion that choice only under *CustomPageSize True).
bool offersChoice(const OfferedChoices& offered, const std::string& keyword, const std::string& choice) {
  auto choices = offered.find(keyword);
  if (choice.empty() || choices == offered.end()) return false;
  return choices->second.count(choice) || (isCustomValue(choice) && choices->second.count("Custom"));
}

enum class Decision { kNewValue, kCarry, kNotOffered, kConflict };

// One line of the new PPD and what becomes of it.
struct PpdLine {
  std::string text;           // the line as read, line end included
  bool isDefault = false;     // the *Default line of an option
  bool outsideBlock = false;  // given before or after the option's block
  std::string starKeyword;    // e.g. "*PageSize"
  std::string newValue;       // the new PPD's own value
  const OptEntry* old = nullptr;
  Decision decision = Decision::kNewValue;
};

std::string renderLine(const PpdLine& line) {
  if (!line.isDefault || (line.outsideBlock && line.decision != Decision::kCarry)) return line.text;
  const std::string& value = line.decision == Decision::kCarry ? line.old->choice : line.newValue;
  return defaultLineText(line.starKeyword, value);
}

std::string renderText(const std::vector<PpdLine>& lines) {
  std::string text;
  for (const PpdLine& line : lines) text += renderLine(line);
  return text;
}

// Carried defaults that the old PPD held together may conflict under the new PPD's
// constraints, which makes the PPD invalid. When they do, keep carries one at a time in file
// order, each only while the defaults stay as free of conflicts as the new PPD's own; then try
// each dropped one again against the result, until no more can be kept. A default is thus left
// uncarried only when carrying it into the final PPD would add a conflict.
void dropConflictingCarries(std::vector<PpdLine>& lines) {
  std::vector<PpdLine*> carries;
  for (PpdLine& line : lines)
    if (line.decision == Decision::kCarry) carries.push_back(&line);
  if (carries.empty()) return;
  std::optional<int> withAll = defaultConflicts(renderText(lines));
  if (!withAll || *withAll == 0) return;

  for (PpdLine* line : carries) line->decision = Decision::kNewValue;
  std::optional<int> baseline = defaultConflicts(renderText(lines));
  if (!baseline) baseline = 0;
  if (*withAll <= *baseline) {
    for (PpdLine* line : carries) line->decision = Decision::kCarry;
    return;
  }
  // A carry kept only while the others stay as they are.
  auto tryCarry = [&](PpdLine* line) {
    line->decision = Decision::kCarry;
    std::optional<int> conflicts = defaultConflicts(renderText(lines));
    if (conflicts && *conflicts <= *baseline) return true;
    line->decision = Decision::kConflict;
    return false;
  };
  for (PpdLine* line : carries) tryCarry(line);
  // A carry dropped against a later option's new default may fit the later option's carried one.
  for (bool kept = true; kept;) {
    kept = false;
    for (PpdLine* line : carries)
      if (line->decision == Decision::kConflict && tryCarry(line)) kept = true;
  }
}

// Notes a decision on the queue being worked on, for the run's result.
void recordDecision(SetupState& state, const PpdLine& line) {
  QueueResult* queue = state.result.current();
  if (queue == nullptr || line.decision == Decision::kNewValue) return;
  std::string option = line.starKeyword.substr(1);
  if (line.decision == Decision::kCarry) {
    queue->carried.push_back({option, line.old->choice});
  } else {
    queue->kept.push_back(
        {option, line.newValue, line.old->choice, line.decision == Decision::kConflict ? "conflicts" : "not offered"});
  }
}

}  // namespace

int getQueueOptions(SetupState& state, const std::string& ppdPath, OptList& list, int& count) {
  (void)state;
  std::optional<std::vector<PpdOptionDefault>> options = readPpdOptions(ppdPath);
  if (!options) {
    std::fputs(format(msg::kUnableToOpenPpd, ppdPath.c_str()).c_str(), stderr);
    return 0;
  }
  int collected = 0;
  for (const PpdOptionDefault& option : *options) {
    // Names longer than the library's limit cannot come from it; they would not fit an entry.
    if (option.keyword.size() > kOptNameMax) continue;
    bool listed = false;
    for (const std::string& choice : option.choices) listed = listed || choice == option.defchoice;
    // The library cuts a default at kOptNameMax characters: a custom value that long may be cut.
    bool custom = !listed && isCustomValue(option.defchoice) && option.defchoice.size() < kOptNameMax;
    if ((!listed && !custom) || option.defchoice.size() > kOptNameMax) continue;
    OptEntry entry = newOptEntry();
    entry.keyword = option.keyword;
    entry.choice = option.defchoice;
    entry.index = ++collected;
    addOptList(&list, entry);
  }
  count = collected;
  return collected;
}

void processNewPPD(SetupState& state, std::FILE* input, std::FILE* output, const OptList& options, int nOptions,
                   const OfferedChoices& offered) {
  logLine(state, format(msg::kProcessNewPpd, nOptions));

  // The whole file is planned before anything is written: whether carried defaults conflict
  // can only be judged on the complete result.
  std::vector<PpdLine> lines;
  bool insideUi = false;
  std::string text;
  while (readPpdLine(input, text)) {
    PpdLine line;
    line.text = text;
    // JCL option blocks are option blocks like the others.
    if (insideUi) {
      if (contains(text, "*CloseUI") || contains(text, "*JCLCloseUI")) insideUi = false;
    } else if (contains(text, "*OpenUI") || contains(text, "*JCLOpenUI")) {
      insideUi = true;
    }
    // Only a line that begins with the keyword is a *Default line; the same text elsewhere
    // (inside a quoted value, say) is data and stays as it is.
    std::string value;
    std::optional<std::string> keyword;
    if (startsWith(text, "*Default")) keyword = parseDefaultLine(text, value);
    // Outside option blocks a *Default line is an option's only when it names an option of the
    // new PPD (a PPD may give a default before its block, and the PPD library and the scheduler
    // take it); any other (fonts, page geometry, colour space) is data. Such a line is rewritten
    // only to carry the old choice.
    if (keyword && !insideUi && !offered.count(keyword->substr(1))) keyword.reset();
    if (keyword) {
      line.isDefault = true;
      line.outsideBlock = !insideUi;
      line.starKeyword = *keyword;
      while (!line.starKeyword.empty() &&
             (line.starKeyword.back() == '\n' || line.starKeyword.back() == '\r' || isBlank(line.starKeyword.back())))
        line.starKeyword.pop_back();
      line.newValue = value;
      line.old = findOpt(options, line.starKeyword);
      if (line.old) {
        bool isOffered = offersChoice(offered, line.starKeyword.substr(1), line.old->choice);
        line.decision = isOffered ? Decision::kCarry : Decision::kNotOffered;
      }
    }
    lines.push_back(std::move(line));
  }

  dropConflictingCarries(lines);

  for (const PpdLine& line : lines) {
    if (!line.isDefault) {
      std::fwrite(line.text.data(), 1, line.text.size(), output);
      continue;
    }
    const char* keyword = line.starKeyword.c_str();
    if (state.debugLevel > 0) logLine(state, format(msg::kProcessNewPpdKeyword, keyword));
    switch (line.decision) {
      case Decision::kCarry: logLine(state, format(msg::kSettingNewOption, keyword, line.old->choice.c_str())); break;
      case Decision::kNotOffered:
        logLine(state, format(msg::kKeepingNewDefault, keyword, line.newValue.c_str(), line.old->choice.c_str()));
        break;
      case Decision::kConflict:
        logLine(state,
                format(msg::kKeepingNewDefaultConflict, keyword, line.newValue.c_str(), line.old->choice.c_str()));
        break;
      case Decision::kNewValue: break;
    }
    recordDecision(state, line);
    if (line.outsideBlock && line.decision != Decision::kCarry) {
      std::fwrite(line.text.data(), 1, line.text.size(), output);
    } else {
      const std::string& value = line.decision == Decision::kCarry ? line.old->choice : line.newValue;
      writeDefaultLine(output, line.starKeyword, value);
    }
  }
  std::fflush(output);
}

std::optional<std::string> parseDefaultLine(std::string_view line, std::string& valueOut) {
  valueOut.clear();
  if (contains(line, "*DefaultColorSep")) return std::nullopt;
  size_t start = line.find("*Default");
  if (start == std::string_view::npos) return std::nullopt;

  size_t pos = start + 8;
  size_t end = pos;
  while (end < line.size() && !isBlank(line[end]) && line[end] != ':' && line[end] != '\r' && line[end] != '\n') ++end;
  std::string keyword = "*" + std::string(line.substr(pos, end - pos));

  pos = end;
  if (pos < line.size() && line[pos] == ':') ++pos;
  while (pos < line.size() && isBlank(line[pos])) ++pos;
  // "*DefaultPageSize : A4" is read by the PPD library as A4; take the value after the ":".
  if (end < line.size() && line[end] != ':' && pos < line.size() && line[pos] == ':') {
    ++pos;
    while (pos < line.size() && isBlank(line[pos])) ++pos;
  }
  size_t valueEnd = pos;
  while (valueEnd < line.size() && !isBlank(line[valueEnd]) && line[valueEnd] != '\r' && line[valueEnd] != '\n')
    ++valueEnd;
  std::string value(line.substr(pos, valueEnd - pos));

  if (keyword.size() > kDefaultTextMax || value.size() > kDefaultTextMax) return std::nullopt;
  valueOut = value;
  return keyword;
}

void writeDefaultLine(std::FILE* output, const std::string& starKeyword, const std::string& value) {
  std::string line = defaultLineText(starKeyword, value);
  std::fwrite(line.data(), 1, line.size(), output);
  std::fflush(output);
}
