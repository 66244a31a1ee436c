// How a text becomes lines and lines become a text.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// Where a line lies in its text: its first byte and its length, without the
// line break.
struct LineSpan {
  std::size_t Offset;
  std::size_t Length;
};

// Appends to spans where each line of text lies, split as SplitLines splits;
// gives the number of bytes before the first NUL (the whole size when there
// is none).
std::size_t FindLines(const char* text, std::size_t size, std::vector<LineSpan>& spans);

// Where line index of a text of length bytes (no NUL in it) begins, as
// FindLines splits it: length when the text has index lines or fewer, so
// that the text from there holds exactly the lines from index on. Walks the
// text; allocates nothing.
std::size_t LineStart(const char* text, std::size_t length, std::size_t index) noexcept;

// Splits at CR LF, a lone CR or a lone LF; a final line break adds no empty
// line, and the first NUL ends the text. When consumed is given, it receives
// the number of bytes before that NUL (the whole size when there is none).
std::vector<std::string> SplitLines(const char* text, std::size_t size, std::size_t* consumed = nullptr);

// Cuts registry data read into text to the size read and then before its
// first NUL, if any: the text of a string value without its terminator.
void CutAtDataEnd(std::string& text, std::size_t size);

// Every line followed by CR LF, built in one piece.
std::string JoinLines(const std::vector<std::string>& lines);

// Byte-wise comparison folding only a-z to A-Z; the shorter text is less when
// all compared bytes are equal. Returns <0, 0 or >0.
int CaselessCompareAscii(const std::string& a, const std::string& b);

}  // namespace platform
