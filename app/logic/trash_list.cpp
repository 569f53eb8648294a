#include "app/logic/trash_list.h"

#include <set>

#include "engine/store.h"
#include "engine/text.h"
#include "platform/encoding.h"
#include "shell/paths.h"

namespace krav::app {

TrashRow TrashRowOf(const std::string& trashLine) {
  TrashRow r;
  r.trashLine = trashLine;
  r.deletedAt = GetField(trashLine, kSep4, 1);
  r.deletedLine = GetField(trashLine, kSep4, 2);
  r.kind = TextToInt(GetField(r.deletedLine, kSep3, 1));
  if (r.kind == 1 || r.kind == 2) r.description = GetField(r.deletedLine, kSep3, 4);
  else if (r.kind == 3 || r.kind == 4) r.description = GetField(r.deletedLine, kSep3, 3);
  return r;
}

std::vector<TrashRow> LoadTrashRows(const std::string& trashFile) {
  Lines lines;
  LoadLines(trashFile, lines);
  std::vector<TrashRow> rows;
  rows.reserve(lines.size());
  for (const auto& l : lines) rows.push_back(TrashRowOf(l));
  return rows;
}

TrashChange DeleteTrashRows(const std::vector<TrashRow>& rows, const std::string& dataDir) {
  TrashChange result;
  const std::string file = shell::TrashFile(dataDir);
  int missing = 0, removed = 0;
  const bool ok = UpdateLines(
      dataDir, file,
      [&](Lines& lines) {
        std::set<std::size_t> doomed;
        for (std::size_t row = rows.size(); row-- > 0;) {
          if (!rows[row].marked) continue;
          std::size_t at = lines.size();
          if (row < lines.size() && !doomed.count(row) && lines[row] == rows[row].trashLine) at = row;
          for (std::size_t i = 0; at == lines.size() && i < lines.size(); ++i)
            if (!doomed.count(i) && lines[i] == rows[row].trashLine) at = i;
          if (at == lines.size()) ++missing;
          else doomed.insert(at);
        }
        Lines kept;
        for (std::size_t i = 0; i < lines.size(); ++i)
          if (!doomed.count(i)) kept.push_back(lines[i]);
        lines = std::move(kept);
        removed = static_cast<int>(doomed.size());
        return removed > 0;
      },
      WhenEmpty::Delete);
  result.missing = missing;
  if (!ok) {
    // The change ran only when the trash was read: then it was the save that failed.
    result.error = Ru("Файл ") + file +
                   Ru(removed > 0 ? " не удалось записать; корзина оставлена как была."
                                  : " не удалось прочитать; корзина оставлена как была.");
    return result;
  }
  result.removed = removed;
  return result;
}

bool EmptyTrash(const std::string& dataDir) {
  DataDirLock lock(dataDir);
  if (!lock.held()) return false;
  RemoveFile(shell::TrashFile(dataDir));  // a failure to delete is ignored, as the page does
  return !FileExists(shell::TrashFile(dataDir));
}

}  // namespace krav::app
