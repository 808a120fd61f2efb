// The maker's models: names found in the "*ModelName:" lines of its PPDs, with numeric ids,
// and the page description language a queue's PPD is made for.
#pragma once

#include <span>

struct ModelEntry {
  const char* name;  // text the model line contains
  int id;            // model id, 1..270
};

// The rows in search order: the first row whose name occurs in a model text decides its id.
std::span<const ModelEntry> modelTable();

// Page description language of a queue, taken from the end of its model line.
enum PdlKind : int {
  kPdlUnknown = 0,
  kPdlPostScript = 1,
  kPdlPcl = 2,
  kPdlPxl = 3,
  kPdlCpca = 4,
  kPdlRaw = 5,
  kPdlSpecial = 6,
};

// The inventory line for a kind ("\tPDL     : PCL."); an unknown value gives the Unknown line.
const char* pdlLogText(int kind);
