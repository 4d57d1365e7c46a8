// PowerPoint 97-2003 presentations: a tree of records in the "PowerPoint
// Document" stream. Text atoms hold the text of slides, notes and shapes.
//
// A presentation saved incrementally keeps the old copies of the records it
// changed; only the persist objects that the newest edit's directory names
// are the presentation the user sees. The Current User stream leads to that
// edit, and each edit to the one before it, back to the first save.
#include "documents/powerpointtext.h"

#include "documents/objectpool.h"

#include "platform/codepage.h"
#include "platform/littleendian.h"

#include <QSet>
#include <QtEndian>

#include <zlib.h>

#include <algorithm>
#include <limits>
#include <optional>
#include <vector>

namespace {

enum Record : quint16 {
    Document = 0x03E8,
    DocumentAtom = 0x03E9,
    Slide = 0x03EE,
    Notes = 0x03F0,
    NotesAtom = 0x03F1,
    SlidePersist = 0x03F3,
    MainMaster = 0x03F8,
    SlideList = 0x0FF0,
    Handout = 0x0FC9,
    TextChars = 0x0FA0,
    TextBytes = 0x0FA8,
    CString = 0x0FBA,
    HeadersFooters = 0x0FD9,
    Comment = 0x2EE0,
    BinaryTagData = 0x138B,
    Placeholder = 0x0BC3,
    ShapeContainer = 0xF004,
    ClientData = 0xF011,
    UserEdit = 0x0FF5,
    ExOleObjStg = 0x1011,
    PersistDirectory = 0x1772
};

/// The instances of slide lists: the slides, and the main and title masters.
constexpr quint16 SlidesList = 0, MastersList = 1;
/// The instance of a comment's initials, shown by neither slide nor comment.
constexpr quint16 CommentInitials = 2;
constexpr int MaxDepth = 64;

using littleendian::u16;
using littleendian::u32;

struct Header {
    quint16 type = 0, instance = 0;
    qsizetype at = 0, body = 0, end = 0;
};

/// The record at `at`, when it lies whole inside `limit`.
std::optional<Header> recordAt(QByteArrayView doc, qsizetype at, qsizetype limit) {
    if (at < 0 || at + 8 > limit)
        return {};
    const qsizetype end = at + 8 + qsizetype(u32(doc, at + 4));
    if (end > limit)
        return {};
    return Header{u16(doc, at + 2), quint16(u16(doc, at) >> 4), at, at + 8, end};
}
std::optional<Header> recordAt(QByteArrayView doc, qsizetype at) {
    return recordAt(doc, at, doc.size());
}

struct PersistEntry {
    quint32 id, offset;
};
/// Persist object ids and their stream offsets, sorted by id once complete.
using PersistMap = std::vector<PersistEntry>;
constexpr quint32 Absent = 0xFFFFFFFF;

/// Sorts the entries by id, keeping for each id the one read first: the
/// directories are read newest first.
void completeMap(PersistMap &persist) {
    const auto byId = [](const PersistEntry &a, const PersistEntry &b) { return a.id < b.id; };
    std::stable_sort(persist.begin(), persist.end(), byId);
    const auto sameId = [](const PersistEntry &a, const PersistEntry &b) { return a.id == b.id; };
    persist.erase(std::unique(persist.begin(), persist.end(), sameId), persist.end());
}

quint32 offsetOf(const PersistMap &persist, quint32 id) {
    const auto it = std::lower_bound(persist.begin(), persist.end(), id,
                                     [](const PersistEntry &e, quint32 id) { return e.id < id; });
    return it != persist.end() && it->id == id ? it->offset : Absent;
}

/// Adds the entries of a persist directory. False when the directory is
/// damaged or, over all directories, more entries are read than the stream
/// can hold (overlapping directories).
bool readDirectory(QByteArrayView doc, qsizetype at, PersistMap &persist, qsizetype &budget) {
    const auto dir = recordAt(doc, at);
    if (!dir || dir->type != PersistDirectory)
        return false;
    for (qsizetype p = dir->body; p + 4 <= dir->end;) {
        const quint32 head = u32(doc, p);
        const quint32 first = head & 0xFFFFF, count = head >> 20;
        p += 4;
        budget -= count;
        if (p + 4 * qsizetype(count) > dir->end || budget < 0)
            return false;
        for (quint32 i = 0; i < count; ++i, p += 4)
            persist.push_back({first + i, u32(doc, p)});
    }
    return true;
}

struct Edits {
    PersistMap persist;
    quint32 document = 0;
};

/// The persist directory as the newest edit sees it, each edit followed back
/// to the first save. Nothing when a link is damaged or the chain loops: the
/// objects of the edits not reached would be missing.
std::optional<Edits> readEdits(QByteArrayView doc, QByteArrayView currentUser) {
    if (currentUser.size() < 20)
        return {};
    Edits edits;
    QSet<quint32> seen, directories;
    qsizetype budget = doc.size() / 4;
    for (quint32 at = u32(currentUser, 16); at != 0;) {
        const auto edit = recordAt(doc, at);
        if (!edit || edit->type != UserEdit || edit->end - edit->body < 20 || seen.contains(at))
            return {};
        if (seen.isEmpty())
            edits.document = u32(doc, edit->body + 16);
        seen.insert(at);
        const quint32 directory = u32(doc, edit->body + 12);
        if (!directories.contains(directory) &&
            !readDirectory(doc, directory, edits.persist, budget))
            return {};
        directories.insert(directory);
        at = u32(doc, edit->body + 8);
    }
    completeMap(edits.persist);
    return edits;
}

/// Whether eight zero bytes start at `at`: a gap a save left in the stream.
bool zeroFilled(QByteArrayView doc, qsizetype at) {
    return at + 8 <= doc.size() && u32(doc, at) == 0 && u32(doc, at + 4) == 0;
}

/// Whether every offset of the directory is where one of the stream's
/// top-level records starts: the only places a persist object can be. The
/// records after a zero-filled gap start where the directory says.
bool allTopLevel(QByteArrayView doc, const PersistMap &persist) {
    std::vector<quint32> offsets;
    offsets.reserve(persist.size());
    for (const PersistEntry &entry : persist)
        offsets.push_back(entry.offset);
    std::sort(offsets.begin(), offsets.end());
    offsets.erase(std::unique(offsets.begin(), offsets.end()), offsets.end());
    qsizetype at = 0;
    for (const quint32 offset : offsets) {
        while (at < offset) {
            const auto record = recordAt(doc, at);
            if (!record)
                return false;
            at = zeroFilled(doc, at) ? qsizetype(offset) : record->end;
        }
        if (at != offset || !recordAt(doc, at))
            return false;
    }
    return true;
}

/// What the document container says about the other persist objects: the
/// slides and notes it lists, the slides' own ids, and the masters that hold
/// placeholder text.
struct Listed {
    QSet<quint32> shown, masters, slideIds;
};

void readSlideList(QByteArrayView doc, const Header &list, Listed &listed) {
    QSet<quint32> &ids = list.instance == MastersList ? listed.masters : listed.shown;
    for (auto child = recordAt(doc, list.body, list.end); child;
         child = recordAt(doc, child->end, list.end)) {
        if (child->type != SlidePersist || child->end - child->body < 4)
            continue;
        ids.insert(u32(doc, child->body));
        if (list.instance == SlidesList && child->end - child->body >= 16)
            if (const quint32 slideId = u32(doc, child->body + 12))
                listed.slideIds.insert(slideId);
    }
}

/// The id of the slide a notes page belongs to, from its first atom.
quint32 notesSlide(QByteArrayView doc, const Header &notes) {
    const auto atom = recordAt(doc, notes.body, notes.end);
    return atom && atom->type == NotesAtom && atom->end - atom->body >= 4 ? u32(doc, atom->body)
                                                                          : 0;
}

/// Whether the object is a slide or notes page the user no longer sees. Notes
/// belong to the presentation when listed or when their slide is.
bool dropped(QByteArrayView doc, const Header &object, quint32 id, const Listed &listed) {
    if (object.type == Slide)
        return !listed.shown.contains(id);
    if (object.type == Notes)
        return !listed.shown.contains(id) && !listed.slideIds.contains(notesSlide(doc, object));
    return false;
}

std::optional<Listed> readListed(QByteArrayView doc, const Header &document) {
    Listed listed;
    qsizetype at = document.body;
    for (auto child = recordAt(doc, at, document.end); child;
         child = recordAt(doc, at, document.end)) {
        if (child->type == DocumentAtom && child->end - child->body >= 32) {
            for (const qsizetype field : {24, 28}) // notes master, handout master
                if (const quint32 id = u32(doc, child->body + field))
                    listed.masters.insert(id);
        } else if (child->type == SlideList)
            readSlideList(doc, *child, listed);
        at = child->end;
    }
    if (at + 8 <= document.end)
        return {}; // a child runs past its container
    return listed;
}

/// Whether a shape is a placeholder: on a master its text is the prompt
/// ("Click to edit ...") that no slide shows.
bool isPlaceholder(QByteArrayView doc, const Header &shape) {
    for (auto child = recordAt(doc, shape.body, shape.end); child;
         child = recordAt(doc, child->end, shape.end))
        if (child->type == ClientData)
            for (auto inner = recordAt(doc, child->body, child->end); inner;
                 inner = recordAt(doc, inner->end, child->end))
                if (inner->type == Placeholder)
                    return true;
    return false;
}

bool isMaster(quint16 type) {
    return type == MainMaster || type == Handout;
}

class Walker {
  public:
    Walker(QByteArrayView doc, QSet<quint32> masters, QString &text, StopToken stop)
        : doc_(doc), masters_(std::move(masters)), text_(text), stop_(stop) {}

