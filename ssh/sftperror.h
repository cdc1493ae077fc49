// The SSH layer's last error: a static text set where an SFTP operation
// fails, read by the engine's error report. One process-wide slot; the
// engine lets only one worker use the SSH layer at a time.
#ifndef VORTO_SSH_SFTPERROR_H
#define VORTO_SSH_SFTPERROR_H

// `text` must be a string with static storage (a literal).
void SftpSetLastError(const char* text);
// The last error text, or null when none was set since the last clear.
const char* SftpGetLastError();
void SftpClearLastError();

#endif
