#include "stagedata/labellist.h"

int LabelCount(const char* const* labels) {
  int n = 0;
  while (labels[n][0] != '\0') ++n;
  return n;
}

const char* LabelOf(const char* const* labels, int value, int first) {
  if (value < first) return nullptr;
  const long long i = static_cast<long long>(value) - first;
  if (i >= LabelCount(labels)) return nullptr;
  return labels[i];
}

std::vector<std::string> CopyLabelList(const char* const* labels) {
  return std::vector<std::string>(labels, labels + LabelCount(labels));
}
