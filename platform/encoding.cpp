#include "platform/encoding.h"

#include <array>
#include <cstdint>

namespace krav {
namespace {

// Unicode code points of the bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
constexpr std::array<char16_t, 64> kHigh = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

char32_t ByteToCodePoint(unsigned char b) {
  if (b < 0x80) return b;
  if (b >= 0xC0) return 0x0410 + (b - 0xC0);
  return kHigh[b - 0x80];
}

char CodePointToByte(char32_t cp) {
  if (cp < 0x80) return static_cast<char>(cp);
  if (cp >= 0x0410 && cp <= 0x044F) return static_cast<char>(0xC0 + (cp - 0x0410));
  for (std::size_t i = 0; i < kHigh.size(); ++i)
    if (kHigh[i] == cp) return static_cast<char>(0x80 + i);
  return '?';
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string Utf8ToCp1251(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      out += static_cast<char>(b);
      ++i;
      continue;
    }
    int extra = (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0) {
      out += '?';
      ++i;
      continue;
    }
    char32_t cp = b & (0x3F >> extra);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      if (i + k >= s.size()) {
        ok = false;
        break;
      }
      const auto c = static_cast<unsigned char>(s[i + k]);
      if ((c & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      cp = (cp << 6) | (c & 0x3F);
    }
    if (!ok) {
      out += '?';
      ++i;
      continue;
    }
    out += CodePointToByte(cp);
    i += extra + 1;
  }
  return out;
}

std::string Cp1251ToUtf8(std::string_view s) {
  std::string out;
  AppendCp1251AsUtf8(out, s);
  return out;
}

void AppendCp1251AsUtf8(std::string& out, std::string_view s) {
  // Each byte's UTF-8 form, worked out once: at most three bytes, the count in [3].
  static const auto kForms = [] {
    std::array<std::array<char, 4>, 256> forms{};
    for (int b = 0; b < 256; ++b) {
      std::string one;
      AppendUtf8(one, ByteToCodePoint(static_cast<unsigned char>(b)));
      for (std::size_t i = 0; i < one.size(); ++i) forms[b][i] = one[i];
      forms[b][3] = static_cast<char>(one.size());
    }
    return forms;
  }();
  const std::size_t start = out.size();
  out.resize(start + s.size() * 3);
  char* p = out.data() + start;
  for (const char c : s) {
    const auto& form = kForms[static_cast<unsigned char>(c)];
    p[0] = form[0];
    p[1] = form[1];
    p[2] = form[2];
    p += form[3];
  }
  out.resize(static_cast<std::size_t>(p - out.data()));
}

char Cp1251Upper(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 'a' && b <= 'z') return static_cast<char>(b - 32);
  if (b >= 224) return static_cast<char>(b - 32);
  return c;
}

char Cp1251Lower(char c) {
  const auto b = static_cast<unsigned char>(c);
  if (b >= 'A' && b <= 'Z') return static_cast<char>(b + 32);
  if (b >= 192 && b <= 223) return static_cast<char>(b + 32);
  return c;
}

std::string FirstCharOutsideCp1251(std::string_view utf8) {
  const std::string back = Cp1251ToUtf8(Utf8ToCp1251(utf8));
  std::size_t i = 0;
  while (i < utf8.size() && i < back.size() && utf8[i] == back[i]) ++i;
  if (i == utf8.size() && i == back.size()) return {};
  // Back to the first byte of the character, then the character whole.
  while (i > 0 && (static_cast<unsigned char>(utf8[i]) & 0xC0) == 0x80) --i;
  std::size_t end = i + 1;
  while (end < utf8.size() && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) ++end;
  return std::string(utf8.substr(i, end - i));
}

}  // namespace krav
