// Drives the panes of a running vorto.exe from a test: reads the list
// view's item texts and selects items through memory in the program's
// process (list view messages carry pointers), edits labels, and answers
// the program's modal boxes.
#ifndef VORTO_TESTS_PANE_DRIVER_WIN_H
#define VORTO_TESTS_PANE_DRIVER_WIN_H

#include <windows.h>

#include <string>
#include <vector>

#include "support/program_driver_win.h"

HWND PaneList(HWND pane);
// Item labels in display order.
std::vector<std::string> PaneItems(const RunningProgram& program, HWND pane);
// The first column of any list view of the program, in display order.
std::vector<std::string> ListViewTexts(const RunningProgram& program, HWND list);
bool PaneHasItem(const RunningProgram& program, HWND pane, const std::string& name);
// Selects only the item labelled `name`; false when there is none.
bool SelectPaneItem(const RunningProgram& program, HWND pane, const std::string& name);
// Waits for the label editor, types `text` and presses Enter; with
// `waitForEnd`, waits until the editor is gone too (a refusal keeps it
// open behind its message box).
bool TypeIntoLabelEdit(HWND pane, const std::string& text, bool waitForEnd = true, DWORD timeoutMs = 5000);
// A modal window of the program (not the progress window) with `caption`
// (any when empty) that has a button `buttonId`.
HWND FindProgramDialog(const RunningProgram& program, const char* caption, int buttonId, DWORD timeoutMs = 5000);
// Presses `buttonId` in such a dialog; false when none appeared.
bool AnswerDialog(const RunningProgram& program, const char* caption, int buttonId, DWORD timeoutMs = 5000);

#endif
