#include "host/records_stamp.h"

#include <sys/stat.h>

#include "engine/store.h"
#include "platform/files.h"
#include "shell/paths.h"

namespace krav::host {

bool RecordsStamp::foldersMoved(const RecordsStamp& before) const {
  auto same = [](const FileStamp& a, const FileStamp& b) {
    return a.exists == b.exists && a.device == b.device && a.inode == b.inode;
  };
  return !same(dataDir, before.dataDir) || !same(journalDir, before.journalDir);
}

FileStamp StampOf(const std::string& path) {
  FileStamp s;
  struct stat st {};
  if (::stat(FsPath(path).c_str(), &st) != 0) return s;
  s.exists = true;
  s.device = st.st_dev;
  s.inode = st.st_ino;
  s.size = st.st_size;
  s.modifiedNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  s.changedNs = static_cast<long long>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
  return s;
}

RecordsStamp RecordsStampOf(const std::string& dataDir, const std::string& monthDate) {
  RecordsStamp r;
  r.dataDir = StampOf(dataDir);
  r.journalDir = StampOf(shell::JournalDir(dataDir));
  r.store = StampOf(shell::StoreFile(dataDir));
  r.journal = StampOf(dataDir + JournalFileName(monthDate));
  // A folder's own times change with every file saved in it (the due list,
  // the settings): only its identity counts.
  for (FileStamp* dir : {&r.dataDir, &r.journalDir}) dir->size = dir->modifiedNs = dir->changedNs = 0;
  return r;
}

}  // namespace krav::host
