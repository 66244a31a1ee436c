// The run's log: a text file that a person reads after a run that no one
// watched. Each line reaches the file as it is logged (one WriteFile, no
// buffer kept), so a failure, or a run ended from outside, leaves every line
// before it. ANSI text, each line ended by CR LF, the code page's bytes as
// they are.
#pragma once
#include <windows.h>

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace platform {

// Makes the file at path new (CREATE_NEW and the name's own entry: a file,
// folder or link under that name fails the create, nothing there is opened
// or followed) with that security (nullptr: the folder's), and makes it the
// run's log until the program ends. Raises EInOutError with the system's code
// when it cannot be made; there is no log then.
void OpenRunLog(const std::string& path, SECURITY_ATTRIBUTES* security);

// The log at its default place, where no other user can have put anything:
// a folder made new, with that security, in the account's own temporary
// folder, "Quenlar Uninstall YYYY-MM-DD #NNN" with the first number from 001
// whose name is free (a name that is taken, by a folder, file or link, is
// passed over, never entered), and in it the file "Uninstall.log". Returns
// the file's path. Raises EInOutError when no folder can be made.
std::string OpenDefaultRunLog(SECURITY_ATTRIBUTES* security);

// Closes the run's log; the program's end closes it too.
void CloseRunLog() noexcept;

// True while the run has a log.
bool RunLogOpen() noexcept;

// Writes one line to the log, the parts one after the other, then CR LF;
// nothing without a log. Takes no memory and never raises: a line that
// cannot be written is passed over.
void LogLine(std::initializer_list<std::string_view> parts) noexcept;

// Each line of text (ended by LF, a CR before it dropped) as a line of the log.
void LogText(std::string_view text) noexcept;

// A number as decimal text in room of its own, for a part of a line.
class DecimalText {
 public:
  explicit DecimalText(long number) noexcept;
  std::string_view View() const noexcept { return {digits_ + start_, sizeof digits_ - start_}; }

 private:
  char digits_[24] = {};
  std::size_t start_ = sizeof digits_;
};

// The local time now, as "YYYY-MM-DD" and "hh:mm:ss", in room of its own.
class LocalTimeText {
 public:
  LocalTimeText() noexcept;
  std::string_view Date() const noexcept { return {text_, 10}; }
  std::string_view Time() const noexcept { return {text_ + 11, 8}; }

 private:
  char text_[20] = "0000-00-00 00:00:00";
};

}  // namespace platform
