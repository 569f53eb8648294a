#include "app/logic/trash_list.h"

#include <algorithm>
#include <set>

#include "accounting/ledger_files.h"
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

namespace {

// The file a deleted line came from; empty when no file is known for it.
std::string HomeOf(const std::string& line, const std::string& dataDir) {
  const std::string_view kind = FieldView(line, kSep3, 1);
  if (kind == "3" || kind == "4") return shell::StoreFile(dataDir);
  if (kind == "1" || kind == "2") {
    const std::string journal = JournalFileName(FieldView(line, kSep3, 2));
    return journal.empty() ? std::string() : dataDir + journal;
  }
  return {};
}

}  // namespace

TrashChange RestoreTrashRows(const std::vector<TrashRow>& rows, const std::string& root, const std::string& user) {
  TrashChange result;
  const std::string dataDir = shell::DataDir(root, user);
  const std::string trashFile = shell::TrashFile(dataDir);
  // The home files, then the trash: lines are added before they leave it.
  std::vector<FileToUpdate> files;
  std::vector<std::size_t> fileOfRow(rows.size(), 0);
  for (std::size_t row = 0; row < rows.size(); ++row) {
    if (!rows[row].marked) continue;
    const std::string home = HomeOf(rows[row].deletedLine, dataDir);
    if (home.empty()) {
      ++result.unknown;
      continue;
    }
    std::size_t f = 0;
    while (f < files.size() && files[f].path != home) ++f;
    if (f == files.size()) files.push_back({home});
    fileOfRow[row] = f + 1;  // 0: not restored
  }
  if (files.empty()) return result;
  const std::size_t trashAt = files.size();
  files.push_back({trashFile, WhenEmpty::Delete});
  ForceDir(shell::JournalDir(dataDir));

  Lines operations;  // the restored lines, for the accounting mark
  std::string failed;
  const bool ok = UpdateFiles(
      dataDir, files,
      [&](std::vector<Lines>& lines) {
        Lines& trash = lines[trashAt];
        result.removed = result.missing = result.alreadyThere = 0;
        operations.clear();
        std::set<std::size_t> taken;
        for (std::size_t row = 0; row < rows.size(); ++row) {
          if (fileOfRow[row] == 0) continue;
          std::size_t at = trash.size();
          if (row < trash.size() && !taken.count(row) && trash[row] == rows[row].trashLine) at = row;
          for (std::size_t i = 0; at == trash.size() && i < trash.size(); ++i)
            if (!taken.count(i) && trash[i] == rows[row].trashLine) at = i;
          if (at == trash.size()) {
            ++result.missing;
            continue;
          }
          taken.insert(at);
          Lines& home = lines[fileOfRow[row] - 1];
          if (std::find(home.begin(), home.end(), rows[row].deletedLine) != home.end()) {
            ++result.alreadyThere;
            continue;
          }
          home.push_back(rows[row].deletedLine);
          operations.push_back(rows[row].deletedLine);
          ++result.removed;
        }
        if (taken.empty()) return false;
        Lines kept;
        for (std::size_t i = 0; i < trash.size(); ++i)
          if (!taken.count(i)) kept.push_back(trash[i]);
        trash = std::move(kept);
        return true;
      },
      &failed);
  if (!ok) {
    result.removed = 0;
    result.error = Ru("Файл ") + failed + Ru(" не удалось прочитать или записать; ничего не восстановлено.");
    return result;
  }
  if (!accounting::MarkChangedOperations({root, user}, operations))
    result.error =
        Ru("Операция восстановлена, но отметка об изменении не записана: остатки в отчёте могут "
           "быть неверны.");
  return result;
}

bool EmptyTrash(const std::string& dataDir) {
  DataDirLock lock(dataDir);
  if (!lock.held()) return false;
  RemoveFile(shell::TrashFile(dataDir));  // a failure to delete is ignored, as the page does
  return !FileExists(shell::TrashFile(dataDir));
}

}  // namespace krav::app
