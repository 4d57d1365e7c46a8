// PowerPoint text from streams written record by record: incremental saves,
// damaged edit chains and masters.
#include "documents/compoundwriter.h"
#include "documents/exceltext.h"
#include "documents/powerpointtext.h"
#include "tests/support/recordbytes.h"

#include <QMap>
#include <QtEndian>
#include <gtest/gtest.h>

namespace {

enum : quint16 {
    Document = 0x03E8,
    DocumentAtom = 0x03E9,
    Slide = 0x03EE,
    Notes = 0x03F0,
    NotesAtom = 0x03F1,
    SlidePersist = 0x03F3,
    MainMaster = 0x03F8,
    ExObjList = 0x0409,
    Drawing = 0x040C,
    Handout = 0x0FC9,
    SlideList = 0x0FF0,
    TextChars = 0x0FA0,
    UserEdit = 0x0FF5,
    ExOleObjStg = 0x1011,
    CurrentUser = 0x0FF6,
    PersistDirectory = 0x1772,
    CString = 0x0FBA,
    HeadersFooters = 0x0FD9,
    Comment = 0x2EE0,
    ProgTags = 0x1388,
    BinaryTag = 0x138A,
    BinaryTagData = 0x138B,
    Placeholder = 0x0BC3,
    Shape = 0xF004,
    ClientData = 0xF011,
    ClientTextbox = 0xF00D
};
enum : quint16 { SlidesList = 0, MastersList = 1, NotesList = 2 };

void patch32(QByteArray &bytes, qsizetype at, quint32 v) {
    bytes.replace(at, 4, le32(v));
}

QByteArray atom(quint16 type, const QByteArray &body, quint16 instance = 0) {
    return le16(quint16(instance << 4)) + le16(type) + le32(body.size()) + body;
}
QByteArray container(quint16 type, const QByteArrayList &children, quint16 instance = 0) {
    const QByteArray body = children.join();
    return le16(quint16(instance << 4 | 0xF)) + le16(type) + le32(body.size()) + body;
}
QByteArray chars(const QString &text) {
    return atom(TextChars,
                QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2));
}
/// A slide, notes or master whose one shape holds the text.
QByteArray sheet(quint16 type, const QString &text) {
    return container(type, {container(Drawing, {chars(text)})});
}
/// A slide list: each listed persist id, followed by its text when given.
QByteArray slideList(quint16 instance, const QList<quint32> &ids, const QStringList &texts = {}) {
    QByteArrayList children;
    for (qsizetype i = 0; i < ids.size(); ++i) {
        children << atom(SlidePersist, le32(ids[i]) + QByteArray(16, '\0'));
        if (i < texts.size())
            children << chars(texts[i]);
    }
    return container(SlideList, children, instance);
}
QByteArray document(const QByteArrayList &lists, quint32 notesMaster = 0, quint32 handout = 0) {
    const QByteArray documentAtom = atom(DocumentAtom, QByteArray(24, '\0') + le32(notesMaster) +
                                                           le32(handout) + QByteArray(8, '\0'));
    return container(Document, QByteArrayList{documentAtom} + lists);
}

/// A "PowerPoint Document" stream written save by save, as an incremental
/// save appends to it, with the Current User stream naming its last edit.
struct Presentation {
    QByteArray bytes;
    quint32 lastEdit = 0;

    quint32 add(const QByteArray &record) {
        const quint32 at = bytes.size();
        bytes += record;
        return at;
    }
    quint32 directory(const QMap<quint32, quint32> &objects) {
        QByteArray body;
        for (auto it = objects.cbegin(); it != objects.cend(); ++it)
            body += le32(it.key() | 1u << 20) + le32(it.value());
        return add(atom(PersistDirectory, body));
    }
    quint32 edit(quint32 directory, quint32 documentId = 1) {
        lastEdit = add(atom(UserEdit, le32(0) + le32(0) + le32(lastEdit) + le32(directory) +
                                          le32(documentId) + le32(0) + le32(0)));
        return lastEdit;
    }
    quint32 save(const QMap<quint32, quint32> &objects) { return edit(directory(objects)); }
    QByteArray currentUser() const {
        return atom(CurrentUser, le32(20) + le32(0xE391C05F) + le32(lastEdit) + le16(0) +
                                     le16(0x03F4) + le32(3));
    }
};

