// What the host knows of the record files without reading them: the folder
// of the data directory and of the journals, the store, and this month's
// journal, each by identity, size and time. A change in any of them means
// the records may have changed, whether or not a folder watch saw it (a
// file written in place, a folder replaced or moved, a watch the system
// dropped).
#pragma once

#include <string>
#include <vector>

namespace krav::host {

struct FileStamp {
  bool exists = false;
  unsigned long long device = 0, inode = 0;
  long long size = 0, modifiedNs = 0, changedNs = 0;
  bool operator==(const FileStamp&) const = default;
};

struct RecordsStamp {
  FileStamp dataDir, journalDir, store, journal;
  bool operator==(const RecordsStamp&) const = default;
  // The folders are other folders than before: a watch on them must be set again.
  bool foldersMoved(const RecordsStamp& before) const;
};

FileStamp StampOf(const std::string& cp1251Path);
// The stamp of a data directory (ending in "/"), with the journal of the month of `monthDate` ("dd.mm.yyyy").
RecordsStamp RecordsStampOf(const std::string& dataDir, const std::string& monthDate);

}  // namespace krav::host
