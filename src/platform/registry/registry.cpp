#include "platform/registry/registry.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <thread>

#include "platform/registry/registry_file.h"
#include "platform/unicode.h"
#include "platform/win32_constants.h"

struct RegistryKey {
    std::u16string path;  // full path with the root
    bool root = false;
};

namespace {

constexpr char16_t kRootName[] = u"HKEY_CURRENT_USER";
// Larger files are not read at all: they are kept aside as corrupt.
constexpr off_t kMaxFileBytes = 16 << 20;
// A chain of symbolic links longer than this is taken as a loop.
constexpr int kMaxLinks = 40;

RegistryKey gRoot{kRootName, true};

// One change made by this process, applied again to the file as another process left it.
struct Change {
    std::u16string path;
    RegValue value;     // its name; its type and data unless the value is removed
    bool keyOnly = false;
    bool remove = false;
};

enum class FileAccess { Writable, ReadOnly, Unreadable };

struct Store {
    std::string path;
    bool loaded = false;
    RegDocument doc;
    FileAccess access = FileAccess::Writable;
    std::string why;        // why the file is left alone
    bool told = false;      // the user was told so
    // The file as read or last written, and the same as this process writes it: a file that
    // still holds `seenRaw` holds nothing this process does not know.
    std::string seenRaw;
    std::string seenText;
    std::vector<Change> changes;
    RegNameIndex changeIndex;  // folded path and name -> place in changes
    int lockTimeoutMs = 2000;
    // After a write gave up waiting for another process's lock, the next ones wait only briefly,
    // so that a shutdown with a dozen writes does not stall for a dozen timeouts.
    bool lockWasBusy = false;
};

Store& store() {
    static Store s;
    return s;
}

std::string Folder(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path names once the symbolic links of its last part are followed, so that the
// target, not the link, is replaced. A loop or an unreadable link leaves the last name reached.
std::string FollowLinks(const std::string& path) {
    std::string at = path;
    for (int i = 0; i < kMaxLinks; ++i) {
        struct stat st;
        if (lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return at;
        std::vector<char> target(size_t(st.st_size > 0 ? st.st_size : 255) + 1);
        ssize_t n = readlink(at.c_str(), target.data(), target.size());
        if (n <= 0 || size_t(n) >= target.size()) return at;
        std::string next(target.data(), size_t(n));
        at = next[0] == '/' ? next : Folder(at) + "/" + next;
    }
    return at;
}

enum class ReadResult { Missing, Ok, Corrupt, Unreadable };

// Reads the file whole. Nothing here can block: a FIFO or a device is opened without waiting
// and refused as not a regular file.
ReadResult ReadFile(const std::string& path, std::string& text, mode_t* mode, bool* readOnly,
                    std::string* why) {
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return ReadResult::Missing;
        *why = std::strerror(errno);
        return ReadResult::Unreadable;
    }
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        *why = "it is not a regular file";
        return ReadResult::Unreadable;
    }
    *mode = st.st_mode & 07777;
    // The owner's write permission off means "leave it alone", whoever runs the program.
    *readOnly = !(st.st_mode & S_IWUSR) || access(path.c_str(), W_OK) != 0;
    if (st.st_size > kMaxFileBytes) {
        close(fd);
        return ReadResult::Corrupt;
    }
    text.clear();
    text.reserve(size_t(st.st_size));
    char buf[65536];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0) {
        text.append(buf, size_t(n));
        if (text.size() > size_t(kMaxFileBytes)) break;
    }
    int error = errno;
    close(fd);
    if (n < 0) {
        *why = std::strerror(error);
        return ReadResult::Unreadable;
    }
    if (text.size() > size_t(kMaxFileBytes)) return ReadResult::Corrupt;
    return ReadResult::Ok;
}

// Keeps a corrupt file under a new name beside it, so nothing in it is lost.
void SetAside(const std::string& path) {
    char stamp[32];
    std::time_t now = std::time(nullptr);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
    for (int i = 0; i < 100; ++i) {
        std::string target = path;
        target.append(".corrupt-").append(stamp);
        if (i) target.append("-").append(std::to_string(i));
        if (access(target.c_str(), F_OK) == 0) continue;
        if (rename(path.c_str(), target.c_str()) == 0)
            std::fprintf(stderr, "orvanel: the registry file %s could not be read whole; it was "
                                 "kept as %s\n", path.c_str(), target.c_str());
        return;
    }
}

