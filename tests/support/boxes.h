// Finding and answering the message boxes of this or another process.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace testing_support {

struct OtherWindow {
  std::string title;
  bool enabled;
};

struct SeenBox {
  std::string caption;
  std::string text;        // the static control 0xFFFF
  std::vector<int> buttons;  // ids of the push buttons it offers
  // What its icon control shows (null: no icon). Windows gives the control id
  // 20, Wine 1088: it is found by its SS_ICON style.
  HICON icon = nullptr;
  // The process's other visible top-level windows while it was up.
  std::vector<OtherWindow> otherWindows;
};

// Starts commandLine, answers each message box it shows with the button
// mapped to the box's caption (IDOK when the caption is not mapped), and
// waits for the process to end. Returns the boxes in the order shown.
std::vector<SeenBox> RunAndAnswer(const std::string& commandLine,
                                  const std::map<std::string, int>& answers, DWORD* exitCode,
                                  DWORD timeoutMs = 60000);

// Reads and answers the box that the process shows now, if any, appending it
// to boxes: with the button mapped to its caption, else IDOK.
void AnswerBoxOf(DWORD processId, const std::map<std::string, int>& answers, std::vector<SeenBox>& boxes);

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
