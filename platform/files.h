// The file layer. Paths are cp1251 texts, as everywhere in the system; they
// are converted to the filesystem's UTF-8 here and nowhere else.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace krav {

using Lines = std::vector<std::string>;

// The filesystem (UTF-8) form of a cp1251 path text.
std::string FsPath(std::string_view path);

bool FileExists(const std::string& path);
bool DirExists(const std::string& path);
// Removes a file; false when there was none or it could not be removed.
bool RemoveFile(const std::string& path);
// Creates every missing level of a directory path; stops quietly at the
// first level that cannot be created.
void ForceDir(const std::string& path);

// Milliseconds of a steady clock.
std::int64_t TickCount();

// Reads a whole file. False (and an empty text) when it cannot be read.
bool LoadBytes(const std::string& path, std::string& bytes);

// Calls f(line) for each line of a text: lines end with CR LF or LF, the last
// one may have no end. The views point into the text.
template <class F>
void ForEachLine(std::string_view text, F&& f) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
    if (end == std::string_view::npos) end = text.size();
    std::size_t stop = end;
    if (stop > pos && text[stop - 1] == '\r') --stop;
    f(text.substr(pos, stop - pos));
    pos = next;
  }
}

// Loads a list of lines; a missing file gives an empty list and false.
bool LoadLines(const std::string& path, Lines& lines);

// The loads of a read-modify-write. A missing file is an empty one and
// succeeds; any other failure to read (no permission, a directory in its
// place, an I/O error) returns false, and the caller must not save over it.
[[nodiscard]] bool LoadBytesForUpdate(const std::string& path, std::string& bytes);
[[nodiscard]] bool LoadLinesForUpdate(const std::string& path, Lines& lines);

// Writes the lines, each ended by CR LF, to a temporary file in the same
// folder and renames it over the old file. On failure the old file is left
// as it was and false is returned. A path that is a symbolic link is written
// through: the link's target is replaced and the link stays. Temporary files
// left by a save of the same file that was killed midway are removed.
//
// With Flush::Later the data is not forced to the disk before the rename;
// the caller writes a batch of files that way and then calls
// FlushFileSystem once, before anything that relies on them is written.
enum class Flush { Now, Later };
[[nodiscard]] bool SaveLines(const std::string& path, const Lines& lines, Flush flush = Flush::Now);

// Writes bytes the same safe way.
[[nodiscard]] bool SaveBytes(const std::string& path, std::string_view bytes, Flush flush = Flush::Now);

// SaveBytes in two steps, so that many files can be written ahead and put in
// place later, or not at all: `write` puts the bytes in a file of the
// target's folder that has no name yet (where the file system allows it;
// otherwise under a locked temporary name), `commit` puts that file in the
// target's place. Destroyed without a commit, it leaves nothing behind.
class PendingSave {
 public:
  PendingSave() = default;
  PendingSave(PendingSave&& other) noexcept;
  PendingSave& operator=(PendingSave&& other) noexcept;
  PendingSave(const PendingSave&) = delete;
  PendingSave& operator=(const PendingSave&) = delete;
  ~PendingSave();

  [[nodiscard]] bool write(const std::string& path, std::string_view bytes, Flush flush = Flush::Now);
  [[nodiscard]] bool commit();

 private:
  void discard();
  int fd_ = -1;
  bool unnamed_ = false, exists_ = false, named_ = false;
  Flush flush_ = Flush::Now;
  std::string target_, folder_, temp_;
};

// Forces every file written to the file system holding `path` to the disk;
// when `path` is a folder, also removes the leftovers of killed saves there.
bool FlushFileSystem(const std::string& path);

// Appends one line ended by CR LF to a log file, creating it when missing.
bool AppendLogLine(const std::string& path, std::string_view line);

}  // namespace krav
