#include "scan/containerscanner.h"

#include "documents/archivereader.h"
#include "documents/documenterrors.h"
#include "documents/documentsize.h"
#include "documents/packagetext.h"
#include "documents/unpackahead.h"
#include "platform/inputfile.h"
#include "scan/filetypefilter.h"

#include <QScopeGuard>

#include <cstring>
#include <optional>
#include <utility>

namespace {

constexpr qint64 MaxUnpackedBytes = qint64{4} << 30;
constexpr qint64 UnpackedPerByte = 100;

} // namespace

/// One container being read: the reader of its members and where it lies.
struct ContainerScanner::Level {
    ArchiveReader &reader;
    QStringList inner; ///< the container's own names inside the file of the tree
    int depth = 1;
    qint64 counted = 0; ///< of reader.unpackedBytes(), what unpacked_ holds
};

/// A member's bytes for the readers: its first bytes, or all of them, held
/// to tell a document by its content, then the rest as it unpacks. Ends
/// early at a bound or a stop.
class ContainerScanner::MemberBytes : public TextFileReader::Source {
  public:
    MemberBytes(ContainerScanner &scanner, Level &level) : scanner_(scanner), level_(level) {}
    /// Fills the room as a file's read does, so that the first block a
    /// reader judges (binary or text) is as long as a tree file's.
    qint64 read(char *to, qint64 room) override {
        qint64 n = 0;
        if (at_ < held_.size()) {
            n = std::min<qint64>(room, held_.size() - at_);
            std::memcpy(to, held_.constData() + at_, static_cast<size_t>(n));
            at_ += n;
        }
        while (n < room) {
            const qint64 more = scanner_.readCounted(level_, to + n, room - n);
            if (more <= 0)
                return n > 0 ? n : more;
            n += more;
        }
        return n;
    }
    QString errorString() const override { return level_.reader.errorString(); }
    /// True when the first bytes begin as a document of a format read
    /// whatever the name (a package, a PDF).
    bool beginsAsDocument() {
        while (held_.size() < HeadBytes && more(HeadBytes) > 0) {
        }
        return mayBeDocument(held_);
    }
    /// Holds the whole member when it has at most max bytes: true then.
    bool holdWhole(qint64 max) {
        qint64 n = 0;
        while (held_.size() <= max && (n = more(max + 1 - held_.size())) > 0) {
        }
        failed_ = n < 0;
        return n == 0 && held_.size() <= max;
    }
    bool failed() const { return failed_; }
    QByteArrayView held() const { return held_; }
    QByteArray take() { return std::exchange(held_, {}); }

  private:
    static constexpr qsizetype HeadBytes = 64;
    qint64 more(qint64 room) {
        char block[64 * 1024];
        const qint64 n = scanner_.readCounted(level_, block, std::min<qint64>(room, sizeof block));
        if (n > 0)
            held_.append(block, n);
        return n;
    }

    ContainerScanner &scanner_;
    Level &level_;
    QByteArray held_;
    qsizetype at_ = 0;
    bool failed_ = false;
};

ContainerScanner::Bounds ContainerScanner::Bounds::forFile(qint64 bytes) {
    Bounds bounds;
    bounds.unpackedBytes = std::min(MaxUnpackedBytes, std::max<qint64>(bytes, 1) * UnpackedPerByte);
    return bounds;
}

ContainerScanner::ContainerScanner(FileScanner &scanner,
                                   std::function<bool(const QString &name)> passes)
    : scanner_(scanner), passes_(std::move(passes)) {}

QString ContainerScanner::tooDeep(int depth) {
    return QStringLiteral(
               "The archive nests more than %1 levels deep; what lies deeper is not read")
        .arg(depth);
}

QString ContainerScanner::tooMuchUnpacked(qint64 bytes) {
    return QStringLiteral("The archive unpacks to more than %1 bytes; the rest is not read")
        .arg(bytes);
}

QString ContainerScanner::tooManyMembers(qint64 members) {
    return QStringLiteral("The archive holds more than %1 files; the rest are not read")
        .arg(members);
}

FileScanner::Outcome ContainerScanner::scan(const QString &path, Rows &rows) {
    platform::InputFile file;
    if (!file.open(path))
        return {false, false, file.errorString()};
    const Bounds bounds = Bounds::forFile(file.size());
    file.close();
    return scan(path, rows, bounds);
}

FileScanner::Outcome ContainerScanner::scan(const QString &path, Rows &rows, const Bounds &bounds) {
    platform::InputFile file;
    if (!file.open(path))
        return {false, false, file.errorString()};
    rows_ = &rows;
    bounds_ = bounds;
    unpacked_ = members_ = 0;
    stopped_ = ended_ = false;
    // A stream compressed as a whole is unpacked on a thread of its own
    // while this one reads the members it unpacks to.
    const qint64 size = file.size();
    std::optional<UnpackAhead> ahead;
    if (ArchiveReader::isCompressedName(path))
        ahead.emplace([&file](char *to, qint64 room) { return file.read(to, room); });
    // The outer bytes are where a stop or a bound is noticed while
    // libarchive passes over members that are not read.
    const auto goOn = [&] {
        if (!rows.goOn())
            stopped_ = true;
        else if (!open_.empty())
            within();
        return !stopped_ && !ended_;
    };
    std::optional<ArchiveReader> reader;
    if (ahead) {
        reader.emplace([&](const char **bytes) { return goOn() ? ahead->next(bytes) : qint64{-1}; },
                       path);
    } else {
        reader.emplace(
            [&](char *to, qint64 room) { return goOn() ? file.read(to, room) : qint64{-1}; }, path,
            [&file](qint64 offset) { return file.seek(offset); }, size);
    }
    Level level{*reader, {}};
    const bool read = readLevel(level);
    rows_ = nullptr;
    if (!read && !stopped_ && !ended_) {
        const QString unpacking = ahead ? ahead->errorString() : QString();
        return {false, false, unpacking.isEmpty() ? reader->errorString() : unpacking};
    }
    return {};
}

