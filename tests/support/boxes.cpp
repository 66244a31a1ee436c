#include "tests/support/boxes.h"

namespace testing_support {

BoxAnswerer::BoxAnswerer(std::string caption, int button)
    : caption_(std::move(caption)), button_(button) {
  thread_ = CreateThread(nullptr, 0, &BoxAnswerer::Watch, this, 0, nullptr);
}

BoxAnswerer::~BoxAnswerer() { Seen(); }

SeenBox BoxAnswerer::Seen() {
  if (thread_) {
    WaitForSingleObject(thread_, INFINITE);
    CloseHandle(thread_);
    thread_ = nullptr;
  }
  return seen_;
}

DWORD WINAPI BoxAnswerer::Watch(void* param) {
  BoxAnswerer* self = static_cast<BoxAnswerer*>(param);
  for (int i = 0; i < 1000; ++i) {
    // Only this process's boxes: other test programs may show theirs meanwhile.
    if (HWND box = report::FindMessageBox(GetCurrentProcessId(), self->caption_.c_str())) {
      self->seen_ = report::ReadMessageBox(box);
      report::PressAndWaitGone(box, self->button_);
      return 0;
    }
    Sleep(10);
  }
  return 0;
}

}  // namespace testing_support
