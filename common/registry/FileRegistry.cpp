#include "FileRegistry.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velnet::registry {

namespace {

constexpr const char* kMachineStore = "/var/lib/velnet/registry.reg";

std::string directoryOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool readWholeFile(const std::string& path, std::string& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream buf;
    buf << in.rdbuf();
    out = std::move(buf).str();
    return !in.bad();
}

bool writeAll(int fd, std::string_view data)
{
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// An exclusive advisory lock on the store's companion lock file.
class StoreLock
{
public:
    explicit StoreLock(const std::string& storePath)
    {
        fd_ = ::open((storePath + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ >= 0) {
            while (::flock(fd_, LOCK_EX) != 0) {
                if (errno != EINTR) {
                    ::close(fd_);
                    fd_ = -1;
                    break;
                }
            }
        }
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    ~StoreLock()
    {
        if (fd_ >= 0)
            ::close(fd_); // closing releases the lock
    }
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

// The store is line-based text: a name with a line break could not be read back.
bool storableName(std::string_view name)
{
    return name.find_first_of("\r\n") == std::string_view::npos;
}

std::string describe(const std::string& path, int line, const std::string& message)
{
    return path + ":" + std::to_string(line) + ": " + message;
}

} // namespace

FileRegistry::FileRegistry(std::string path) : path_(std::move(path))
{
    refresh();
}

std::string FileRegistry::defaultPath()
{
    if (const char* env = std::getenv("VELNET_REGISTRY"); env && *env)
        return env;
    return kMachineStore;
}

FileRegistry::Stamp FileRegistry::currentStamp() const
{
    struct stat st
    {
    };
    if (::stat(path_.c_str(), &st) != 0)
        return {};
    Stamp s;
    s.exists = true;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = static_cast<std::uint64_t>(st.st_size);
    s.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return s;
}

// Re-reads the file when it is not the one last read, then replays the
// changes of the open group, which the file does not hold yet.
void FileRegistry::refresh()
{
    const Stamp now = currentStamp();
    if (now == loaded_ && !(corrupt_ && now.exists))
        return;
    loaded_ = now;
    tree_ = RegTree();
    corrupt_ = false;
    error_.clear();
    if (now.exists) {
        std::string bytes;
        if (!readWholeFile(path_, bytes)) {
            corrupt_ = true;
            error_ = path_ + ": cannot be read: " + std::strerror(errno);
            return;
        }
        RegParseResult parsed = parseRegFile(bytes);
        if (!parsed.ok) {
            corrupt_ = true;
            error_ = describe(path_, parsed.errorLine, parsed.error);
            return;
        }
        loadRegTree(tree_, std::move(parsed));
    }
    applyActions(tree_, pending_);
}

bool FileRegistry::writable() const
{
    if (::access(path_.c_str(), F_OK) == 0 && ::access(path_.c_str(), W_OK) != 0)
        return false;
    return ::access(directoryOf(path_).c_str(), W_OK) == 0;
}

std::string FileRegistry::errorText() const
{
    return error_;
}

Status FileRegistry::openKey(Root root, std::string_view path, Access access)
{
    refresh();
    if (corrupt_)
        return Status::Corrupt;
    if (!tree_.find(root, path))
        return Status::NotFound;
    if (access != Access::Read && !writable())
        return Status::AccessDenied;
    return Status::Success;
}

Status FileRegistry::createKey(Root root, std::string_view path, Access access)
{
    refresh();
    if (corrupt_)
        return Status::Corrupt;
    if (tree_.find(root, path))
        return openKey(root, path, access);
    if (!storableName(path) || keyPathProblem(path))
        return Status::InvalidName;
    if (!writable())
        return Status::AccessDenied;
    RegAction action;
    action.kind = RegAction::Kind::CreateKey;
    action.root = root;
    action.path = std::string(path);
    return change(std::move(action));
}

std::optional<Value> FileRegistry::queryValue(Root root, std::string_view path,
                                              std::string_view name, std::size_t limit)
{
    const RegNode* node = tree_.find(root, path);
    if (!node)
        return std::nullopt;
    const Value* value = node->value(name);
    if (!value || value->data.size() > limit)
        return std::nullopt;
    return *value;
}

Status FileRegistry::setValue(Root root, std::string_view path, std::string_view name,
                              const Value& value)
{
    if (!tree_.find(root, path))
        return Status::NotFound;
    if (!storableName(name) || valueNameProblem(name))
        return Status::InvalidName;
    RegAction action;
    action.kind = RegAction::Kind::SetValue;
    action.root = root;
    action.path = std::string(path);
    action.name = std::string(name);
    action.value = value;
    return change(std::move(action));
}

Status FileRegistry::deleteValue(Root root, std::string_view path, std::string_view name)
{
    const RegNode* node = tree_.find(root, path);
    if (!node || !node->value(name))
        return Status::NotFound;
    RegAction action;
    action.kind = RegAction::Kind::DeleteValue;
    action.root = root;
    action.path = std::string(path);
    action.name = std::string(name);
    return change(std::move(action));
}

Status FileRegistry::deleteKey(Root root, std::string_view path)
{
    refresh();
    if (corrupt_)
        return Status::Corrupt;
    if (splitKeyPath(path).empty() || !tree_.find(root, path))
        return Status::NotFound;
    if (!writable())
        return Status::AccessDenied;
    RegAction action;
    action.kind = RegAction::Kind::DeleteKey;
    action.root = root;
    action.path = std::string(path);
    return change(std::move(action));
}

std::optional<std::string> FileRegistry::enumKey(Root root, std::string_view path,
                                                 std::size_t index)
{
    const RegNode* node = tree_.find(root, path);
    if (!node || index >= node->children().size())
        return std::nullopt;
    return node->children()[index]->name();
}

std::optional<std::string> FileRegistry::enumValue(Root root, std::string_view path,
                                                   std::size_t index)
{
    const RegNode* node = tree_.find(root, path);
    if (!node || index >= node->values().size())
        return std::nullopt;
    return node->values()[index].name;
}

// A value change becomes a "create key, then act" pair so that replaying it
// on a freshly read tree puts it in the right key.
Status FileRegistry::change(RegAction action)
{
    std::vector<RegAction> actions;
    if (action.kind == RegAction::Kind::SetValue || action.kind == RegAction::Kind::DeleteValue) {
        RegAction key;
        key.kind = RegAction::Kind::CreateKey;
        key.root = action.root;
        key.path = action.path;
        actions.push_back(std::move(key));
    }
    actions.push_back(std::move(action));
    if (groupDepth_ > 0) {
        applyActions(tree_, actions);
        pending_.insert(pending_.end(), actions.begin(), actions.end());
        return Status::Success;
    }
    return writeLocked(actions, false);
}

void FileRegistry::beginGroup()
{
    ++groupDepth_;
}

Status FileRegistry::commitGroup()
{
    if (groupDepth_ == 0)
        return Status::Success;
    if (--groupDepth_ > 0)
        return Status::Success;
    std::vector<RegAction> actions = std::move(pending_);
    pending_.clear();
    if (actions.empty())
        return Status::Success;
    return writeLocked(actions, true);
}

void FileRegistry::abandonGroup()
{
    if (groupDepth_ == 0)
        return;
    if (--groupDepth_ > 0)
        return;
    pending_.clear();
    reload();
}

void FileRegistry::reload()
{
    loaded_ = {};
    loaded_.inode = ~std::uint64_t{0};
    refresh();
}

// `inTree` says whether the tree holds the actions already (a group's).
Status FileRegistry::writeLocked(const std::vector<RegAction>& actions, bool inTree)
{
    Status result = Status::Success;
    if (corrupt_)
        return Status::Corrupt;
    if (!writable()) {
        result = Status::AccessDenied;
    } else if (StoreLock lock(path_); !lock.held()) {
        result = Status::AccessDenied;
    } else {
        if (!(currentStamp() == loaded_)) {
            // Another process wrote the store: start again from its file.
            reload();
            if (corrupt_)
                return Status::Corrupt;
            inTree = false;
        }
        if (!inTree)
            applyActions(tree_, actions);
        result = writeFile();
    }
    if (result != Status::Success && inTree)
        reload(); // what the tree holds never reached the file
    return result;
}

Status FileRegistry::writeFile()
{
    const RegRewrite rewrite = rewriteRegFile(tree_);
    if (!rewrite.changed && loaded_.exists)
        return Status::Success; // a file nobody changed stays as it is, byte for byte
    const std::string& text = rewrite.bytes;
    const std::string temp = path_ + ".tmp";
    mode_t mode = 0644;
    struct stat st
    {
    };
    if (::stat(path_.c_str(), &st) == 0)
        mode = st.st_mode & 07777;
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0)
        return errno == EACCES || errno == EROFS || errno == EPERM ? Status::AccessDenied
                                                                   : Status::IoError;
    const bool ok = writeAll(fd, text) && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !ok || ::rename(temp.c_str(), path_.c_str()) != 0) {
        ::unlink(temp.c_str());
        reload(); // what is in memory never reached the file
        return Status::IoError;
    }
    const int dir = ::open(directoryOf(path_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    // Read back what was written: the tree's record of where each line
    // stands must describe the new file for the next rewrite.
    reload();
    ++rewrites_;
    return Status::Success;
}

Status FileRegistry::importFile(const std::string& file, std::string* error)
{
    std::string bytes;
    if (!readWholeFile(file, bytes)) {
        if (error)
            *error = file + ": cannot be read: " + std::strerror(errno);
        return Status::NotFound;
    }
    RegParseResult parsed = parseRegFile(bytes);
    if (!parsed.ok) {
        if (error)
            *error = describe(file, parsed.errorLine, parsed.error);
        return Status::Corrupt;
    }
    refresh();
    if (corrupt_) {
        if (error)
            *error = error_;
        return Status::Corrupt;
    }
    if (groupDepth_ > 0) {
        applyActions(tree_, parsed.actions);
        pending_.insert(pending_.end(), parsed.actions.begin(), parsed.actions.end());
        return Status::Success;
    }
    const Status s = writeLocked(parsed.actions, false);
    if (s != Status::Success && error)
        *error = path_ + ": cannot be written";
    return s;
}

Status FileRegistry::exportKey(Root root, std::string_view keyPath, const std::string& file,
                               std::string* error)
{
    refresh();
    if (corrupt_) {
        if (error)
            *error = error_;
        return Status::Corrupt;
    }
    if (!tree_.find(root, keyPath)) {
        if (error)
            *error = "the key does not exist";
        return Status::NotFound;
    }
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << formatRegFile(tree_, root, keyPath);
    out.close();
    if (!out) {
        if (error)
            *error = file + ": cannot be written";
        return Status::IoError;
    }
    return Status::Success;
}

} // namespace velnet::registry
