// The file-backed hive: memory plus a list of own changes, merged into the file at each flush.
#include "platform/reg_file_hive.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/reg_file.h"

namespace velkaro {

namespace {

struct TRegChange {
    enum TKind { ckCreateKey, ckDeleteKey, ckSetValue, ckDeleteValue } Kind;
    uint32_t Root;
    TRegPath Path;
    std::string Name;
    TRegValue Value;
};

void Replay(const TRegChange& c, TRegTree& tree) {
    switch (c.Kind) {
    case TRegChange::ckCreateKey:
        tree.Create(c.Root, c.Path);
        break;
    case TRegChange::ckDeleteKey:
        tree.Delete(c.Root, c.Path);
        break;
    case TRegChange::ckSetValue:
        if (TRegNode* node = tree.Create(c.Root, c.Path)) node->SetValue(c.Name, c.Value);
        break;
    case TRegChange::ckDeleteValue:
        if (TRegNode* node = tree.Find(c.Root, c.Path)) node->DeleteValue(c.Name);
        break;
    }
}

std::string DirName(const std::string& file) {
    size_t cut = file.find_last_of('/');
    if (cut == std::string::npos) return ".";
    return cut == 0 ? "/" : file.substr(0, cut);
}

bool MakeDirs(const std::string& dir) {
    if (dir.empty() || dir == "/" || dir == ".") return true;
    struct stat st;
    if (stat(dir.c_str(), &st) == 0) return S_ISDIR(st.st_mode);
    if (!MakeDirs(DirName(dir))) return false;
    return mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

// Holds an exclusive advisory lock on a folder for its lifetime. The lock is on the folder, not
// the file, because the file is replaced by rename and a lock on the old one would mean nothing.
class TDirLock {
public:
    explicit TDirLock(const std::string& dir) {
        FFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (FFd < 0) return;
        while (flock(FFd, LOCK_EX) != 0) {
            if (errno != EINTR) {
                close(FFd);
                FFd = -1;
                return;
            }
        }
    }
    ~TDirLock() {
        if (FFd >= 0) close(FFd);  // closing releases the lock
    }
    TDirLock(const TDirLock&) = delete;
    TDirLock& operator=(const TDirLock&) = delete;
    bool Held() const { return FFd >= 0; }
    int Fd() const { return FFd; }

private:
    int FFd = -1;
};

enum TReadResult { rrOk, rrMissing, rrError };

TReadResult ReadWholeFile(const std::string& file, std::string& text, int& err) {
    text.clear();
    int fd = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        err = errno;
        return errno == ENOENT ? rrMissing : rrError;
    }
    char buf[65536];
    while (true) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            close(fd);
            return rrError;
        }
        text.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return rrOk;
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

std::string TimeStamp() {
    time_t now = time(nullptr);
    struct tm tmv;
    localtime_r(&now, &tmv);
    char buf[32];
    strftime(buf, sizeof buf, "%Y%m%d-%H%M%S", &tmv);
    return buf;
}

bool Exists(const std::string& path) {
    struct stat st;
    return lstat(path.c_str(), &st) == 0;
}

// Renames `file` to "<file>.bad-<timestamp>" without replacing anything there; the new name,
// or "" with errno set.
std::string MoveAside(const std::string& file) {
    std::string base = file + ".bad-" + TimeStamp();
    for (int n = 1; n < 1000; ++n) {
        std::string target = n == 1 ? base : base + "-" + std::to_string(n);
        if (link(file.c_str(), target.c_str()) == 0) {
            unlink(file.c_str());
            return target;
        }
        if (errno == EEXIST) continue;
        // A file system without hard links: check, then rename (we hold the folder's lock).
        if (errno == EPERM || errno == EOPNOTSUPP || errno == EXDEV) {
            if (Exists(target)) continue;
            if (rename(file.c_str(), target.c_str()) == 0) return target;
        }
        return {};
    }
    errno = EEXIST;
    return {};
}

}  // namespace

class TRegFileState {
public:
    explicit TRegFileState(std::string fileName) : FileName(std::move(fileName)) { Load(); }

    void Record(TRegChange change) { Journal.push_back(std::move(change)); }
    bool Flush();

