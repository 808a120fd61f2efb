// Prints the model table, one row a line: row number, id and name, tab-separated. The sample
// package and the benchmarks build their PPD sets from it.
#include <cstdio>

#include "queues/model_table.h"

int main() {
  int row = 0;
  for (const ModelEntry& entry : modelTable()) std::printf("%d\t%d\t%s\n", ++row, entry.id, entry.name);
  return 0;
}
