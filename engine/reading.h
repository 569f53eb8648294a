// The result of reading a typed or stored value: the value, or why the text
// is not one. Every reader of the kernel of values returns one; nothing falls
// back to a default (today, zero) behind its caller's back.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace krav {

template <class T>
struct [[nodiscard]] Reading {
  std::optional<T> value;
  std::string why;  // empty when the value was read

  static Reading Of(T v) { return Reading{std::move(v), {}}; }
  static Reading Not(std::string reason) { return Reading{std::nullopt, std::move(reason)}; }
  explicit operator bool() const { return value.has_value(); }
  const T& operator*() const { return *value; }
  const T* operator->() const { return &*value; }
};

}  // namespace krav