QString textOf(const QByteArray &doc, const QByteArray &currentUser) {
    QString text;
    EXPECT_EQ(officetext::powerPointStreamsText(doc, currentUser, text), Outcome::Text);
    return text;
}

/// A presentation saved twice: the second save changed the first slide's
/// title and shape, deleted the second slide and gave the first slide notes.
struct TwoSaves : Presentation {
    quint32 firstEdit, newDocument, newSlide, notes;

    TwoSaves() {
        const quint32 oldDocument =
            add(document({slideList(SlidesList, {2, 3}, {"OldWord", "DroppedTitle"})}));
        const quint32 oldSlide = add(sheet(Slide, "OldShape"));
        const quint32 dropped = add(sheet(Slide, "DroppedShape"));
        firstEdit = save({{1, oldDocument}, {2, oldSlide}, {3, dropped}});
        newDocument =
            add(document({slideList(SlidesList, {2}, {"NewWord"}), slideList(NotesList, {4})}));
        newSlide = add(sheet(Slide, "NewShape"));
        notes = add(sheet(Notes, "NotesWord"));
    }
    void saveAgain() { save({{1, newDocument}, {2, newSlide}, {4, notes}}); }
};

TEST(PowerPointText, IncrementalSaveGivesOnlyTheTextThePresentationShows) {
    TwoSaves p;
    p.saveAgain();
    EXPECT_EQ(textOf(p.bytes, p.currentUser()), "NewWord\r\nNewShape\r\nNotesWord\r\n");
    // The stream does keep the old copies: the whole-stream reading finds them.
    EXPECT_TRUE(textOf(p.bytes, {}).contains(u"OldWord"));
}

TEST(PowerPointText, AnObjectNamedByTwoIdsIsReadOnce) {
    Presentation p;
    const quint32 doc = p.add(document({slideList(SlidesList, {}, {})}));
    const quint32 shared = p.add(container(ExObjList, {chars("SharedWord")}));
    p.save({{1, doc}, {2, shared}, {3, shared}, {4, doc}});
    EXPECT_EQ(textOf(p.bytes, p.currentUser()), "SharedWord\r\n");
}

TEST(PowerPointText, DamagedEditsStillGiveTheText) {
    const std::vector<std::pair<const char *, std::function<QByteArray(TwoSaves &)>>> damages = {
        {"no current user",
         [](TwoSaves &p) {
             p.saveAgain();
             return QByteArray();
         }},
        {"current edit outside the stream",
         [](TwoSaves &p) {
             p.saveAgain();
             p.lastEdit = 0xFFFFFFF0;
             return p.currentUser();
         }},
        {"edit loops on itself",
         [](TwoSaves &p) {
             const quint32 edit = p.save({{1, p.newDocument}});
             patch32(p.bytes, edit + 16, edit);
             return p.currentUser();
         }},
        {"first save points back to the last",
         [](TwoSaves &p) {
             p.saveAgain();
             patch32(p.bytes, p.firstEdit + 16, p.lastEdit);
             return p.currentUser();
         }},
        {"directory outside the stream",
         [](TwoSaves &p) {
             p.edit(0xFFFFFF00);
             return p.currentUser();
         }},
        {"object in the middle of a record",
         [](TwoSaves &p) {
             p.save({{1, p.newDocument}, {2, p.newSlide + 8}});
             return p.currentUser();
         }},
        {"directory claiming 4095 ids at every entry",
         [](TwoSaves &p) {
             p.edit(p.add(atom(PersistDirectory, QByteArray(4 << 20, '\xFF'))));
             return p.currentUser();
         }},
        {"every entry claiming 4095 ids of the document",
         [](TwoSaves &p) {
             const QByteArray entry = le32(4095u << 20 | 1) + le32(p.newDocument).repeated(4095);
             p.edit(p.add(atom(PersistDirectory, entry.repeated(256))));
             return p.currentUser();
         }},
        {"directory longer than the stream",
         [](TwoSaves &p) {
             const quint32 dir = p.directory({{1, p.newDocument}});
             patch32(p.bytes, dir + 4, 0xFFFFFFF0);
             p.edit(dir);
             return p.currentUser();
         }},
    };
    for (const auto &[name, damage] : damages) {
        SCOPED_TRACE(name);
        TwoSaves p;
        const QByteArray currentUser = damage(p);
        EXPECT_TRUE(textOf(p.bytes, currentUser).contains(u"NewWord"));
    }
}

