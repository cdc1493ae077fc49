// Permission changes of the server pane's properties page: nine tri-state
// boxes (owner, group, others; read, write, execute) applied to an
// entry's permission string ("drwxr-xr-x") give the octal mode to send.
#ifndef VORTO_PANES_PERMBITS_H
#define VORTO_PANES_PERMBITS_H

#include <string>
#include <string_view>

constexpr int kBoxOff = 0;
constexpr int kBoxOn = 1;
constexpr int kBoxLeave = 2;

// The octal mode after applying `boxes` (owner read first) to
// `permissions`, or empty when nothing changes. When a box is left
// unchanged the entry's own bit is needed, so an entry without a readable
// permission string gets no mode (empty) unless every box is set. The
// set-id and sticky bits the string shows are kept.
std::string ModeAfterBoxes(std::string_view permissions, const int (&boxes)[9]);

#endif