bool MakeParentDirs(const std::string& path) {
    for (size_t i = 1; i < path.size(); ++i) {
        if (path[i] != '/') continue;
        std::string dir = path.substr(0, i);
        if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

// Whether the file's folder exists (made now when it did not) and takes new files.
bool FolderTakesFiles(const std::string& path) {
    if (!MakeParentDirs(path)) return false;
    std::string folder = Folder(path);
    struct stat st;
    return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) &&
           access(folder.c_str(), W_OK | X_OK) == 0;
}

// Opens a file of our own beside the registry: created new, or an existing regular file, and
// never through a symbolic link someone put in its place.
int OpenOwnFile(const std::string& path, int flags) {
    for (int attempt = 0; attempt < 2; ++attempt) {
        int fd = open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0 && errno == ENOENT)
            fd = open(path.c_str(), flags | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC,
                      0600);
        if (fd < 0 && errno == EEXIST) continue;  // made by another process just now
        if (fd < 0) return -1;
        struct stat st;
        if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            close(fd);
            return -1;
        }
        return fd;
    }
    return -1;
}

class FileLock {
public:
    FileLock(const std::string& path, int timeoutMs) {
        fd_ = OpenOwnFile(path + ".lock", O_RDWR);
        if (fd_ < 0) return;
        auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            if (std::chrono::steady_clock::now() >= until) {
                close(fd_);
                fd_ = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        locked_ = true;
    }
    ~FileLock() {
        if (fd_ >= 0) close(fd_);  // closing releases the lock
    }
    bool locked() const { return locked_; }

private:
    int fd_ = -1;
    bool locked_ = false;
};

// Removes the temporary files that runs killed while writing left beside the file: those named
// for a process that no longer exists. Called under the lock, so no live writer's file is taken.
void RemoveStaleTemporaries(const std::string& path) {
    std::string folder = Folder(path);
    size_t slash = path.rfind('/');
    std::string prefix = (slash == std::string::npos ? path : path.substr(slash + 1)) + ".tmp-";
    DIR* d = opendir(folder.c_str());
    if (!d) return;
    while (dirent* e = readdir(d)) {
        std::string name = e->d_name;
        if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
        std::string digits = name.substr(prefix.size());
        if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
            continue;
        pid_t pid = pid_t(std::stol(digits));
        if (pid == getpid() || pid <= 0 || kill(pid, 0) == 0 || errno != ESRCH) continue;
        unlinkat(dirfd(d), name.c_str(), 0);
    }
    closedir(d);
}

bool WriteAtomically(const std::string& path, const std::string& text, mode_t mode) {
    std::string tmp = path + ".tmp-" + std::to_string(getpid());
    int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
    int fd = open(tmp.c_str(), flags, 0600);
    // A file of this name is one this process's number was given before (a run long gone):
    // nobody else writes it while the lock is held.
    if (fd < 0 && errno == EEXIST && unlink(tmp.c_str()) == 0) fd = open(tmp.c_str(), flags, 0600);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) {
            close(fd);
            unlink(tmp.c_str());
            return false;
        }
        done += size_t(n);
    }
    if (fchmod(fd, mode) != 0 || fsync(fd) != 0 || close(fd) != 0 ||
        rename(tmp.c_str(), path.c_str()) != 0) {
        unlink(tmp.c_str());
        return false;
    }
    return true;
}

// Tells once why the file is left alone.
void TellLeftAlone(Store& s) {
    if (s.told) return;
    s.told = true;
    std::fprintf(stderr, "orvanel: the registry file %s %s; it is left as it is, and the "
                         "settings of this run are not saved\n", s.path.c_str(), s.why.c_str());
}

void EnsureLoaded() {
    Store& s = store();
    if (s.loaded) return;
    if (s.path.empty()) s.path = DefaultRegistryFile();
    s.loaded = true;
    std::string target = FollowLinks(s.path);
    std::string text;
    bool readOnly = false;
    mode_t mode = 0;
    ReadResult r = ReadFile(target, text, &mode, &readOnly, &s.why);
    if (r == ReadResult::Unreadable) {
        s.access = FileAccess::Unreadable;
        s.why = "cannot be read (" + s.why + ")";
        TellLeftAlone(s);
        return;
    }
    if (r == ReadResult::Ok) s.doc = ParseRegistryText(text);
    bool kept = r == ReadResult::Ok;
    if (r != ReadResult::Missing && readOnly) {
        s.access = FileAccess::ReadOnly;
        s.why = "is read-only";
    } else if (r == ReadResult::Corrupt || s.doc.corrupt()) {
        SetAside(target);
        kept = false;
    }
    s.doc.badLines = 0;
    s.doc.badHeader = false;
    if (kept) {
        s.seenRaw = std::move(text);
        s.seenText = FormatRegistryText(s.doc);
    }
    // A run killed while it wrote left its temporary file; one that holds the lock now is
    // writing, and its own are left to it.
    if (s.access == FileAccess::Writable && kept) {
        FileLock lock(target, 0);
        if (lock.locked()) RemoveStaleTemporaries(target);
    }
}

