#include "core/run_result.h"

#include <unistd.h>

#include <cstdio>
#include <nlohmann/json.hpp>

#include "base/file_replacement.h"
#include "base/text.h"

namespace {

// Keys stay in the order written here, so a person can read the file too.
using json = nlohmann::ordered_json;

std::string utcTime(std::time_t when) {
  std::tm parts{};
  gmtime_r(&when, &parts);
  char text[32] = {};
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
  return text;
}

json orNull(const std::string& text) { return text.empty() ? json(nullptr) : json(text); }

json queueJson(const QueueResult& queue) {
  json carried = json::array();
  for (const CarriedDefault& item : queue.carried) carried.push_back({{"option", item.option}, {"value", item.value}});
  json kept = json::array();
  for (const KeptDefault& item : queue.kept)
    kept.push_back({{"option", item.option}, {"value", item.value}, {"old", item.old}, {"reason", item.reason}});
  return {{"name", queue.name},       {"model", orNull(queue.model)},
          {"ppd", orNull(queue.ppd)}, {"newPpd", orNull(queue.newPpd)},
          {"outcome", queue.outcome}, {"reason", orNull(queue.reason)},
          {"served", queue.served < 0 ? json(nullptr) : json(queue.served == 1)},
          {"carried", carried},       {"kept", kept}};
}

}  // namespace

QueueResult& RunResult::addQueue(const std::string& name) {
  queues.emplace_back();
  queues.back().name = name;
  return queues.back();
}

QueueResult& RunResult::addQueue(const PrinterEntry& printer) {
  QueueResult& queue = addQueue(printer.queueName);
  const std::string& model = printer.modelName;
  bool quoted = model.size() >= 2 && model.front() == '"' && model.back() == '"';
  queue.model = quoted ? model.substr(1, model.size() - 2) : model;
  queue.ppd = printer.ppdPath;
  return queue;
}

void abandonResult(RunResult& result, const std::string& reason) {
  result.abandoned = true;
  std::string text = reason;
  while (!text.empty() && (text.back() == '\n' || isBlank(text.back()))) text.pop_back();
  size_t first = text.find_first_not_of(" \t\n*");
  if (first != std::string::npos) result.reasons.push_back(text.substr(first));
}

std::string runResultJson(const RunResult& result, const std::string& installDir, std::time_t end) {
  // Names come from the machine and may hold any byte: bytes that are not UTF-8 are replaced.
  constexpr auto kReplace = json::error_handler_t::replace;
  json head = {{"kind", result.kind},           {"start", utcTime(result.start)}, {"end", utcTime(end)},
               {"abandoned", result.abandoned}, {"reasons", result.reasons},      {"installDir", installDir},
               {"package", result.package},     {"restarted", result.restarted},
               {"restartPending", result.restartPending}};
  // The queues follow one a line, each made and written on its own: a run over ten thousand queues
  // never holds the whole document as a tree.
  std::string text = head.dump(2, ' ', false, kReplace);
  text.resize(text.size() - 2);  // the closing "\n}"
  text += ",\n  \"queues\": [";
  for (size_t i = 0; i < result.queues.size(); ++i) {
    text += i == 0 ? "\n    " : ",\n    ";
    text += queueJson(result.queues[i]).dump(-1, ' ', false, kReplace);
  }
  text += result.queues.empty() ? "]\n}\n" : "\n  ]\n}\n";
  return text;
}

int writeRunResult(const RunResult& result, const std::string& logPath, const std::string& installDir) {
  return replaceFileWithText(logPath + ".json", runResultJson(result, installDir, std::time(nullptr)), 0644, geteuid(),
                             getegid());
}
