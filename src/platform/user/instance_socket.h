#pragma once
// Where the running reader of a profile listens for other starts, and the check that keeps the
// channel to the user's own processes.
//
// The socket is a file in a directory of the user's runtime directory ($XDG_RUNTIME_DIR/orvanel,
// mode 0700), so no other user can even connect to it, nor take its place first. Without a
// usable runtime directory (containers, CI, su without a session) it is an abstract socket name,
// which any local process can reach: there the credential check on both ends is what keeps
// others out.
#include <sys/socket.h>
#include <sys/un.h>

#include <string>

struct InstanceSocket {
    sockaddr_un address{};
    socklen_t length = 0;
    std::string file;      // the socket file; empty for an abstract name
    std::string lockFile;  // held by the running reader while it listens on `file`
};

// The socket for the profile (the registry file's path). Makes the private directory when it is
// missing; falls back to the abstract name when the directory cannot be made this user's own.
InstanceSocket InstanceSocketFor(const std::string& profilePath);

// True when the process at the other end of a connected Unix socket runs with this process's
// effective user id.
bool PeerIsThisUser(int fd);
