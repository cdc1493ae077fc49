// The program-wide choices the user toggles from menus, the filter box and
// the settings, read by the panes and the engine: transfer mode, browsing
// in step, which entries the panes hide, the file name filter, whether the
// progress window shows by itself. Read and changed on the user-interface
// thread; job threads read them when a job starts.
#ifndef VORTO_BASE_USEROPTIONS_H
#define VORTO_BASE_USEROPTIONS_H

struct UserOptions {
  int transferMode = 0;  // 0 automatic, 1 text, 2 binary
  bool syncBrowsing = false;
  bool hideSystemLocal = false;
  bool hideHiddenLocal = false;
  bool hideHiddenServer = false;
  bool autoShowProgress = true;
  char paneFilter[260] = {};  // file name mask of the filter box; empty shows all
};

UserOptions& Options();

#endif
