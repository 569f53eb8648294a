// messctl collect's output: the readable listing and the raw lines.
#pragma once

#include "engine/occurrences.h"

namespace krav {

// The listing a person reads, in UTF-8 to stdout: by day and time, a whole
// day before its times, in the collection's order within them; one line an
// occurrence: "date  time  kind: description  [amount]".
void PrintReadable(const Occurrences& list);

// The occurrence lines as the collection gives them (cp1251), one a line.
void PrintLines(const Occurrences& list);

}  // namespace krav