QByteArray string(const QString &text, quint16 instance) {
    return atom(CString, QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2),
                instance);
}
/// A master's two shapes: a text box and a placeholder showing its prompt.
QByteArray master(quint16 type, const QString &fixed, const QString &prompt) {
    const QByteArray textBox = container(Shape, {container(ClientTextbox, {chars(fixed)})});
    const QByteArray placeholder =
        container(Shape, {container(ClientData, {atom(Placeholder, QByteArray(8, '\0'))}),
                          container(ClientTextbox, {chars(prompt)})});
    return container(type, {container(Drawing, {textBox, placeholder})});
}

TEST(PowerPointText, MastersShowTheirTextButNotTheirPromptsWhetherTheEditsAreSoundOrNot) {
    Presentation p;
    const quint32 doc = p.add(document({slideList(MastersList, {2, 5}, {"ListedPrompt"}),
                                        slideList(SlidesList, {6}, {"SlideWord"}),
                                        container(HeadersFooters, {string("FooterWord", 2)}, 3)},
                                       3, 4));
    const quint32 mainMaster = p.add(master(MainMaster, "MainMasterWord", "MainPrompt"));
    const quint32 notesMaster = p.add(master(Notes, "NotesMasterWord", "NotesPrompt"));
    const quint32 handout = p.add(master(Handout, "HandoutWord", "HandoutPrompt"));
    const quint32 titleMaster = p.add(master(Slide, "TitleMasterWord", "TitlePrompt"));
    const quint32 slide = p.add(sheet(Slide, "ShapeWord"));
    const quint32 edit = p.save(
        {{1, doc}, {2, mainMaster}, {3, notesMaster}, {4, handout}, {5, titleMaster}, {6, slide}});
    EXPECT_EQ(textOf(p.bytes, p.currentUser()),
              "SlideWord\r\nFooterWord\r\nMainMasterWord\r\nNotesMasterWord\r\nHandoutWord\r\n"
              "TitleMasterWord\r\nShapeWord\r\n");

    patch32(p.bytes, edit + 16, edit); // the chain now loops
    const QString whole = textOf(p.bytes, p.currentUser());
    for (const char16_t *word : {u"MainMasterWord", u"NotesMasterWord", u"HandoutWord"})
        EXPECT_TRUE(whole.contains(word)) << QString::fromUtf16(word).toStdString();
    for (const char16_t *word : {u"MainPrompt", u"NotesPrompt", u"HandoutPrompt", u"ListedPrompt"})
        EXPECT_FALSE(whole.contains(word)) << QString::fromUtf16(word).toStdString();
}

TEST(PowerPointText, CommentsGiveAuthorAndTextButNotInitials) {
    Presentation p;
    const QByteArray comment =
        container(Comment, {string("AuthorName", 0), string("CommentWord", 1), string("AN", 2)});
    const QByteArray tags = container(
        ProgTags, {container(BinaryTag, {string("___PPT10", 0), atom(BinaryTagData, comment)})});
    const quint32 doc = p.add(document({slideList(SlidesList, {2})}));
    const quint32 slide = p.add(container(Slide, {tags}));
    p.save({{1, doc}, {2, slide}});
    EXPECT_EQ(textOf(p.bytes, p.currentUser()), "AuthorName\r\nCommentWord\r\n");
}

/// A notes page that names its slide by the slide's id, as every notes page does.
QByteArray notesOf(quint32 slideId, const QString &text) {
    return container(Notes,
                     {atom(NotesAtom, le32(slideId) + le32(0)), container(Drawing, {chars(text)})});
}
/// A slide list entry with the slide's own id as well as its persist id.
QByteArray slidesWithIds(const QList<std::pair<quint32, quint32>> &persistAndSlideIds) {
    QByteArrayList children;
    for (const auto &[persist, slideId] : persistAndSlideIds)
        children << atom(SlidePersist,
                         le32(persist) + QByteArray(8, '\0') + le32(slideId) + le32(0));
    return container(SlideList, children, SlidesList);
}

