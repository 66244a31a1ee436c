#include "platform/ansi_text.h"

namespace platform {

std::size_t AfterLastOf(std::string_view text, std::string_view characters, LeadByteTest isLeadByte) {
  std::size_t after = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
      ++i;  // the second byte belongs to the character
      continue;
    }
    if (characters.find(text[i]) != std::string_view::npos) after = i + 1;
  }
  return after;
}

bool EndsWithCharacter(std::string_view text, char c, LeadByteTest isLeadByte) {
  return !text.empty() && AfterLastOf(text, std::string_view(&c, 1), isLeadByte) == text.size();
}

}  // namespace platform