    /// Masters show on the slides what they hold but their placeholders.
    void walk(qsizetype from, qsizetype to, int depth, bool master = false, quint16 parent = 0) {
        for (qsizetype at = from; at + 8 <= to && !stop_.stopped();) {
            const quint16 type = u16(doc_, at + 2), instance = u16(doc_, at) >> 4;
            // A tag's data (where comments live) holds records but is no container.
            const bool container = (u16(doc_, at) & 0xF) == 0xF || type == BinaryTagData;
            const qsizetype end = qMin<qsizetype>(at + 8 + qsizetype(u32(doc_, at + 4)), to);
            const QByteArrayView body = doc_.sliced(at + 8, end - at - 8);
            const bool inMaster = master || isMaster(type) || masters_.contains(quint32(at));
            if (container && depth < MaxDepth) {
                if (!prompts(inMaster, Header{type, instance, at, at + 8, end}))
                    walk(at + 8, end, depth + 1, inMaster, type);
            } else if (type == TextChars || (type == CString && shownString(parent, instance))) {
                add(platform::fromUtf16LE(body));
            } else if (type == TextBytes) {
                add(QString::fromLatin1(body));
            }
            at = end;
        }
    }

  private:
    /// Whether the container holds only the masters' placeholder prompts:
    /// a placeholder shape of a master, or the masters' outline text that the
    /// document keeps in its list of masters.
    bool prompts(bool master, const Header &container) const {
        if (container.type == SlideList)
            return container.instance == MastersList;
        return master && container.type == ShapeContainer && isPlaceholder(doc_, container);
    }

