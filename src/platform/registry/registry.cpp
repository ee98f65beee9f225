#include "platform/registry/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
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

RegistryKey gRoot{kRootName, true};

struct Store {
    std::string path;
    bool loaded = false;
    RegDocument doc;
    int lockTimeoutMs = 2000;
    // After a write gave up waiting for another process's lock, the next ones wait only briefly,
    // so that a shutdown with a dozen writes does not stall for a dozen timeouts.
    bool lockWasBusy = false;
};

Store& store() {
    static Store s;
    return s;
}

enum class ReadResult { Missing, Ok, Corrupt, Unreadable };

ReadResult ReadFile(const std::string& path, std::string& text) {
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? ReadResult::Missing : ReadResult::Unreadable;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return ReadResult::Unreadable;
    }
    if (st.st_size > kMaxFileBytes) {
        close(fd);
        return ReadResult::Corrupt;
    }
    text.clear();
    char buf[65536];
    ssize_t n;
    while ((n = read(fd, buf, sizeof buf)) > 0) {
        text.append(buf, size_t(n));
        if (text.size() > size_t(kMaxFileBytes)) break;
    }
    close(fd);
    if (n < 0) return ReadResult::Unreadable;
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

// Reads the file into a document. A corrupt file is kept aside; the values it yielded stay.
RegDocument LoadDocument(const std::string& path, bool* exists) {
    std::string text;
    ReadResult r = ReadFile(path, text);
    if (exists) *exists = r != ReadResult::Missing;
    if (r == ReadResult::Missing || r == ReadResult::Unreadable) return {};
    RegDocument doc;
    if (r == ReadResult::Ok) doc = ParseRegistryText(text);
    if (r == ReadResult::Corrupt || doc.corrupt()) {
        SetAside(path);
        doc.badLines = 0;
        doc.badHeader = false;
    }
    return doc;
}

void EnsureLoaded() {
    Store& s = store();
    if (s.loaded) return;
    if (s.path.empty()) s.path = DefaultRegistryFile();
    s.doc = LoadDocument(s.path, nullptr);
    s.loaded = true;
}

bool MakeParentDirs(const std::string& path) {
    for (size_t i = 1; i < path.size(); ++i) {
        if (path[i] != '/') continue;
        std::string dir = path.substr(0, i);
        if (mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    return true;
}

class FileLock {
public:
    FileLock(const std::string& path, int timeoutMs) {
        fd_ = open((path + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
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

bool WriteAtomically(const std::string& path, const std::string& text) {
    std::string tmp = path + ".tmp-" + std::to_string(getpid());
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
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
    if (fsync(fd) != 0 || close(fd) != 0 || rename(tmp.c_str(), path.c_str()) != 0) {
        unlink(tmp.c_str());
        return false;
    }
    return true;
}

// Applies one change to the file as it is now, under the lock, and to the loaded document.
template <typename Change>
LONG Modify(Change change) {
    Store& s = store();
    EnsureLoaded();
    if (!MakeParentDirs(s.path)) return ERROR_ACCESS_DENIED;
    FileLock lock(s.path, s.lockWasBusy ? std::min(s.lockTimeoutMs, 100) : s.lockTimeoutMs);
    s.lockWasBusy = !lock.locked();
    if (!lock.locked()) return ERROR_ACCESS_DENIED;
    bool exists = false;
    RegDocument fresh = LoadDocument(s.path, &exists);
    // A file that is gone (kept aside, or removed) starts from what this process read.
    if (!exists) fresh = s.doc;
    std::string before = exists ? FormatRegistryText(fresh) : std::string();
    change(fresh);
    // A change that leaves the file as it is (the usual case when the settings are saved at
    // exit) writes nothing: each write is flushed to the disk, which costs more than the rest
    // of a start and exit together.
    std::string after = FormatRegistryText(fresh);
    if ((!exists || after != before) && !WriteAtomically(s.path, after))
        return ERROR_ACCESS_DENIED;
    s.doc = std::move(fresh);
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
    s.path = path;
    s.loaded = false;
    s.doc = RegDocument{};
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
    std::u16string path = JoinPath(root, subKey);
    bool existed = path == root->path || FindKey(store().doc, path);
    if (!existed) {
        LONG r = Modify([&](RegDocument& doc) {
            if (!FindKey(doc, path)) doc.keys.push_back(RegKey{path, {}});
        });
        if (r != ERROR_SUCCESS) return r;
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
        std::memcpy(data, v->data.data(), needed);
    }
    if (size) *size = needed;
    return ERROR_SUCCESS;
}

LONG RegSetValueEx(HKEY key, LPCWSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
    if (!ValidKey(key) || key == HKEY_CURRENT_USER) return ERROR_INVALID_HANDLE;
    if ((size && !data) || size > kMaxValueBytes) return ERROR_INVALID_PARAMETER;
    if (type == REG_DWORD && size != 4) return ERROR_INVALID_PARAMETER;
    std::u16string valueName = name ? name : u"";
    std::u16string path = key->path;
    std::vector<uint8_t> bytes(data, data + size);
    return Modify([&](RegDocument& doc) {
        RegKey* k = FindKey(doc, path);
        if (!k) {
            doc.keys.push_back(RegKey{path, {}});
            k = &doc.keys.back();
        }
        RegValue* v = FindValue(*k, valueName);
        if (!v) {
            k->values.push_back(RegValue{valueName, type, bytes});
        } else {
            v->type = type;
            v->data = bytes;
        }
    });
}

LONG RegDeleteValue(HKEY key, LPCWSTR name) {
    if (!ValidKey(key) || key == HKEY_CURRENT_USER) return ERROR_INVALID_HANDLE;
    std::u16string valueName = name ? name : u"";
    std::u16string path = key->path;
    EnsureLoaded();
    RegKey* k = FindKey(store().doc, path);
    if (!k || !FindValue(*k, valueName)) return ERROR_FILE_NOT_FOUND;
    return Modify([&](RegDocument& doc) {
        if (RegKey* fk = FindKey(doc, path))
            fk->values.erase(std::remove_if(fk->values.begin(), fk->values.end(),
                                            [&](const RegValue& v) {
                                                return EqualsIgnoringCase(v.name, valueName);
                                            }),
                             fk->values.end());
    });
}
