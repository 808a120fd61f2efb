#include "queues/model_table.h"

#include "core/messages.h"

namespace {

constexpr ModelEntry kModelRows[] = {
#include "queues/model_table_rows.inc"
};

}  // namespace

std::span<const ModelEntry> modelTable() { return kModelRows; }

const char* pdlLogText(int kind) {
  switch (kind) {
    case kPdlPostScript: return msg::kPdlPostScript;
    case kPdlPcl: return msg::kPdlPcl;
    case kPdlPxl: return msg::kPdlPxl;
    case kPdlCpca: return msg::kPdlCpca;
    case kPdlRaw: return msg::kPdlRaw;
    case kPdlSpecial: return msg::kPdlSpecial;
    default: return msg::kPdlUnknown;
  }
}
