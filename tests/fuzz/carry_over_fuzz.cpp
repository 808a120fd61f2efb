// The carry-over from a queue's old PPD into a new one, both from the input (the old PPD, a line
// "*%%NEW-PPD%%", the new PPD; without that line the input is both). Every line of the new PPD
// comes out whole and in order; a rewritten *Default line names one word; a carried choice is the
// old PPD's default and one the new PPD accepts; the result conflicts no more than the new PPD's
// own defaults do, unless every old default fits; each default dropped as conflicting would
// add a conflict to the result; and the result keeps the new PPD's make and model.
#include <vector>

#include "core/messages.h"
#include "fuzz_support.h"
#include "base/text.h"
#include "queues/option_carry_over.h"
#include "queues/ppd_adapter.h"

namespace {

constexpr std::string_view kSeparator = "\n*%%NEW-PPD%%\n";

// Lines as the carry-over reads them: ended by LF, CR LF or a lone CR.
std::vector<std::string> splitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || text[i] == '\r') {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      lines.emplace_back(text.substr(start, i + 1 - start));
      start = i + 1;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

bool isOneWord(std::string_view word) { return word.find_first_of(" \t\r\n") == std::string_view::npos; }

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line;
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  size_t split = input.find(kSeparator);
  std::string_view oldText = split == std::string_view::npos ? input : input.substr(0, split);
  std::string_view text = split == std::string_view::npos ? input : input.substr(split + kSeparator.size());
  const std::string oldPath = scratchDir() + "/old.ppd", newPath = scratchDir() + "/new.ppd";
  writeInput(oldPath, reinterpret_cast<const uint8_t*>(oldText.data()), oldText.size());
  writeInput(newPath, reinterpret_cast<const uint8_t*>(text.data()), text.size());

  SetupState state = quietState();
  state.debugLevel = 1;
  state.result.addQueue("fuzz");
  OptList options;
  int count = -1;
  int collected = getQueueOptions(state, oldPath, options, count);
  FUZZ_CHECK(collected == static_cast<int>(options.entries.size()) && (count == collected || collected == 0));
  OfferedChoices offered = offeredChoices(newPath);

  auto rewrite = [&](SetupState& state, const OptList& options) {
    FileHandle in(newPath, "rb");
    char* outBuffer = nullptr;
    size_t outSize = 0;
    std::FILE* output = open_memstream(&outBuffer, &outSize);
    FUZZ_CHECK(in && output != nullptr);
    processNewPPD(state, in.get(), output, options, static_cast<int>(options.entries.size()), offered);
    std::fclose(output);
    std::string out(outBuffer, outSize);
    std::free(outBuffer);
    return out;
  };
  const std::string out = rewrite(state, options);

  std::vector<std::string> in = splitLines(text);
  std::vector<std::string> got = splitLines(out);
  FUZZ_CHECK(in.size() == got.size());
  size_t carried = 0;
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] == got[i]) continue;
    // Only a *Default line may change, and only into "*Default<keyword>: <one word>\n".
    std::string value;
    std::optional<std::string> keyword = parseDefaultLine(in[i], value);
    FUZZ_CHECK(in[i].rfind("*Default", 0) == 0 && keyword);
    std::string_view line = got[i];
    std::string head = "*Default" + keyword->substr(1);
    while (!head.empty() && (head.back() == ' ' || head.back() == '\t' || head.back() == '\r' || head.back() == '\n'))
      head.pop_back();
    head += ": ";
    FUZZ_CHECK(line.rfind(head, 0) == 0 && line.back() == '\n');
    std::string written(line.substr(head.size(), line.size() - head.size() - 1));
    FUZZ_CHECK(isOneWord(written));
    if (written == value) continue;
    // Anything else is a carried old choice, which the new PPD must accept for that option.
    std::string option = head.substr(8, head.size() - 10);
    const OptEntry* old = findOpt(options, "*" + option);
    FUZZ_CHECK(old && old->choice == written);
    auto choices = offered.find(option);
    FUZZ_CHECK(choices != offered.end() &&
               (choices->second.count(written) || (written.rfind("Custom.", 0) == 0 && choices->second.count("Custom"))));
    ++carried;
  }

  // The result beside the new PPD as written with its own defaults.
  SetupState ownState = quietState();
  std::optional<int> conflicts = defaultConflicts(out), baseline = defaultConflicts(rewrite(ownState, OptList{}));
  const QueueResult& result = state.result.queues.back();
  // A carry the log names may equal the new PPD's own default; it is a default of the result still.
  FUZZ_CHECK(result.carried.size() >= carried);
  for (const CarriedDefault& c : result.carried)
    FUZZ_CHECK(contains(out, "*Default" + c.option + ": " + c.value + "\n"));
  std::string error;
  std::optional<MarkedDefaults> marked = readMarkedDefaults(newPath, error);
  FUZZ_CHECK(marked.has_value() == error.empty());
  // The scheduler is asked for the rewritten PPD's make and model: the rewrite never changes a
  // NickName of one line. (A rewrite the PPD library cannot open is never installed; a rewritten line
  // that held a quote may have opened or closed a string running over several lines.)
  bool quoteRewritten = false;
  for (size_t i = 0; i < in.size(); ++i) quoteRewritten |= in[i] != got[i] && contains(in[i], "\"");
  std::optional<PpdServedFacts> served = quoteRewritten ? std::nullopt : readServedFacts(newPath);
  if (served && served->nickname.find_first_of("\r\n") == std::string::npos) {
    const std::string outPath = scratchDir() + "/out.ppd";
    writeInput(outPath, reinterpret_cast<const uint8_t*>(out.data()), out.size());
    std::optional<PpdServedFacts> rewritten = readServedFacts(outPath);
    FUZZ_CHECK(!rewritten || rewritten->nickname == served->nickname);
  }
  if (!conflicts || !baseline) return 0;
  bool droppedAny = false;
  for (const KeptDefault& kept : result.kept) {
    if (kept.reason != "conflicts") continue;
    droppedAny = true;
    // Carrying it now would make the result conflict more than the new PPD's own defaults do.
    for (size_t i = 0; i < got.size(); ++i) {
      std::string value;
      std::optional<std::string> keyword = parseDefaultLine(got[i], value);
      if (!keyword || *keyword != "*" + kept.option || value != kept.value) continue;
      std::vector<std::string> with = got;
      with[i] = "*Default" + kept.option + ": " + kept.old + "\n";
      std::optional<int> more = defaultConflicts(joined(with));
      FUZZ_CHECK(!more || *more > *baseline);
    }
  }
  if (droppedAny) FUZZ_CHECK(*conflicts <= *baseline);
  FUZZ_CHECK(clearOptList(options) == 0 && options.entries.empty());
  static const bool nullListEnds = endsProcessWith(msg::kAddOptListNull, [] { addOptList(nullptr, newOptEntry()); });
  FUZZ_CHECK(nullListEnds);
  return 0;
}
