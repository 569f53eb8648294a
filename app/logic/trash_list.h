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
  int alreadyThere = 0;  // restore: lines that stood in their file again
  int unknown = 0;       // restore: lines of no kind or date a file is known for
  std::string error;
};
// Removes the marked rows' lines (each at its row while it is still the
// line shown, else the first equal line); an emptied trash file is deleted.
TrashChange DeleteTrashRows(const std::vector<TrashRow>& rows, const std::string& dataDir);
// Deletes the trash file.
bool EmptyTrash(const std::string& dataDir);

// "Восстановить": each marked row's line goes back where it came from —
// reminders and actions to the end of the store, diary notes and operations
// to the journal of their date's month (an operation marks the accounting
// change) — and leaves the trash, all in one update; the rows are checked
// against the trash as DeleteTrashRows does. A line already standing in its
// file again is not added twice (it leaves the trash all the same). Counts
// `removed` the lines restored.
TrashChange RestoreTrashRows(const std::vector<TrashRow>& rows, const std::string& root, const std::string& user);

}  // namespace krav::app
