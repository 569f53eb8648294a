// Generated data directories for the benchmarks: a realistic mix of every
// repetition and range kind.
#pragma once

#include <string>

namespace krav::bench {

// Makes root/Users/bench/ with "mess.dat" of `records` records and a
// December 2026 journal of `journalLines` lines. Returns the root.
std::string MakeRoot(int records, int journalLines);
// The same into an existing root, for data kept beyond the process.
void WriteRoot(const std::string& root, int records, int journalLines);
void RemoveRoot(const std::string& root);

// A new folder /tmp/<prefix>-XXXXXX/ (with the slash), removed with all it
// holds when the process ends.
std::string ScratchDir(const std::string& prefix);

// The process's peak resident memory in MB since the last ResetPeakMemory.
double PeakMemoryMb();
void ResetPeakMemory();

}  // namespace krav::bench