std::u16string ChangeName(const std::u16string& path, const std::u16string& name) {
    std::u16string folded = LowerAscii(path);
    folded.push_back(u'\0');
    folded += LowerAscii(name);
    return folded;
}

// Records a change for the next write; a later change of the same value replaces it.
void Journal(Change change) {
    Store& s = store();
    std::u16string name = ChangeName(change.path, change.keyOnly ? u"" : change.value.name);
    if (change.keyOnly) name.push_back(u'\0');  // a key apart from a value of the empty name
    auto it = s.changeIndex.find(name);
    if (it != s.changeIndex.end()) {
        s.changes[it->second] = std::move(change);
        return;
    }
    s.changeIndex.emplace(std::move(name), s.changes.size());
    s.changes.push_back(std::move(change));
}

void Apply(RegDocument& doc, const Change& c) {
    if (c.keyOnly) {
        AddKey(doc, c.path);
    } else if (c.remove) {
        if (RegKey* k = FindKey(doc, c.path)) RemoveValue(*k, c.value.name);
    } else {
        PutValue(AddKey(doc, c.path), c.value);
    }
}

LONG Flush() {
    Store& s = store();
    if (!s.loaded || s.changes.empty()) return ERROR_SUCCESS;
    if (s.access != FileAccess::Writable) {
        TellLeftAlone(s);
        return ERROR_ACCESS_DENIED;
    }
    std::string target = FollowLinks(s.path);
    if (!FolderTakesFiles(target)) return ERROR_ACCESS_DENIED;
    FileLock lock(target, s.lockWasBusy ? std::min(s.lockTimeoutMs, 100) : s.lockTimeoutMs);
    s.lockWasBusy = !lock.locked();
    if (!lock.locked()) return ERROR_ACCESS_DENIED;
    RemoveStaleTemporaries(target);
    // The file as it is now, under the lock: read whole, as timestamps can miss a quick change.
    std::string text, why;
    mode_t mode = 0600;
    bool readOnly = false;
    ReadResult r = ReadFile(target, text, &mode, &readOnly, &why);
    if (r == ReadResult::Unreadable || (r != ReadResult::Missing && readOnly)) {
        s.why = r == ReadResult::Unreadable ? "cannot be read (" + why + ")" : "is read-only";
        s.access = r == ReadResult::Unreadable ? FileAccess::Unreadable : FileAccess::ReadOnly;
        TellLeftAlone(s);
        return ERROR_ACCESS_DENIED;
    }
    bool exists = r != ReadResult::Missing;
    std::string before = s.seenText;
    if (r == ReadResult::Corrupt || (r == ReadResult::Ok && text != s.seenRaw)) {
        // Another process wrote the file since: this process's changes go onto what it left.
        RegDocument fresh;
        if (r == ReadResult::Ok) fresh = ParseRegistryText(text);
        if (r == ReadResult::Corrupt || fresh.corrupt()) {
            SetAside(target);
            exists = false;
            fresh.badLines = 0;
            fresh.badHeader = false;
        }
        before = exists ? FormatRegistryText(fresh) : std::string();
        for (const Change& c : s.changes) Apply(fresh, c);
        s.doc = std::move(fresh);
    }
    // A file that is gone (kept aside, or removed) is written from what this process has.
    // A change that leaves the file as it is (the usual case when the settings are saved at
    // exit) writes nothing: each write is flushed to the disk, which costs more than the rest
    // of a start and exit together.
    std::string after = FormatRegistryText(s.doc);
    if (!exists || after != before) {
        if (!WriteAtomically(target, after, exists ? mode : 0600)) return ERROR_ACCESS_DENIED;
        text = after;
    }
    s.seenRaw = std::move(text);
    s.seenText = std::move(after);
    s.changes.clear();
    s.changeIndex.clear();
    return ERROR_SUCCESS;
}

std::u16string JoinPath(HKEY root, LPCWSTR sub) {
    std::u16string path = root->path;
    std::u16string tail = sub ? sub : u"";
    while (!tail.empty() && tail.front() == u'\\') tail.erase(0, 1);
    while (!tail.empty() && tail.back() == u'\\') tail.pop_back();
    if (!tail.empty()) path += u"\\" + tail;
    return path;
}

bool ValidKey(HKEY key) { return key == &gRoot || (key && !key->root && !key->path.empty()); }

}  // namespace

