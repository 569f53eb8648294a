// Speech without a voice of the toolkit: the espeak-ng program.
#pragma once

#include <string>
#include <vector>

namespace krav::host {

// The command that speaks a UTF-8 text in Russian. The text is the last
// argument, after "--", so that no text ever becomes an option of espeak-ng
// (a reminder "--phonout=FILE" would otherwise overwrite FILE).
std::vector<std::string> EspeakCommand(const std::string& utf8Text);

}  // namespace krav::host
