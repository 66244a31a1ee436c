// Finding and answering the message boxes of this or another process.
#pragma once
#include "report/answered_boxes.h"

namespace testing_support {

using report::AnswerBoxOf;
using report::OtherWindow;
using report::RunAndAnswer;
using report::SeenBox;

// Answers the next box with that caption shown by this process, from a thread
// of its own, while the test calls the code that shows it.
class BoxAnswerer {
 public:
  BoxAnswerer(std::string caption, int button);
  ~BoxAnswerer();
  BoxAnswerer(const BoxAnswerer&) = delete;
  BoxAnswerer& operator=(const BoxAnswerer&) = delete;
  // Waits for the thread; the box as it was seen (empty caption if none came).
  SeenBox Seen();

 private:
  static DWORD WINAPI Watch(void* param);
  std::string caption_;
  int button_;
  SeenBox seen_;
  HANDLE thread_ = nullptr;
};

}  // namespace testing_support
