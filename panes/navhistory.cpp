#include "panes/navhistory.h"

namespace {
void Append(std::deque<std::string>& list, const std::string& directory) {
  while (list.size() >= kMaxHistory) list.pop_front();
  list.push_back(directory);
}

bool Take(std::deque<std::string>& list, std::string& directory) {
  if (list.empty()) return false;
  directory = list.back();
  list.pop_back();
  return true;
}
}  // namespace

void RememberDirectory(NavHistory& history, const std::string& previous) {
  if (!previous.empty()) {
    if (history.navigatingBack) {
      Append(history.forward, previous);
    } else {
      if (!history.navigatingForward) history.forward.clear();
      Append(history.back, previous);
    }
  }
  CancelMove(history);
}

bool TakeBack(NavHistory& history, std::string& directory) {
  if (!Take(history.back, directory)) return false;
  history.navigatingBack = true;
  history.navigatingForward = false;
  return true;
}

bool TakeForward(NavHistory& history, std::string& directory) {
  if (!Take(history.forward, directory)) return false;
  history.navigatingForward = true;
  history.navigatingBack = false;
  return true;
}

void CancelMove(NavHistory& history) { history.navigatingBack = history.navigatingForward = false; }
