#include "queues/served_check.h"

#include <cups/cups.h>

#include <cmath>

#include "base/format.h"
#include "core/messages.h"
#include "core/run_log.h"
#include "core/setup_state.h"
#include "queues/ipp_client.h"
#include "queues/ppd_adapter.h"

namespace {

// Hundredths of a millimetre per point, and the slack for rounding between the two.
constexpr double kUnitsPerPoint = 2540.0 / 72.0;
constexpr double kSizeSlack = 100.0;

bool changed(const QueueResult& queue) { return queue.outcome == "refreshed" || queue.outcome == "rolled back"; }

}  // namespace

std::string servedMismatch(const std::string& makeAndModel, const std::string& mediaDefault,
                           const std::string& ppdPath) {
  std::optional<PpdServedFacts> facts = readServedFacts(ppdPath);
  if (!facts) return "the PPD cannot be read";
  if (makeAndModel != facts->nickname)
    return format(msg::kServedOtherModel, makeAndModel.c_str(), facts->nickname.c_str());
  pwg_media_t* media = mediaDefault.empty() ? nullptr : pwgMediaForPWG(mediaDefault.c_str());
  if (media && facts->pageWidth > 0 &&
      (std::fabs(media->width - facts->pageWidth * kUnitsPerPoint) > kSizeSlack ||
       std::fabs(media->length - facts->pageLength * kUnitsPerPoint) > kSizeSlack))
    return format(msg::kServedOtherMedia, mediaDefault.c_str());
  return {};
}

void checkServedQueues(SetupState& state) {
  bool any = false;
  for (const QueueResult& queue : state.result.queues) any = any || changed(queue);
  if (!any) return;
  IppClient ipp;
  for (QueueResult& queue : state.result.queues) {
    if (!changed(queue)) continue;
    const char* name = queue.name.c_str();
    std::string makeAndModel, mediaDefault;
    if (state.result.restartPending) {
      logLine(state, format(msg::kServedUnknown, name, "the CUPS restart is pending"));
    } else if (!ipp.connected() || !ipp.servedModel(queue.name, makeAndModel, mediaDefault)) {
      logLine(state, format(msg::kServedUnknown, name, "no scheduler answers for it"));
    } else if (std::string why = servedMismatch(makeAndModel, mediaDefault, queue.ppd); why.empty()) {
      queue.served = 1;
      logLine(state, format(msg::kServed, name, makeAndModel.c_str(), mediaDefault.c_str()));
    } else {
      queue.served = 0;
      logLine(state, format(msg::kNotServed, name, why.c_str()));
      queue.outcome = "failed";
      queue.reason = why;
    }
  }
}
