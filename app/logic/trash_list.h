// The trash page as plain values: the rows of "mess-del.dat" in file order,
// and its two commands, checked under the data directory's lock against the
// lines that were shown.
#pragma once

#include <string>
#include <vector>

#include "platform/files.h"

namespace krav::app {

struct TrashRow {
  std::string trashLine;  // as in the file
  int kind = 0;           // of the deleted line; 0 when not a number
  std::string deletedAt;  // "dd.mm.yyyy hh:mm"
  std::string description;
  std::string deletedLine;
  bool marked = false;
};

// The rows of the trash file; empty when there is none.
std::vector<TrashRow> LoadTrashRows(const std::string& trashFile);
TrashRow TrashRowOf(const std::string& trashLine);

struct TrashChange {
  int removed = 0, missing = 0;
  std::string error;
};
// Removes the marked rows' lines (each at its row while it is still the
// line shown, else the first equal line); an emptied trash file is deleted.
TrashChange DeleteTrashRows(const std::vector<TrashRow>& rows, const std::string& dataDir);
// Deletes the trash file.
bool EmptyTrash(const std::string& dataDir);

}  // namespace krav::app
