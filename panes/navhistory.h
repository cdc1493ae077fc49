// Back and forward history of a pane: the directories it showed before.
// Each list keeps at most 256 entries; the oldest goes first.
#ifndef VORTO_PANES_NAVHISTORY_H
#define VORTO_PANES_NAVHISTORY_H

#include <cstddef>
#include <deque>
#include <string>

constexpr size_t kMaxHistory = 256;

struct NavHistory {
  std::deque<std::string> back;
  std::deque<std::string> forward;
  bool navigatingBack = false;
  bool navigatingForward = false;
};

// A listing showed a directory other than `previous`: remember `previous`
// on the list the move came from and end the move. A move back puts it on
// the forward list; any other move puts it on the back list, and a move
// that is not a forward step also forgets the forward list.
void RememberDirectory(NavHistory& history, const std::string& previous);

// Takes the newest entry to go back (or forward) to and marks the move.
// False when the list is empty.
bool TakeBack(NavHistory& history, std::string& directory);
bool TakeForward(NavHistory& history, std::string& directory);

// A move that did not happen (its change of directory failed) is no
// longer under way.
void CancelMove(NavHistory& history);

#endif
