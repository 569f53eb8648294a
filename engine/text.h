// Text helpers over cp1251 byte strings: positional fields, numbers in the
// fixed forms of the record files, case of Latin and Cyrillic letters.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace krav {

// The control characters that carry structure inside a line.
constexpr char kSep1 = '\x01';  // groups of a schedule; description from amount
constexpr char kSep2 = '\x02';  // sub-fields
constexpr char kSep3 = '\x03';  // fields of a record or journal line
constexpr char kSep4 = '\x04';  // parts of an occurrence, trash or extended line

// The n-th field (from 1) between separators; empty when missing or n < 1.
std::string_view FieldView(std::string_view text, char sep, int n);
std::string GetField(std::string_view text, char sep, int n);
// The text with field n replaced, separators appended when it has fewer.
std::string SetField(std::string_view text, char sep, int n, std::string_view value);
// The pieces between separators, empty ones included; an empty text gives none.
void SplitByChar(std::string_view text, std::vector<std::string>& list, char sep);

std::string RemoveChars(std::string_view text, std::string_view set);
// True when pattern occurs in text, letter case significant.
bool ContainsText(std::string_view pattern, std::string_view text);
// The last len(pad) characters of pad + text.
std::string PadLeft(std::string_view text, std::string_view pad);
// The parts joined by one separator: "a", "b" and #3 give "a" #3 "b".
std::string JoinFields(std::initializer_list<std::string_view> parts, char sep);
// Integer digits grouped by threes with sep: 1234.50 gives "1 234.50".
std::string GroupThousands(std::string_view number, std::string_view sep);

char UpperChar(char c);
char LowerChar(char c);
std::string LowerText(std::string_view text);

// True when the text is one or more decimal digits and nothing else.
bool IsDigitText(std::string_view text);
// Leading blanks, an optional sign, decimal digits ("$" or "0x" for hex); stops
// at the first other character. The minus applies only when the whole text
// is a number; the value saturates at the limits of int.
int TextToInt(std::string_view text);
std::string NumberToText(long long n);
// Exactly that many decimals and a point; no grouping.
std::string RealToFixed(double value, int decimals);

// Russian count words: (n, "день", "дня", "дней") picks by the last digit,
// 11 to 19 always the third; withNumber prefixes n and a blank.
std::string PluralForm(long long n, std::string_view one, std::string_view few, std::string_view many,
                       bool withNumber);

// A colour 0x00BBGGRR shaded towards white (percent <= 0) or black (> 0).
unsigned ShadeColor(unsigned color, int percent);

}  // namespace krav
