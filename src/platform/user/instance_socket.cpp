#include "platform/user/instance_socket.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// One channel per profile: the registry file's real path, hashed (FNV-1a), so that two spellings
// of one file meet and the name stays short.
uint64_t ProfileHash(const std::string& profile) {
    char resolved[PATH_MAX];
    std::string key = realpath(profile.c_str(), resolved) ? resolved : profile;
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : key) h = (h ^ c) * 1099511628211ull;
    return h;
}

// A directory of this user that nobody else may enter or write: the session's runtime
// directory is made so. Returns "" when the variable is unset or does not name one.
std::string RuntimeDirectory() {
    const char* dir = std::getenv("XDG_RUNTIME_DIR");
    if (!dir || dir[0] != '/') return {};
    struct stat st;
    if (stat(dir, &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid() ||
        (st.st_mode & 077) != 0)
        return {};
    return dir;
}

// Makes `dir` (inside a private parent) when missing. It must end up a real directory of this
// user with no access for others; a link or another owner's directory is refused.
bool PrivateDirectory(const std::string& dir) {
    if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    struct stat st;
    if (lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != geteuid())
        return false;
    return (st.st_mode & 077) == 0 || chmod(dir.c_str(), 0700) == 0;
}

InstanceSocket AbstractSocket(uint64_t hash) {
    InstanceSocket s;
    std::string name = "orvanel-" + std::to_string(geteuid()) + "-" + std::to_string(hash);
    s.address.sun_family = AF_UNIX;
    s.address.sun_path[0] = 0;  // abstract: no file, gone with the process
    std::memcpy(s.address.sun_path + 1, name.data(), name.size());
    s.length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + name.size());
    return s;
}

}  // namespace

InstanceSocket InstanceSocketFor(const std::string& profilePath) {
    uint64_t hash = ProfileHash(profilePath);
    std::string runtime = RuntimeDirectory();
    if (runtime.empty()) return AbstractSocket(hash);
    std::string dir = runtime + "/orvanel";
    char name[32];
    std::snprintf(name, sizeof name, "/%016llx", static_cast<unsigned long long>(hash));
    std::string file = dir + name + ".socket";
    if (file.size() >= sizeof(sockaddr_un::sun_path) || !PrivateDirectory(dir))
        return AbstractSocket(hash);
    InstanceSocket s;
    s.file = file;
    s.lockFile = dir + name + ".lock";
    s.address.sun_family = AF_UNIX;
    std::memcpy(s.address.sun_path, file.c_str(), file.size() + 1);
    s.length = socklen_t(offsetof(sockaddr_un, sun_path) + file.size() + 1);
    return s;
}

bool PeerIsThisUser(int fd) {
    ucred cred{};
    socklen_t len = sizeof cred;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0 || len != sizeof cred)
        return false;
    return cred.uid == geteuid();
}