HKEY const HKEY_CURRENT_USER = &gRoot;

std::string DefaultRegistryFile() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (xdg && *xdg) {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home && *home ? home : ".") + "/.config";
    }
    return base + "/orvanel/registry.reg";
}

void SetRegistryFile(const std::string& path) {
    Store& s = store();
    int timeout = s.lockTimeoutMs;
    s = Store{};
    s.path = path;
    s.lockTimeoutMs = timeout;
}

const std::string& RegistryFile() {
    Store& s = store();
    if (s.path.empty()) s.path = DefaultRegistryFile();
    return s.path;
}

void SetRegistryLockTimeout(int milliseconds) { store().lockTimeoutMs = milliseconds; }

LONG RegOpenKeyEx(HKEY root, LPCWSTR subKey, DWORD, DWORD, HKEY* result) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    if (root != HKEY_CURRENT_USER) return ERROR_INVALID_HANDLE;
    EnsureLoaded();
    std::u16string path = JoinPath(root, subKey);
    if (path != root->path && !FindKey(store().doc, path)) return ERROR_FILE_NOT_FOUND;
    *result = new RegistryKey{path, false};
    return ERROR_SUCCESS;
}

LONG RegCreateKeyEx(HKEY root, LPCWSTR subKey, DWORD, char16_t*, DWORD, DWORD, void*,
                    HKEY* result, DWORD* disposition) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    if (root != HKEY_CURRENT_USER) return ERROR_INVALID_HANDLE;
    EnsureLoaded();
    Store& s = store();
    std::u16string path = JoinPath(root, subKey);
    bool existed = path == root->path || FindKey(s.doc, path);
    if (!existed) {
        // A key that could never be written is refused now, as the write would be.
        if (s.access == FileAccess::Writable && !FolderTakesFiles(FollowLinks(s.path)))
            return ERROR_ACCESS_DENIED;
        AddKey(s.doc, path);
        Change c;
        c.path = path;
        c.keyOnly = true;
        Journal(std::move(c));
    }
    if (disposition) *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *result = new RegistryKey{path, false};
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key) {
    if (key == HKEY_CURRENT_USER) return ERROR_SUCCESS;
    if (!ValidKey(key)) return ERROR_INVALID_HANDLE;
    delete key;
    return ERROR_SUCCESS;
}

LONG RegQueryValueEx(HKEY key, LPCWSTR name, DWORD*, DWORD* type, BYTE* data, DWORD* size) {
    if (!ValidKey(key)) return ERROR_INVALID_HANDLE;
    if (data && !size) return ERROR_INVALID_PARAMETER;
    EnsureLoaded();
    RegKey* k = FindKey(store().doc, key->path);
    RegValue* v = k ? FindValue(*k, name ? name : u"") : nullptr;
    if (!v) return ERROR_FILE_NOT_FOUND;
    if (type) *type = v->type;
    DWORD needed = DWORD(v->data.size());
    if (data) {
        if (*size < needed) {
            *size = needed;
            return ERROR_MORE_DATA;
        }
        // An empty value has no bytes to copy (and its buffer may be none).
        if (needed) std::memcpy(data, v->data.data(), needed);
    }
    if (size) *size = needed;
    return ERROR_SUCCESS;
}

LONG RegSetValueEx(HKEY key, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
    if (!ValidKey(key) || key == HKEY_CURRENT_USER) return ERROR_INVALID_HANDLE;
    if ((size && !data) || size > kMaxValueBytes) return ERROR_INVALID_PARAMETER;
    if (type == REG_DWORD && size != 4) return ERROR_INVALID_PARAMETER;
    EnsureLoaded();
    Change c;
    c.path = key->path;
    c.value.name = name ? name : u"";
    c.value.type = type;
    if (size) c.value.data.assign(data, data + size);
    Apply(store().doc, c);
    Journal(std::move(c));
    return ERROR_SUCCESS;
}

LONG RegDeleteValue(HKEY key, LPCWSTR name) {
    if (!ValidKey(key) || key == HKEY_CURRENT_USER) return ERROR_INVALID_HANDLE;
    EnsureLoaded();
    Change c;
    c.path = key->path;
    c.value.name = name ? name : u"";
    c.remove = true;
    RegKey* k = FindKey(store().doc, c.path);
    if (!k || !FindValue(*k, c.value.name)) return ERROR_FILE_NOT_FOUND;
    Apply(store().doc, c);
    Journal(std::move(c));
    return ERROR_SUCCESS;
}

LONG RegFlushKey(HKEY key) {
    if (!ValidKey(key)) return ERROR_INVALID_HANDLE;
    return Flush();
}
