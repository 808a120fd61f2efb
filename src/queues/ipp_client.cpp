#include "queues/ipp_client.h"

#include <cups/cups.h>

#include <cstring>

namespace {

struct IppDeleter {
  void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using IppMessage = std::unique_ptr<ipp_t, IppDeleter>;

// Gives up on an answer that does not come within the connection's timeout.
int giveUp(http_t*, void*) { return 0; }

IppMessage request(ipp_op_t operation, const char* uri) {
  ipp_t* message = ippNewRequest(operation);
  ippAddString(message, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
  ippAddString(message, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
  return IppMessage(message);
}

IppMessage send(http_t* http, IppMessage message, const char* resource) {
  if (!http) return nullptr;
  IppMessage answer(cupsDoRequest(http, message.release(), resource));
  if (!answer || ippGetStatusCode(answer.get()) > IPP_STATUS_OK_CONFLICTING) return nullptr;
  return answer;
}

}  // namespace

IppClient::IppClient(int timeoutMs) {
  http_ = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, timeoutMs, nullptr);
  if (http_) httpSetTimeout(http_, timeoutMs / 1000.0, giveUp, nullptr);
}

IppClient::~IppClient() {
  if (http_) httpClose(http_);
}

bool IppClient::queues(std::vector<SchedulerQueue>& out) {
  IppMessage message(ippNewRequest(IPP_OP_CUPS_GET_PRINTERS));
  static const char* const wanted[] = {"printer-name", "printer-uri-supported", "printer-state-reasons"};
  ippAddStrings(message.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 3, nullptr, wanted);
  IppMessage answer = send(http_, std::move(message), "/");
  if (!answer) return false;
  SchedulerQueue queue;
  for (ipp_attribute_t* attr = ippFirstAttribute(answer.get());; attr = ippNextAttribute(answer.get())) {
    const char* name = attr ? ippGetName(attr) : nullptr;
    if (!name) {  // a group separator or the end: one destination is complete
      if (!queue.name.empty() && !queue.uri.empty()) out.push_back(queue);
      queue = SchedulerQueue();
      if (!attr) break;
      continue;
    }
    if (!std::strcmp(name, "printer-name")) queue.name = ippGetString(attr, 0, nullptr);
    if (!std::strcmp(name, "printer-uri-supported")) queue.uri = ippGetString(attr, 0, nullptr);
    if (!std::strcmp(name, "printer-state-reasons")) {
      for (int i = 0; i < ippGetCount(attr); ++i)
        if (!std::strcmp(ippGetString(attr, i, nullptr), "hold-new-jobs")) queue.holdingNewJobs = true;
    }
  }
  return true;
}

bool IppClient::jobs(std::vector<SchedulerJob>& out) {
  IppMessage message = request(IPP_OP_GET_JOBS, "ipp://localhost/");
  static const char* const wanted[] = {"job-id", "job-state", "job-state-reasons", "job-hold-until"};
  ippAddStrings(message.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 4, nullptr, wanted);
  ippAddString(message.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "which-jobs", nullptr, "not-completed");
  IppMessage answer = send(http_, std::move(message), "/");
  if (!answer) return false;
  SchedulerJob job;
  for (ipp_attribute_t* attr = ippFirstAttribute(answer.get());; attr = ippNextAttribute(answer.get())) {
    const char* name = attr ? ippGetName(attr) : nullptr;
    if (!name) {
      if (job.id > 0) out.push_back(job);
      job = SchedulerJob();
      if (!attr) break;
      continue;
    }
    if (!std::strcmp(name, "job-id")) job.id = ippGetInteger(attr, 0);
    if (!std::strcmp(name, "job-state")) job.state = ippGetInteger(attr, 0);
    if (!std::strcmp(name, "job-hold-until")) job.holdUntil = ippGetString(attr, 0, nullptr) ?: "";
    if (!std::strcmp(name, "job-state-reasons")) {
      for (int i = 0; i < ippGetCount(attr); ++i)
        if (!std::strcmp(ippGetString(attr, i, nullptr), "job-held-on-create")) job.heldOnCreate = true;
    }
  }
  return true;
}

int IppClient::jobState(int id) {
  IppMessage message = request(IPP_OP_GET_JOB_ATTRIBUTES, "ipp://localhost/");
  ippAddInteger(message.get(), IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", id);
  ippAddString(message.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr, "job-state");
  IppMessage answer = send(http_, std::move(message), "/jobs/");
  ipp_attribute_t* state = answer ? ippFindAttribute(answer.get(), "job-state", IPP_TAG_ENUM) : nullptr;
  return state ? ippGetInteger(state, 0) : -1;
}

bool IppClient::holdNewJobs(const std::string& uri, bool hold) {
  ipp_op_t operation = hold ? IPP_OP_HOLD_NEW_JOBS : IPP_OP_RELEASE_HELD_NEW_JOBS;
  return send(http_, request(operation, uri.c_str()), "/admin/") != nullptr;
}

bool IppClient::holdJob(int id, bool hold) {
  IppMessage message = request(hold ? IPP_OP_HOLD_JOB : IPP_OP_RELEASE_JOB, "ipp://localhost/");
  ippAddInteger(message.get(), IPP_TAG_OPERATION, IPP_TAG_INTEGER, "job-id", id);
  return send(http_, std::move(message), "/jobs/") != nullptr;
}

bool IppClient::servedModel(const std::string& queue, std::string& makeAndModel, std::string& mediaDefault) {
  char uri[1024];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(), "/printers/%s",
                   queue.c_str());
  IppMessage message = request(IPP_OP_GET_PRINTER_ATTRIBUTES, uri);
  static const char* const wanted[] = {"printer-make-and-model", "media-default"};
  ippAddStrings(message.get(), IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, wanted);
  IppMessage answer = send(http_, std::move(message), "/");
  if (!answer) return false;
  ipp_attribute_t* model = ippFindAttribute(answer.get(), "printer-make-and-model", IPP_TAG_TEXT);
  makeAndModel = model ? (ippGetString(model, 0, nullptr) ?: "") : "";
  ipp_attribute_t* media = ippFindAttribute(answer.get(), "media-default", IPP_TAG_ZERO);
  mediaDefault = media ? (ippGetString(media, 0, nullptr) ?: "") : "";
  return true;
}
