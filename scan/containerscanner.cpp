#include "scan/containerscanner.h"

#include "documents/archivereader.h"
#include "documents/documenterrors.h"
#include "documents/documentsize.h"
#include "platform/inputfile.h"
#include "scan/filetypefilter.h"

namespace {

constexpr qint64 MaxUnpackedBytes = qint64{4} << 30;
constexpr qint64 UnpackedPerByte = 100;
/// Unpacked bytes between two asks whether the run goes on.
constexpr qint64 AskEvery = 256 * 1024;

} // namespace

/// One container being read: the reader of its members and where it lies.
struct ContainerScanner::Level {
    ArchiveReader &reader;
    QStringList inner; ///< the container's own names inside the file of the tree
    int depth = 1;
    qint64 counted = 0; ///< of reader.unpackedBytes(), what unpacked_ holds
};

/// A text member's bytes for the text reader, ended early at a bound or a stop.
class ContainerScanner::MemberBytes : public TextFileReader::Source {
  public:
    MemberBytes(ContainerScanner &scanner, Level &level) : scanner_(scanner), level_(level) {}
    qint64 read(char *to, qint64 room) override { return scanner_.readCounted(level_, to, room); }
    QString errorString() const override { return level_.reader.errorString(); }

  private:
    ContainerScanner &scanner_;
    Level &level_;
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
    return QStringLiteral("The archive nests more than %1 levels deep; what lies deeper is not read")
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

FileScanner::Outcome ContainerScanner::scan(const QString &path, Rows &rows,
                                            const Bounds &bounds) {
    platform::InputFile file;
    if (!file.open(path))
        return {false, false, file.errorString()};
    rows_ = &rows;
    bounds_ = bounds;
    unpacked_ = members_ = 0;
    stopped_ = ended_ = false;
    qint64 sinceAsked = 0;
    // The outer bytes are where a stop is noticed while libarchive passes
    // over members that are not read.
    ArchiveReader reader(
        [&](char *to, qint64 room) -> qint64 {
            if ((sinceAsked += room) >= AskEvery) {
                sinceAsked = 0;
                if (!rows.goOn())
                    stopped_ = true;
            }
            return stopped_ || ended_ ? -1 : file.read(to, room);
        },
        path);
    Level level{reader, {}};
    const bool read = readLevel(level);
    rows_ = nullptr;
    if (!read && !stopped_ && !ended_)
        return {false, false, reader.errorString()};
    return {};
}

// False when the container could not be read to its end.
bool ContainerScanner::readLevel(Level &level) {
    while (!stopped_ && !ended_) {
        const std::optional<ArchiveReader::Member> member = level.reader.next();
        if (!within(level) || stopped_)
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
            ArchiveReader inside(
                [&](char *to, qint64 room) { return readCounted(level, to, room); },
                member->name);
            Level below{inside, names, level.depth + 1};
            if (!readLevel(below) && !stopped_ && !ended_)
                rows_->error(names, inside.errorString());
        } else {
            readMember(level, names);
        }
    }
    return true;
}

void ContainerScanner::readMember(Level &level, const QStringList &names) {
    const QString &name = names.constLast();
    FileScanner::Outcome outcome;
    if (FileTypeFilter::IsRichTextType(name)) {
        // A document is read whole, as a file of the tree is, within the same bound.
        QByteArray bytes;
        char block[64 * 1024];
        qint64 n = 0;
        while ((n = readCounted(level, block, sizeof block)) > 0 &&
               bytes.size() + n <= MaxDocumentBytes)
            bytes.append(block, n);
        if (stopped_ || ended_)
            return;
        if (n < 0)
            outcome = {true, false, level.reader.errorString()};
        else if (n > 0)
            outcome = {true, false, documenterrors::tooLarge()};
        else
            outcome = scanner_.scanDocument(bytes, name, rows_->member(names));
    } else {
        MemberBytes bytes(*this, level);
        outcome = scanner_.scanText(bytes, rows_->member(names));
    }
    if (!outcome.ok && !stopped_ && !ended_)
        rows_->error(names, outcome.error);
}

// A member's next bytes: 0 once a bound or a stop ends the reading.
qint64 ContainerScanner::readCounted(Level &level, char *to, qint64 room) {
    if (stopped_ || ended_)
        return 0;
    const qint64 n = level.reader.read(to, room);
    if (!within(level))
        return 0;
    return n;
}

// Counts what the level unpacked since last asked; past the bound, the
// reading ends with its message.
bool ContainerScanner::within(Level &level) {
    const qint64 now = level.reader.unpackedBytes();
    unpacked_ += now - level.counted;
    level.counted = now;
    if (unpacked_ <= bounds_.unpackedBytes)
        return true;
    if (!ended_) {
        ended_ = true;
        rows_->error(level.inner, tooMuchUnpacked(bounds_.unpackedBytes));
    }
    return false;
}