// False when the container could not be read to its end.
bool ContainerScanner::readLevel(Level &level) {
    open_.push_back(&level);
    const auto close = qScopeGuard([this] { open_.pop_back(); });
    while (!stopped_ && !ended_) {
        if (!rows_->goOn()) {
            stopped_ = true;
            return true;
        }
        const std::optional<ArchiveReader::Member> member = level.reader.next();
        if (!within() || stopped_)
            return true;
        if (!member)
            return level.reader.errorString().isEmpty();
        if (++members_ > bounds_.members) {
            ended_ = true;
            rows_->error(level.inner, tooManyMembers(bounds_.members));
            return true;
        }
        const QStringList names = level.inner + QStringList{member->name};
        const bool container = ArchiveReader::isContainerName(member->name);
        if (!container && !passes_(member->name))
            continue;
        if (member->encrypted) {
            rows_->error(names, documenterrors::encrypted());
        } else if (container && level.depth >= bounds_.depth) {
            ended_ = true;
            rows_->error(names, tooDeep(bounds_.depth));
        } else if (container) {
            readContainer(level, names);
        } else {
            readMember(level, names);
        }
    }
    return true;
}

// A container inside is read as it unpacks, or, when its format needs to be
// moved in (7z), from memory once it is whole within the document bound.
void ContainerScanner::readContainer(Level &level, const QStringList &names) {
    const QString &name = names.constLast();
    QByteArray held;
    qint64 at = 0;
    ArchiveReader::Source source = [&](char *to, qint64 room) {
        return readCounted(level, to, room);
    };
    ArchiveReader::Seek seek;
    if (ArchiveReader::needsSeeking(name)) {
        MemberBytes bytes(*this, level);
        const bool whole = bytes.holdWhole(MaxDocumentBytes);
        if (stopped_ || ended_)
            return;
        if (!whole) {
            rows_->error(names,
                         bytes.failed() ? level.reader.errorString() : documenterrors::tooLarge());
            return;
        }
        held = bytes.take();
        source = [&](char *to, qint64 room) {
            const qint64 n = std::min<qint64>(room, held.size() - at);
            std::memcpy(to, held.constData() + at, static_cast<size_t>(n));
            at += n;
            return n;
        };
        seek = [&](qint64 offset) -> qint64 {
            return offset >= 0 && offset <= held.size() ? at = offset : -1;
        };
    }
    ArchiveReader inside(source, name, seek, seek ? held.size() : -1);
    Level below{inside, names, level.depth + 1};
    if (!readLevel(below) && !stopped_ && !ended_)
        rows_->error(names, inside.errorString());
}

// A member is read as a file of the tree is: a document named as one, or
// one whose content says so, in memory within the document bound; anything
// else streamed as text.
void ContainerScanner::readMember(Level &level, const QStringList &names) {
    const QString &name = names.constLast();
    FileScanner::Receiver &receiver = rows_->member(names);
    MemberBytes bytes(*this, level);
    const bool named = FileTypeFilter::IsRichTextType(name);
    FileScanner::Outcome outcome;
    if (named || bytes.beginsAsDocument()) {
        const bool whole = bytes.holdWhole(MaxDocumentBytes);
        if (stopped_ || ended_)
            return;
        if (bytes.failed())
            outcome = {true, false, level.reader.errorString()};
        else if (whole)
            outcome = scanner_.scanDocument(bytes.held(), name, receiver, !named);
        else if (named)
            outcome = {true, false, documenterrors::tooLarge()};
        if (!named && !outcome.document && !bytes.failed())
            outcome = scanner_.scanText(bytes, receiver);
    } else {
        outcome = scanner_.scanText(bytes, receiver);
    }
    if (!outcome.ok && !stopped_ && !ended_)
        rows_->error(names, outcome.error);
}

// A member's next bytes: 0 once a bound or a stop ends the reading.
qint64 ContainerScanner::readCounted(Level &level, char *to, qint64 room) {
    if (stopped_ || ended_)
        return 0;
    const qint64 n = level.reader.read(to, room);
    if (!within())
        return 0;
    return n;
}

// Counts what every open level unpacked since last asked (members passed
// over included); past the bound, the reading ends with its message.
bool ContainerScanner::within() {
    for (Level *level : open_) {
        const qint64 now = level->reader.unpackedBytes();
        unpacked_ += now - level->counted;
        level->counted = now;
    }
    if (unpacked_ <= bounds_.unpackedBytes)
        return true;
    if (!ended_) {
        ended_ = true;
        rows_->error(open_.back()->inner, tooMuchUnpacked(bounds_.unpackedBytes));
    }
    return false;
}
