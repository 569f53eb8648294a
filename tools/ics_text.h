// The text of a calendar before libical reads it: the size limits, the
// unfolding of content lines, and a strict reading of every RRULE (libical
// drops a rule it cannot read and wraps large numbers, so an event would
// come back as something else).
#pragma once

#include <cstddef>
#include <string>

namespace krav::ics {

// Limits checked before parsing, so that no calendar holds the program for
// long: the whole file, one unfolded content line, and the parameters of one
// property.
constexpr std::size_t kMaxCalendarBytes = 32u << 20;
constexpr std::size_t kMaxContentLineBytes = 64u << 10;
constexpr std::size_t kMaxParameters = 32;

// The name of the property an invalid RRULE is replaced with; its value says
// why the rule was refused. The event carrying it is skipped.
inline constexpr const char* kRefusedRuleProperty = "X-KRAV-REFUSED-RRULE";

// Checks the limits and rewrites the calendar unfolded, one content line a
// line (CRLF), with each invalid RRULE replaced by kRefusedRuleProperty.
// False, with `error`, when a limit is passed.
bool PrepareCalendarText(const std::string& text, std::string& prepared, std::string& error);

// Why an RRULE value is not a valid rule of RFC 5545 as this program reads
// it, or empty when it is.
std::string RuleProblem(const std::string& value);

}  // namespace krav::ics
