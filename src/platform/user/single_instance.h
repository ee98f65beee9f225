#pragma once
// One running reader per profile. The running process listens on a socket of its user (see
// instance_socket.h) named from the registry file's path; a second start finds the running
// reader's main window through it and forwards the few requests a second start makes: is the
// main window there, which of its windows is in front, bring it to the front, open the table of
// contents. Each is a request by name; nothing the other side sends becomes a message number
// or parameter.
#include <string>

#include "platform/win32_types.h"

// The command a second start sends the running reader's main window when it is in front (the
// table of contents); the one message that crosses the channel.
constexpr WPARAM kOtherStartCommand = 119;

// Starts listening for the given profile (the registry file path). Returns false when another
// process of this user already listens for it: this start is then the second one. When the
// channel cannot be made (or another user holds its name), says so on standard error and
// returns true: the reader runs, and other starts do not find it.
bool ListenForOtherStarts(const std::string& profilePath);
void StopListening();
// The file descriptor the hosts watch for requests (-1 when not listening), and the call that
// serves the pending ones. Serving never waits: a peer that has not sent its whole request yet
// is kept until it has, or until its short time runs out, and then closed without an answer.
int SingleInstanceFd();
void ServeOtherStarts();
// Sets the profile that lookups from this process go to.
void SetInstanceProfile(const std::string& profilePath);

// Stand-ins for the running reader's windows, used by the window calls.
HWND FindRemoteWindow(LPCWSTR className, LPCWSTR title);
HWND RemoteForegroundWindow();
bool IsRemoteWindow(HWND hwnd);
HWND RemoteParent(HWND hwnd);
BOOL RemoteSetForeground(HWND hwnd);
// Only WM_COMMAND with kOtherStartCommand and 0 reaches the running reader; anything else
// returns 0 and sends nothing.
LRESULT RemoteSendMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