    /// Strings shown on slides: footers, headers and dates, comments' authors and text.
    static bool shownString(quint16 parent, quint16 instance) {
        return parent == HeadersFooters || (parent == Comment && instance != CommentInitials);
    }

    void add(QString text) {
        text.replace(u'\r', QStringLiteral("\r\n")).replace(u'\v', QStringLiteral("\r\n"));
        text_ += text + QStringLiteral("\r\n");
    }

    QByteArrayView doc_;
    QSet<quint32> masters_;
    QString &text_;
    StopToken stop_;
};

/// The text of the persist objects the newest edit uses: the document
/// container first (its slide lists hold the slides' and notes' text), then
/// the other objects in id order, each once; masters without their
/// placeholders. Slides and notes that the document no longer lists are left out. False when the
/// edits, the directory or the document container are damaged.
bool liveText(QByteArrayView doc, QByteArrayView currentUser, QString &text, StopToken stop) {
    const auto edits = readEdits(doc, currentUser);
    if (!edits || !allTopLevel(doc, edits->persist))
        return false;
    const auto document = recordAt(doc, offsetOf(edits->persist, edits->document));
    if (!document || document->type != Document)
        return false;
    const auto listed = readListed(doc, *document);
    if (!listed)
        return false;

    Walker walker(doc, {}, text, stop);
    walker.walk(document->at, document->end, 0);
    QSet<qsizetype> read{document->at};
    for (const auto &[id, offset] : edits->persist) {
        const auto object = recordAt(doc, offset);
        if (!object || read.contains(object->at))
            continue;
        const bool master = listed->masters.contains(id);
        if (!master && dropped(doc, *object, id, *listed))
            continue;
        read.insert(object->at);
        walker.walk(object->at, object->end, 0, master);
    }
    return true;
}

/// For a damaged presentation: the stream offsets of the notes master and
/// handout master, found through the current edit's persist directory and
/// the first DocumentAtom of the stream.
QSet<quint32> masterOffsets(QByteArrayView doc, QByteArrayView user) {
    QSet<quint32> offsets;
    const auto edit = recordAt(doc, u32(user, 8 + 8));
    if (!edit || edit->type != UserEdit)
        return offsets;
    PersistMap persist;
    qsizetype budget = doc.size() / 4;
    readDirectory(doc, u32(doc, edit->body + 12), persist, budget);
    completeMap(persist);
    for (qsizetype at = 0; at + 8 <= doc.size(); at += 8) {
        if (u16(doc, at + 2) == DocumentAtom) {
            for (const qsizetype field : {24, 28})
                if (const quint32 id = u32(doc, at + 8 + field);
                    id && offsetOf(persist, id) != Absent)
                    offsets.insert(offsetOf(persist, id));
            break;
        }
        if ((u16(doc, at) & 0xF) != 0xF) // only step into containers
            at += u32(doc, at + 4);
    }
    return offsets;
}

/// The stream offsets of the top-level records that may be persist objects:
/// those the newest edit names, or every one when the edits are damaged.
std::vector<quint32> objectOffsets(QByteArrayView doc, QByteArrayView currentUser) {
    std::vector<quint32> offsets;
    if (const auto edits = readEdits(doc, currentUser)) {
        for (const PersistEntry &entry : edits->persist)
            offsets.push_back(entry.offset);
        return offsets;
    }
    for (auto record = recordAt(doc, 0); record; record = recordAt(doc, record->end))
        offsets.push_back(quint32(record->at));
    return offsets;
}

/// Inflates a zlib stream to at most `size` bytes: a record that holds more
/// than it says (a bomb) gives its first `size` bytes.
QByteArray inflated(QByteArrayView zlib, quint32 size) {
    QByteArray out(size, Qt::Uninitialized);
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return {};
    z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(zlib.data()));
    z.avail_in = uInt(qMin<qsizetype>(zlib.size(), std::numeric_limits<uInt>::max()));
    z.next_out = reinterpret_cast<Bytef *>(out.data());
    z.avail_out = size;
    inflate(&z, Z_FINISH);
    out.truncate(size - z.avail_out);
    inflateEnd(&z);
    return out;
}

