// Finding, reading and answering the message boxes of a process: how the
// main job runs the uninstaller and records every box that it showed.
#pragma once
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace report {

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

// What a run of a program did: whether it started (else the system's error
// code), its exit code, and the boxes it showed in their order.
struct RecordedRun {
  bool started = false;
  DWORD startError = 0;
  DWORD exitCode = 0xFFFFFFFF;  // 0xDEAD when it was ended at the time limit or at a window
  std::vector<SeenBox> boxes;
  // Unattended: the window that waited for a person ("title: text"), at
  // which the run was ended; empty when none did.
  std::string waitedFor;
};

// How the boxes of a run are answered: with the button mapped to the box's
// caption (IDOK when the caption is not mapped); by a person, each box read
// once; or unattended, as an installer runs unattended: a box that offers OK
// alone is a message, answered with OK, while any other window of any
// process but this one (a box with a choice, a page) waits for a person and
// ends the run.
enum class Answering { Mapped, ByHand, Unattended };

// Starts commandLine and waits for the process to end, answering its boxes
// as answering says. A process still running after timeoutMs is ended.
RecordedRun RunRecordingBoxes(const std::string& commandLine, const std::map<std::string, int>& answers,
                              Answering answering, DWORD timeoutMs);

// Starts commandLine, answers each message box it shows with the button
// mapped to the box's caption (IDOK when the caption is not mapped), and
// waits for the process to end. Returns the boxes in the order shown.
std::vector<SeenBox> RunAndAnswer(const std::string& commandLine,
                                  const std::map<std::string, int>& answers, DWORD* exitCode,
                                  DWORD timeoutMs = 60000);

// Reads and answers the box that the process shows now, if any, appending it
// to boxes: with the button mapped to its caption, else IDOK.
void AnswerBoxOf(DWORD processId, const std::map<std::string, int>& answers, std::vector<SeenBox>& boxes);

// The visible message box of the process (with that caption, any when null),
// or null.
HWND FindMessageBox(DWORD processId, const char* caption = nullptr);

// What the box shows, and the process's other windows meanwhile.
SeenBox ReadMessageBox(HWND box);

// Presses the button and waits until the box has gone, so that the same box
// is not read twice.
void PressAndWaitGone(HWND box, int button);

}  // namespace report
