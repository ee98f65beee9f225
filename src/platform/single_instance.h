#pragma once
// One running reader per profile. The running process listens on a per-user socket whose name
// is derived from the registry file's path; a second start finds the running reader's main
// window through it and forwards its requests (is it in front, send it a command, bring it to
// the front) to that process, which answers them with its own windows.
#include <string>

#include "platform/win32_types.h"

// Starts listening for the given profile (the registry file path). Returns false when another
// process already listens, or when the socket cannot be made.
bool ListenForOtherStarts(const std::string& profilePath);
void StopListening();
// The file descriptor the hosts watch for requests (-1 when not listening), and the call that
// serves the pending ones.
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
LRESULT RemoteSendMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
