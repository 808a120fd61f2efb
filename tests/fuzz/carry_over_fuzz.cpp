// The carry-over's rewrite of a new PPD: every input line comes out whole and in order, a
// rewritten *Default line names one word, and a carried old choice is one the new PPD offers.
#include <sys/mman.h>

#include <vector>

#include "fuzz_support.h"
#include "queues/option_carry_over.h"

namespace {

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

OptList oldOptions() {
  OptList list;
  const char* pairs[][2] = {
      {"PageSize", "A4"}, {"Resolution", "600dpi"}, {"Duplex", "DuplexNoTumble"}, {"InputSlot", "Tray2"}};
  for (auto& pair : pairs) addOptList(&list, OptEntry{pair[0], pair[1], static_cast<int>(list.entries.size()) + 1});
  return list;
}

bool isOneWord(std::string_view word) { return word.find_first_of(" \t\r\n") == std::string_view::npos; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const OptList options = oldOptions();
  std::string_view text(reinterpret_cast<const char*>(data), size);
  // The library reads the choices the new PPD offers from a file; a memory file needs no name.
  int fd = memfd_create("new-ppd", MFD_CLOEXEC);
  FUZZ_CHECK(fd >= 0);
  FUZZ_CHECK(write(fd, data, size) == static_cast<ssize_t>(size));
  OfferedChoices offered = offeredChoices("/proc/self/fd/" + std::to_string(fd));
  close(fd);

  SetupState state = quietState();
  std::FILE* input = fmemopen(const_cast<uint8_t*>(data), size, "r");
  char* outBuffer = nullptr;
  size_t outSize = 0;
  std::FILE* output = open_memstream(&outBuffer, &outSize);
  FUZZ_CHECK(output != nullptr);
  // An empty input cannot be opened as a memory stream; there is nothing to rewrite then.
  if (input) {
    processNewPPD(state, input, output, options, static_cast<int>(options.entries.size()), offered);
    std::fclose(input);
  }
  std::fclose(output);
  std::string out(outBuffer, outSize);
  std::free(outBuffer);

  std::vector<std::string> in = splitLines(text);
  std::vector<std::string> got = splitLines(out);
  FUZZ_CHECK(in.size() == got.size());
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
    // Anything else is a carried old choice, which the new PPD must offer for that option.
    const OptEntry* old = findOpt(options, "*" + head.substr(8, head.size() - 10));
    FUZZ_CHECK(old && old->choice == written);
    auto choices = offered.find(old->keyword);
    FUZZ_CHECK(choices != offered.end() && choices->second.count(written));
  }
  return 0;
}
