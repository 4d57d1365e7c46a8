#include "scan/traversedirectories.h"

#include "platform/direntries.h"
#include "platform/pathname.h"
#include "scan/functionmodule.h"
#include "scan/scantexts.h"

#include <set>
#include <utility>
#include <vector>

namespace TraverseDirectories {

QString CutAtNul(const QString &text) {
    const qsizetype at = text.indexOf(QChar(0));
    return at < 0 ? text : text.left(at);
}

namespace {
// A path of exactly its length: the run keeps every file the walk finds, and
// QString's own + leaves half as much again spare.
QString joined(const QString &folder, const QString &name) {
    QString path;
    path.reserve(folder.size() + name.size());
    path.append(folder).append(name);
    return path;
}
} // namespace

WalkState TraverseFolder(const QString &folder, bool recurse, WalkVisitor &visitor) {
    std::set<std::pair<quint64, quint64>> visited;
    const std::function<bool()> keepGoing = [&visitor] { return visitor.keepGoing(); };
    // An explicit stack instead of recursion: a deep tree cannot overflow it.
    std::vector<QString> pending{folder};
    while (!pending.empty()) {
        const QString given = std::move(pending.back());
        pending.pop_back();
        const QString path = FunctionModule::AddTrailingBackslash(given);
        WalkState state = visitor.enterFolder(path);
        if (state == WalkState::Quit)
            return state;
        if (state == WalkState::Skip)
            continue;
        const platform::DirListing listing = platform::listDirectory(path, keepGoing);
        if (!visitor.keepGoing())
            return WalkState::Quit;
        if (!listing.error.isEmpty() &&
            visitor.folderError(given, listing.error) == WalkState::Quit)
            return WalkState::Quit;
        if (listing.virtualFileSystem)
            visitor.kernelFileSystemSkipped(path);
        if (!listing.opened || listing.virtualFileSystem ||
            !visited.emplace(listing.device, listing.inode).second)
            continue;
        std::vector<QString> subfolders;
        for (const platform::DirEntry &entry : listing.entries) {
            const QString name = CutAtNul(platform::pathText(entry.name));
            if (entry.kind == platform::DirEntry::Kind::File)
                state = visitor.visitFile(joined(path, name), entry.inode);
            else if (recurse && !entry.link && entry.kind == platform::DirEntry::Kind::Directory)
                subfolders.push_back(path + name);
            if (state == WalkState::Quit)
                return state;
        }
        pending.insert(pending.end(), std::make_move_iterator(subfolders.rbegin()),
                       std::make_move_iterator(subfolders.rend()));
    }
    return WalkState::Continue;
}

namespace {

// The plain walk: a list of files and the status line.
class ListingVisitor : public WalkVisitor {
  public:
    ListingVisitor(QStringList &found, StatusSink &status) : found_(found), status_(status) {}
    WalkState enterFolder(const QString &path) override {
        status_.SBar(ScanTexts::checkingFolder(path));
        return WalkState::Continue;
    }
    WalkState visitFile(const QString &path, quint64) override {
        found_.append(path);
        return WalkState::Continue;
    }
    WalkState folderError(const QString &path, const QString &description) override {
        status_.fileError(ScanTexts::fileError(description, path));
        return WalkState::Continue;
    }

  private:
    QStringList &found_;
    StatusSink &status_;
};

} // namespace

void TraverseFolder(const QString &folder, bool recurse, QStringList &found, StatusSink &status) {
    ListingVisitor visitor(found, status);
    TraverseFolder(folder, recurse, visitor);
}

} // namespace TraverseDirectories
