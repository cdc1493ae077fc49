// Moving the selection of one pane into the other pane's folder: upload
// from the local pane (4098), download from the server pane (4099).
#ifndef VORTO_PANES_PANETRANSFER_WIN_H
#define VORTO_PANES_PANETRANSFER_WIN_H

class CFrame;

// Queues a transfer job for the selected entries of `from` into the other
// pane's current folder. Does nothing without a connection or a selection.
void TransferSelection(const CFrame& from, bool upload);

#endif
