#include "scan/traversedirectories.h"

#include "platform/direntries.h"
#include "scan/functionmodule.h"
#include "scan/scaninterfaces.h"

#include <QFile>
#include <set>
#include <utility>
#include <vector>

namespace TraverseDirectories {

QString CutAtNul(const QString &text) {
    const qsizetype at = text.indexOf(QChar(0));
    return at < 0 ? text : text.left(at);
}

void TraverseFolder(const QString &folder, bool recurse, QStringList &found, StatusSink &status) {
    std::set<std::pair<quint64, quint64>> visited;
    // An explicit stack instead of recursion: a deep tree cannot overflow it.
    std::vector<QString> pending{folder};
    while (!pending.empty()) {
        const QString path = FunctionModule::AddTrailingBackslash(pending.back());
        pending.pop_back();
        status.SBar(QStringLiteral("Checking ") + path + QStringLiteral("..."));
        const platform::DirListing listing = platform::listDirectory(path);
        if (!listing.opened || listing.virtualFileSystem ||
            !visited.emplace(listing.device, listing.inode).second)
            continue;
        std::vector<QString> subfolders;
        for (const platform::DirEntry &entry : listing.entries) {
            const QString name = CutAtNul(QFile::decodeName(entry.name));
            if (entry.kind == platform::DirEntry::Kind::File)
                found.append(path + name);
            else if (recurse && entry.kind == platform::DirEntry::Kind::Directory)
                subfolders.push_back(path + name);
        }
        pending.insert(pending.end(), std::make_move_iterator(subfolders.rbegin()),
                       std::make_move_iterator(subfolders.rend()));
    }
}

} // namespace TraverseDirectories