/// An embedded object's compound file, inflated when it was kept compressed.
QByteArray objectBytes(QByteArrayView doc, const Header &record) {
    const QByteArrayView body = doc.sliced(record.body, record.end - record.body);
    if (record.instance != 1)
        return body.toByteArray();
    const quint32 size = u32(body, 0);
    return body.size() > 4 && size <= MaxEmbeddedBytes ? inflated(body.sliced(4), size)
                                                       : QByteArray();
}

} // namespace

namespace officetext {

void powerPointObjects(const CompoundFile &file, quint32 storage,
                       std::vector<EmbeddedFile> &objects) {
    const QByteArray doc = file.stream(file.find(storage, u"PowerPoint Document"));
    const QByteArray user = file.stream(file.find(storage, u"Current User"));
    QSet<quint32> read;
    for (const quint32 offset : objectOffsets(doc, user)) {
        const auto record = recordAt(doc, offset);
        if (!record || record->type != ExOleObjStg || read.contains(offset))
            continue;
        read.insert(offset);
        const QByteArray bytes = objectBytes(doc, *record);
        if (CompoundFile object; object.open(bytes))
            objects.push_back(embeddedObject(object, 0, int(objects.size()) + 1, bytes));
    }
}

Outcome powerPointText(const CompoundFile &file, quint32 storage, QString &text, StopToken stop) {
    const quint32 entry = file.find(storage, u"PowerPoint Document");
    if (entry == CompoundFile::NoEntry)
        return Outcome::NotThisFormat;
    if (file.find(storage, u"EncryptedSummary") != CompoundFile::NoEntry)
        return Outcome::Encrypted;
    return powerPointStreamsText(file.stream(entry),
                                 file.stream(file.find(storage, u"Current User")), text, stop);
}

Outcome powerPointStreamsText(QByteArrayView document, QByteArrayView currentUser, QString &text,
                              StopToken stop) {
    if (!liveText(document, currentUser, text, stop))
        Walker(document, masterOffsets(document, currentUser), text, stop)
            .walk(0, document.size(), 0);
    return Outcome::Text;
}

} // namespace officetext
