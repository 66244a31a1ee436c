// Non-allocating text formatting for the system's message templates.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// One argument of a template: %s takes text, %d a signed number, %p a code
// location written as exactly 8 upper-case hexadecimal digits.
struct FormatArg {
  const char* text = nullptr;
  long number = 0;
  std::uint32_t location = 0;
  static FormatArg Text(const char* t) { FormatArg a; a.text = t; return a; }
  static FormatArg Number(long n) { FormatArg a; a.number = n; return a; }
  static FormatArg Location(std::uint32_t l) { FormatArg a; a.location = l; return a; }
};

// Fills out (capacity bytes, NUL included) from the template, taking the
// arguments in order for %s, %d and %p; "%%" gives "%". Text beyond the
// capacity is cut off. A placeholder without argument is left out. Returns the
// length written. Never allocates.
std::size_t FormatInto(char* out, std::size_t capacity, const char* pattern,
                       const FormatArg* args, std::size_t argCount);

// The same into a text of at most 4,096 characters.
std::string FormatText(const std::string& pattern, const FormatArg* args, std::size_t argCount);
std::string FormatText(const std::string& pattern, const std::string& text);
std::string FormatText(const std::string& pattern, long number);

}  // namespace platform