TEST(PowerPointText, NotesOfEveryLiveSlideAreReadListedOrNot) {
    Presentation p;
    // Only the first notes page is in the notes list; the second names its
    // live slide; the third belongs to a slide no longer shown.
    const quint32 doc =
        p.add(document({slidesWithIds({{2, 256}, {3, 257}}), slideList(NotesList, {4})}));
    const quint32 first = p.add(sheet(Slide, "FirstSlide"));
    const quint32 second = p.add(sheet(Slide, "SecondSlide"));
    const quint32 listedNotes = p.add(notesOf(256, "ListedNotes"));
    const quint32 unlistedNotes = p.add(notesOf(257, "UnlistedNotes"));
    const quint32 orphanNotes = p.add(notesOf(300, "OrphanNotes"));
    p.save({{1, doc},
            {2, first},
            {3, second},
            {4, listedNotes},
            {5, unlistedNotes},
            {6, orphanNotes}});
    EXPECT_EQ(textOf(p.bytes, p.currentUser()),
              "FirstSlide\r\nSecondSlide\r\nListedNotes\r\nUnlistedNotes\r\n");
}

TEST(PowerPointText, ObjectsAfterAZeroFilledGapAreReadThroughTheEdits) {
    TwoSaves p;
    p.bytes += QByteArray(13, '\0'); // not a whole number of record headers
    const quint32 slide = p.add(sheet(Slide, "AfterTheGap"));
    p.save({{1, p.newDocument}, {2, slide}, {4, p.notes}});
    // Read through the edits: the old slides' words stay out.
    EXPECT_EQ(textOf(p.bytes, p.currentUser()), "NewWord\r\nAfterTheGap\r\nNotesWord\r\n");
}

/// A compound file holding a workbook whose one cell is the word.
QByteArray workbookFile(const QByteArray &word) {
    const QByteArray bof =
        le16(0x0809) + le16(16) + le16(0x0600) + le16(0x0010) + QByteArray(12, '\0');
    const QByteArray label = le16(0x0204) + le16(quint16(9 + word.size())) + le16(0) + le16(0) +
                             le16(0) + le16(quint16(word.size())) + '\0' + word;
    CompoundWriter writer;
    writer.addStream(0, QStringLiteral("Workbook"), bof + label + le32(0x000A));
    return writer.write();
}

TEST(PowerPointText, EmbeddedObjectsAreCarriedCompressedOrNot) {
    Presentation p;
    const QByteArray plain = workbookFile("PlainWord");
    const QByteArray packed = workbookFile("PackedWord");
    const quint32 doc = p.add(document({slideList(SlidesList, {})}));
    const quint32 first = p.add(atom(ExOleObjStg, plain));
    const quint32 second =
        p.add(atom(ExOleObjStg, le32(packed.size()) + qCompress(packed).mid(4), 1));
    // Sixteen megabytes of zeros that claim to be a hundred bytes: no object.
    const quint32 bomb =
        p.add(atom(ExOleObjStg, le32(100) + qCompress(QByteArray(1 << 24, '\0')).mid(4), 1));
    const quint32 stale = p.add(atom(ExOleObjStg, workbookFile("StaleWord")));
    p.save({{1, doc}, {2, first}, {3, second}, {4, bomb}});
    Q_UNUSED(stale); // an old copy no edit names

    CompoundWriter writer;
    writer.addStream(0, QStringLiteral("PowerPoint Document"), p.bytes);
    writer.addStream(0, QStringLiteral("Current User"), p.currentUser());
    const QByteArray bytes = writer.write();
    CompoundFile file;
    ASSERT_TRUE(file.open(bytes));
    std::vector<EmbeddedFile> objects;
    officetext::powerPointObjects(file, 0, objects);
    ASSERT_EQ(objects.size(), 2u);
    const std::pair<size_t, const char16_t *> expected[] = {{0, u"PlainWord"}, {1, u"PackedWord"}};
    for (const auto &[i, word] : expected) {
        EXPECT_EQ(objects[i].name, QStringLiteral("Object %1").arg(i + 1));
        CompoundFile inner;
        ASSERT_TRUE(inner.open(objects[i].bytes));
        QString text;
        EXPECT_EQ(officetext::excelText(inner, 0, text), Outcome::Text);
        EXPECT_TRUE(text.contains(word)) << text.toStdString();
    }
}

} // namespace
