// SPDX-License-Identifier: MIT
#include "common/registry/FileRegistry.h"

#include "common/registry/StoreLock.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>

namespace velnet::registry {

namespace {

constexpr const char* kMachineStore = "/var/lib/velnet/registry.reg";

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

FileRegistry::FileRegistry(std::string path) : path_(std::move(path)), file_(path_)
{
    refresh();
}

std::string FileRegistry::defaultPath()
{
    if (const char* env = std::getenv("VELNET_REGISTRY"); env && *env)
        return env;
    return kMachineStore;
}

FileRegistry::Stamp FileRegistry::stampOf(const StorePlace& place)
{
    if (!place.exists)
        return {};
    const struct stat& st = place.status;
    Stamp s;
    s.exists = true;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = static_cast<std::uint64_t>(st.st_size);
    s.mtimeNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    return s;
}

// A stamp no file has: the next refresh reads whatever is there.
void FileRegistry::forget()
{
    loaded_ = {};
    loaded_.inode = ~std::uint64_t{0};
}

void FileRegistry::refresh()
{
    Result<StorePlace> place = file_.locate();
    if (!place.ok()) {
        // Anything but "no such file" is no empty store: say why.
        forget();
        tree_ = RegTree();
        corrupt_ = true;
        error_ = place.error();
        return;
    }
    refreshFrom(*place);
}

// Re-reads the file when it is not the one last read, then replays the
// changes of the open group, which the file does not hold yet.
void FileRegistry::refreshFrom(const StorePlace& place)
{
    const Stamp now = stampOf(place);
    if (now == loaded_ && !(corrupt_ && now.exists))
        return;
    loaded_ = now;
    tree_ = RegTree();
    corrupt_ = false;
    error_.clear();
    if (now.exists) {
        std::string bytes;
        if (FileResult read = file_.read(place, bytes); !read.ok()) {
            corrupt_ = true;
            error_ = std::move(read.error);
            return;
        }
        if (RegParseResult loaded = loadRegBytes(tree_, std::move(bytes)); !loaded.ok) {
            tree_ = RegTree();
            corrupt_ = true;
            error_ = describe(path_, loaded.errorLine, loaded.error);
            return;
        }
    }
    applyActions(tree_, pending_);
}

bool FileRegistry::writable()
{
    Result<StorePlace> place = file_.locate();
    if (!place.ok()) {
        writeError_ = place.error();
        return false;
    }
    return writable(*place);
}

bool FileRegistry::writable(const StorePlace& place)
{
    FileResult check = file_.checkWritable(place);
    writeError_ = std::move(check.error);
    return check.ok();
}

std::string FileRegistry::errorText() const
{
    return corrupt_ ? error_ : writeError_;
}

Status FileRegistry::checkWritable()
{
    refresh();
    if (corrupt_)
        return Status::Corrupt;
    return writable() ? Status::Success : Status::AccessDenied;
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
    if (pending_.empty())
        return; // the tree is still the file's: nothing to undo
    pending_.clear();
    reload();
}

void FileRegistry::reload()
{
    forget();
    refresh();
}

// The tree's record of where each line stands must describe the file just
// written for the next rewrite: parse the bytes in hand rather than reading
// them back. The lock is still held, so the file on disk is these bytes.
void FileRegistry::adoptWritten(std::string bytes, StorePlace& place)
{
    tree_ = RegTree();
    if (!loadRegBytes(tree_, std::move(bytes)).ok || !file_.restat(place).ok()) {
        reload();
        return;
    }
    loaded_ = stampOf(place);
    corrupt_ = false;
    error_.clear();
    applyActions(tree_, pending_);
}

// `inTree` says whether the tree holds the actions already (a group's).
Status FileRegistry::writeLocked(const std::vector<RegAction>& actions, bool inTree)
{
    if (corrupt_)
        return Status::Corrupt;
    Status result = Status::AccessDenied;
    Result<StorePlace> place = file_.locate();
    if (!place.ok())
        writeError_ = place.error();
    else if (writable(*place))
        result = writeInPlace(actions, inTree, *place);
    if (result != Status::Success && inTree)
        reload(); // what the tree holds never reached the file
    return result;
}

// Everything from here on works in the folder found, by name: a folder
// swapped for a link meanwhile is not followed.
Status FileRegistry::writeInPlace(const std::vector<RegAction>& actions, bool inTree,
                                  StorePlace& place)
{
    StoreLock lock(place.folder->get(), place.name + ".lock", place.file + ".lock",
                   place.exists ? &place.status : nullptr, lockWait_);
    if (!lock.held())
        return lockFailure(lock);
    file_.removeStaleTemporaries(place);
    if (Outcome seen = file_.restat(place); !seen.ok()) {
        writeError_ = seen.error();
        return Status::AccessDenied;
    }
    if (!(stampOf(place) == loaded_)) {
        // Another process wrote the store: start again from its file.
        forget();
        refreshFrom(place);
        if (corrupt_)
            return Status::Corrupt;
        inTree = false;
    }
    if (!inTree)
        applyActions(tree_, actions);
    return writeFile(place);
}

Status FileRegistry::lockFailure(const StoreLock& lock)
{
    if (lock.busy()) {
        writeError_ = path_ + ": the registry is in use by another program";
        if (const auto pid = lock.holder())
            writeError_ += " (process " + std::to_string(*pid) + ")";
        return Status::Busy;
    }
    const int error = lock.error();
    writeError_ = lock.problem();
    // A lock file that cannot be made where the store lives (a read-only or
    // special file system) denies writing as the store itself would.
    const bool resources = error == ENOSPC || error == EDQUOT || error == EIO || error == ENOMEM;
    return resources ? Status::IoError : Status::AccessDenied;
}

Status FileRegistry::writeFile(StorePlace& place)
{
    RegRewrite rewrite = rewriteRegFile(tree_);
    if (!rewrite.changed && loaded_.exists)
        return Status::Success; // a file nobody changed stays as it is, byte for byte
    if (FileResult written = file_.replace(place, rewrite.bytes); !written.ok()) {
        writeError_ = std::move(written.error);
        reload(); // what is in memory never reached the file
        return written.status;
    }
    adoptWritten(std::move(rewrite.bytes), place);
    ++rewrites_;
    return Status::Success;
}

Status FileRegistry::importFile(const std::string& file, std::string* error)
{
    std::string bytes;
    if (FileResult read = StoreFile::read(file, bytes, true); !read.ok()) {
        if (error)
            *error = std::move(read.error);
        return Status::NotFound;
    }
    RegParseResult parsed = parseRegBytes(std::move(bytes));
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
        *error = errorText();
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
    FileResult written = StoreFile::write(file, formatRegFile(tree_, root, keyPath));
    if (!written.ok() && error)
        *error = std::move(written.error);
    return written.status;
}

} // namespace velnet::registry
