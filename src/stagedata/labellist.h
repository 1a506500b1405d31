// Label lists: arrays of the texts that name the values of a record member, one per value from the
// list's first value on, closed by an empty text. Play rarely shows them; they fix what each stored
// value means.
#pragma once
#include <string>
#include <vector>

// The number of labels before the closing "".
int LabelCount(const char* const* labels);
// The label of `value` in a list whose first label names `first`; null for a value outside the list.
const char* LabelOf(const char* const* labels, int value, int first = 0);
// The labels up to the closing "".
std::vector<std::string> CopyLabelList(const char* const* labels);