    std::string FileName;
    TRegTree Tree;
    std::vector<TRegChange> Journal;

private:
    // The file to replace: where a symbolic link points (a settings folder kept elsewhere
    // stays linked), else the file name itself.
    std::string Target() const {
        struct stat st;
        if (lstat(FileName.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
            if (char* real = realpath(FileName.c_str(), nullptr)) {
                std::string path = real;
                free(real);
                return path;
            }
        }
        return FileName;
    }
    void Load();
    // Parses the file; a file that does not parse is moved aside and reported. `tree` is left
    // empty unless the file parsed; false when the file is damaged or could not be read.
    bool ReadCurrent(TRegTree& tree, bool& damagedAndMoved);
};

bool TRegFileState::ReadCurrent(TRegTree& tree, bool& damagedAndMoved) {
    damagedAndMoved = false;
    std::string text;
    int err = 0;
    switch (ReadWholeFile(FileName, text, err)) {
    case rrMissing:
        return true;
    case rrError:
        AddRegistryWarning("The settings file \"" + FileName + "\" could not be opened (" +
                           strerror(err) +
                           "). Velkaro starts with its default settings and will not save them.");
        return false;
    case rrOk:
        break;
    }
    TRegParseError error;
    if (ParseRegFile(text, tree, error)) return true;
    tree = TRegTree();
    std::string where = "line " + std::to_string(error.Line) + ": " + error.Reason;
    std::string aside = MoveAside(Target());
    if (aside.empty()) {
        AddRegistryWarning("The settings file \"" + FileName + "\" is damaged (" + where +
                           ") and could not be moved aside (" + strerror(errno) +
                           "). Velkaro starts with its default settings and will not save them.");
        return false;
    }
    AddRegistryWarning("The settings file \"" + FileName + "\" is damaged (" + where +
                       "). It has been kept as \"" + aside +
                       "\", and Velkaro starts with its default settings.");
    damagedAndMoved = true;
    return false;
}

void TRegFileState::Load() {
    TDirLock lock(DirName(Target()));  // no folder yet means no file yet
    bool moved;
    ReadCurrent(Tree, moved);
}

bool TRegFileState::Flush() {
    if (Journal.empty()) return true;
    const std::string target = Target();
    std::string dir = DirName(target);
    if (!MakeDirs(dir)) return false;
    TDirLock lock(dir);
    if (!lock.Held()) return false;

    // Merge: the file as it is now, with this hive's own changes applied in their order.
    TRegTree fresh;
    TRegTree* result = &fresh;
    bool moved = false;
    if (ReadCurrent(fresh, moved)) {
        for (const auto& change : Journal) Replay(change, fresh);
    } else if (moved) {
        result = &Tree;  // what was read at start, with the own changes already in it
    } else {
        return false;  // never write over a file that could not be read
    }

    std::string temp = target + ".tmp";  // one name is enough: writers hold the lock
    mode_t mode = 0600;
    struct stat st;
    if (stat(target.c_str(), &st) == 0) mode = st.st_mode & 07777;
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) return false;
    fchmod(fd, mode);
    bool ok = WriteAll(fd, FormatRegFile(*result)) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temp.c_str(), target.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    fsync(lock.Fd());  // the rename itself reaches the disk
    if (result == &fresh) Tree = std::move(fresh);
    Journal.clear();
    return true;
}

namespace {

class TFileRegKey : public TRegKey {
public:
    TFileRegKey(std::shared_ptr<TRegFileState> state, uint32_t root, TRegPath path)
        : FState(std::move(state)), FRoot(root), FPath(std::move(path)) {}

    bool QueryValue(const std::string& name, TRegValue& value) override {
        TRegNode* node = Node();
        const TRegValue* v = node ? node->FindValue(name) : nullptr;
        if (!v) return false;
        value = *v;
        return true;
    }

    bool SetValue(const std::string& name, uint32_t type, const uint8_t* data,
                  size_t size) override {
        TRegNode* node = Node();
        if (!node || !RegNameStorable(name)) return false;
        TRegValue v{type, std::vector<uint8_t>(data, data + size)};
        node->SetValue(name, v);
        FState->Record({TRegChange::ckSetValue, FRoot, FPath, name, std::move(v)});
        return true;
    }

    bool DeleteValue(const std::string& name) override {
        TRegNode* node = Node();
        if (!node || !node->DeleteValue(name)) return false;
        FState->Record({TRegChange::ckDeleteValue, FRoot, FPath, name, {}});
        return true;
    }

    bool EnumKeys(std::vector<std::string>& names) override {
        TRegNode* node = Node();
        if (!node) return false;
        names.clear();
        for (const auto& [folded, child] : node->Keys) names.push_back(child->Name);
        return true;
    }

    bool EnumValues(std::vector<std::string>& names) override {
        TRegNode* node = Node();
        if (!node) return false;
        names.clear();
        for (const auto& [name, value] : node->Values()) names.push_back(name);
        return true;
    }

    bool Flush() override { return FState->Flush(); }

private:
    TRegNode* Node() const { return FState->Tree.Find(FRoot, FPath); }

    std::shared_ptr<TRegFileState> FState;
    uint32_t FRoot;
    TRegPath FPath;
};

}  // namespace

TFileRegistryHive::TFileRegistryHive(const std::string& fileName)
    : FState(std::make_shared<TRegFileState>(fileName)) {}

TFileRegistryHive::~TFileRegistryHive() { FState->Flush(); }

const std::string& TFileRegistryHive::FileName() const { return FState->FileName; }

std::unique_ptr<TRegKey> TFileRegistryHive::OpenKey(uint32_t root, const std::string& path,
                                                    bool canCreate) {
    TRegPath parts = SplitRegPath(path);
    if (!FState->Tree.Find(root, parts)) {
        if (!canCreate) return nullptr;
        for (const auto& name : parts)
            if (!RegNameStorable(name)) return nullptr;
        if (!FState->Tree.Create(root, parts)) return nullptr;
        FState->Record({TRegChange::ckCreateKey, root, parts, {}, {}});
    }
    return std::make_unique<TFileRegKey>(FState, root, std::move(parts));
}

bool TFileRegistryHive::DeleteKey(uint32_t root, const std::string& path) {
    TRegPath parts = SplitRegPath(path);
    if (!FState->Tree.Delete(root, parts)) return false;
    FState->Record({TRegChange::ckDeleteKey, root, parts, {}, {}});
    return true;
}

bool TFileRegistryHive::Flush() { return FState->Flush(); }

}  // namespace velkaro
