// Questions to the person at the terminal and the one-line answers to them.
#pragma once

#include <string>

// The result of both prompts.
enum AnswerKind : int {
  kAnswerUnrecognised = -1,
  kAnswerNo = 0,
  kAnswerYes = 1,
  kAnswerAll = 2,    // yes for this and every following item (four-way prompt only)
  kAnswerBreak = 3,  // no for this and every following item (four-way prompt only)
};

// An answer line holds at most this many characters; the rest of a longer line is left for the
// next prompt.
inline constexpr size_t kAnswerMax = 255;

// Writes the question unchanged, then the yes/no hint, and reads one answer: Yes, No or
// Unrecognised. Standard input at its end gives Unrecognised at once.
AnswerKind askYesNo(const std::string& question);
// The same with the four-way hint and rules: Yes, No, All, Break or Unrecognised.
AnswerKind askYesNoAll(const std::string& question);
// Reads one answer line from standard input and strips its trailing line feeds and carriage
// returns, never the first character. False when nothing could be read (end of input).
bool readAnswer(std::string& buffer);
// Classifies an answer by the yes/no rules, or with fourWay by the yes/no/all/break rules.
AnswerKind classifyAnswer(const std::string& answer, bool fourWay);
