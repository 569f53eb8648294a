// Code page 1251 <-> UTF-8. Every text of the engine, the plug-in and the
// accounting is a cp1251 byte string; UTF-8 appears only at the edges
// (the filesystem, the terminal, the GUI).
#pragma once

#include <string>
#include <string_view>

namespace krav {

// UTF-8 to cp1251; a character that cp1251 lacks, or a malformed sequence,
// becomes "?".
std::string Utf8ToCp1251(std::string_view utf8);

// The first character of a UTF-8 text that cp1251 cannot hold (or the first
// malformed byte), as UTF-8; empty when the whole text converts both ways.
std::string FirstCharOutsideCp1251(std::string_view utf8);

// cp1251 to UTF-8; every byte has a character.
std::string Cp1251ToUtf8(std::string_view cp1251);
// The same appended to out.
void AppendCp1251AsUtf8(std::string& out, std::string_view cp1251);

// A Russian literal of the UTF-8 source as a cp1251 text.
inline std::string Ru(std::string_view utf8) { return Utf8ToCp1251(utf8); }

// Latin a-z and Cyrillic а-я (224-255) to upper case (192-223) and back;
// every other byte, Ё and ё included, unchanged.
char Cp1251Upper(char c);
char Cp1251Lower(char c);

}  // namespace krav
