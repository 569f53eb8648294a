#include "sync/state.h"

#include "engine/store.h"
#include "engine/text.h"

namespace krav::sync {
namespace {

constexpr const char* kHeader = "krav-sync 1";

std::vector<std::string> Tabs(const std::string& line) {
  std::vector<std::string> parts;
  SplitByChar(line, parts, '\t');
  return parts;
}

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string StateFile(const std::string& dataDir) { return dataDir + "sync.state"; }
std::string EditsFile(const std::string& dataDir) { return dataDir + "sync.edits"; }
std::string PassLockFile(const std::string& dataDir) { return dataDir + "sync.lock"; }

std::string EncodeLine(const std::string& line) {
  std::string out;
  for (const char c : line) {
    if (c == '%' || c == '\t' || c == '\r' || c == '\n') {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
      out += hex;
    } else {
      out += c;
    }
  }
  return out;
}

std::string DecodeLine(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    const int high = i + 2 < field.size() ? Hex(field[i + 1]) : -1, low = high >= 0 ? Hex(field[i + 2]) : -1;
    if (field[i] == '%' && low >= 0) {
      out += static_cast<char>(high * 16 + low);
      i += 2;
    } else {
      out += field[i];
    }
  }
  return out;
}

bool LoadState(const std::string& dataDir, SyncState& state, std::string& error) {
  state = SyncState();
  Lines lines;
  if (!LoadLinesForUpdate(StateFile(dataDir), lines)) {
    error = "файл " + StateFile(dataDir) + " не читается";
    return false;
  }
  if (lines.empty()) return true;
  const std::vector<std::string> head = Tabs(lines[0]);
  if (head.size() < 2 || head.size() > 3 || head[0] != kHeader) {
    error = "файл " + StateFile(dataDir) + " — не файл состояния синхронизации";
    return false;
  }
  state.url = head[1];
  if (head.size() == 3) state.token = head[2];
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<std::string> f = Tabs(lines[i]);
    if (f.size() != 5) {
      error = "файл " + StateFile(dataDir) + " повреждён в строке " + std::to_string(i + 1);
      return false;
    }
    SyncEntry e{f[0], f[1], f[2], DecodeLine(f[4])};
    e.foreign = f[3].find('F') != std::string::npos;
    e.outdated = f[3].find('O') != std::string::npos;
    e.unsendable = f[3].find('U') != std::string::npos;
    state.entries.push_back(std::move(e));
  }
  return true;
}

bool SaveState(const std::string& dataDir, const SyncState& state) {
  return SaveBytes(StateFile(dataDir), StateText(state), Flush::Now);
}

std::string StateText(const SyncState& state) {
  std::string bytes = std::string(kHeader) + "\t" + state.url + "\t" + state.token + "\r\n";
  for (const auto& e : state.entries) {
    std::string flags = "-";
    if (e.foreign) flags += "F";
    if (e.outdated) flags += "O";
    if (e.unsendable) flags += "U";
    bytes += e.uid + "\t" + e.href + "\t" + e.etag + "\t" + flags + "\t" + EncodeLine(e.record) + "\r\n";
  }
  return bytes;
}

bool NoteReplacedRecord(const std::string& dataDir, const std::string& before, const std::string& after) {
  if (!FileExists(StateFile(dataDir)) || before == after) return true;
  return AppendLines(dataDir, EditsFile(dataDir), {EncodeLine(before) + "\t" + EncodeLine(after)});
}

bool LoadEdits(const std::string& dataDir, std::vector<Edit>& edits) {
  edits.clear();
  Lines lines;
  if (!LoadLinesForUpdate(EditsFile(dataDir), lines)) return false;
  for (const auto& l : lines) {
    const std::vector<std::string> f = Tabs(l);
    if (f.size() == 2) edits.push_back({DecodeLine(f[0]), DecodeLine(f[1])});
  }
  return true;
}

bool DropEdits(const std::string& dataDir, std::size_t count) {
  if (count == 0) return true;
  return UpdateLines(
      dataDir, EditsFile(dataDir),
      [&](Lines& lines) {
        lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(count, lines.size())));
        return true;
      },
      WhenEmpty::Delete);
}

}  // namespace krav::sync
