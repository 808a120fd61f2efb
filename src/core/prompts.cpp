#include "core/prompts.h"

#include <cctype>
#include <cstdio>
#include <initializer_list>
#include <string_view>

#include "base/text.h"
#include "core/messages.h"

namespace {

std::string lowerCase(const std::string& text) {
  std::string lower = text;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

bool containsAny(const std::string& text, std::initializer_list<std::string_view> words) {
  for (std::string_view word : words) {
    if (contains(text, word)) return true;
  }
  return false;
}

// The question goes out unchanged, then the hint; all of it is on the terminal before the read.
AnswerKind ask(const std::string& question, const char* hint, bool fourWay) {
  std::fwrite(question.data(), 1, question.size(), stdout);
  std::fputs("\n", stdout);
  std::fputs(hint, stdout);
  std::fputs(" ", stdout);
  std::fflush(stdout);
  std::string answer;
  if (!readAnswer(answer)) return kAnswerUnrecognised;
  return classifyAnswer(answer, fourWay);
}

}  // namespace

AnswerKind askYesNo(const std::string& question) { return ask(question, msg::kHintYesNo, false); }

AnswerKind askYesNoAll(const std::string& question) { return ask(question, msg::kHintYesNoAll, true); }

bool readAnswer(std::string& buffer) {
  if (!readPiece(stdin, buffer, kAnswerMax)) return false;
  // The answer ends at its first NUL byte: what follows it is never read as part of the answer.
  if (size_t nul = buffer.find('\0'); nul != std::string::npos) buffer.resize(nul);
  while (buffer.size() > 1 && (buffer.back() == '\n' || buffer.back() == '\r')) buffer.pop_back();
  return true;
}

AnswerKind classifyAnswer(const std::string& answer, bool fourWay) {
  const std::string lower = lowerCase(answer);
  if (containsAny(lower, {"yes", "oui", "ja", "si"})) return kAnswerYes;
  if (containsAny(lower, {"no", "nein", "niente"})) return kAnswerNo;
  if (fourWay && containsAny(lower, {"all", "tou", "toda", "tut"})) return kAnswerAll;
  if (lower.empty()) return kAnswerUnrecognised;
  switch (std::toupper(static_cast<unsigned char>(answer.front()))) {
    case 'Y':
    case 'O':
    case 'S': return kAnswerYes;
    case 'N': return kAnswerNo;
    case 'A':
    case 'T': return fourWay ? kAnswerAll : kAnswerUnrecognised;
    case 'B': return fourWay ? kAnswerBreak : kAnswerUnrecognised;
    default: return kAnswerUnrecognised;
  }
}
