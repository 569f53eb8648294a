#include "host/speech.h"

namespace krav::host {

std::vector<std::string> EspeakCommand(const std::string& utf8Text) {
  return {"espeak-ng", "-v", "ru", "--", utf8Text};
}

}  // namespace krav::host
