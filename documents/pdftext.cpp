// PDF text through poppler's core: the same text device its own pdftotext
// uses, fed page by page with a budget, so that one giant page costs a bounded
// time and memory and the pages after it are still read. Poppler keeps
// process-wide state (its global parameters, the error callback): both are set
// up once here; each document and its pages are used by one thread only.
#include "documents/pdftext.h"

#include "documents/textwriter.h"

#include <poppler-document.h>
#include <poppler-global.h>

#include <Annot.h>
#include <Error.h>
#include <ErrorCodes.h>
#include <GlobalParams.h>
#include <PDFDoc.h>
#include <PDFDocEncoding.h>
#include <Page.h>
#include <Stream.h>
#include <TextOutputDev.h>

#include <QStringDecoder>
#include <QStringTokenizer>
#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>

namespace {

using Clock = std::chrono::steady_clock;

/// Poppler writes its complaints about damaged files to stderr; a scan shows
/// none of them.
void quiet(const std::string &, void *) {}
void quietCore(ErrorCategory, Goffset, const char *) {}

/// The smallest whole document: one empty page.
constexpr char EmptyPdf[] = "%PDF-1.4\n"
                            "1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
                            "2 0 obj<</Type/Pages/Kids[3 0 R]/Count 1>>endobj\n"
                            "3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 1 1]>>endobj\n"
                            "xref\n0 4\n"
                            "0000000000 65535 f \n"
                            "0000000009 00000 n \n"
                            "0000000052 00000 n \n"
                            "0000000101 00000 n \n"
                            "trailer<</Size 4/Root 1 0 R>>\nstartxref\n160\n%%EOF\n";

/// Poppler loads its global parameters (font and encoding tables) when a
/// first document opens and drops them when the last one closes: a document
/// kept open for the whole run spares every PDF of a tree that cost, and
/// keeps them for the attached-files reader too.
void preparePoppler() {
    static std::once_flag once;
    static std::unique_ptr<poppler::document> keeper;
    std::call_once(once, [] {
        poppler::set_data_dir(pdfDataFolder());
        poppler::set_debug_error_function(quiet, nullptr);
        keeper.reset(poppler::document::load_from_raw_data(EmptyPdf, int(sizeof EmptyPdf - 1)));
        setErrorCallback(quietCore);
    });
}

/// Pages read at most: more than any real document has.
constexpr int MaxPages = 100000;

/// What one page may cost: real pages take milliseconds and lay out a few
/// thousand characters; a crafted one is cut here and the next page is read.
constexpr auto PageTime = std::chrono::seconds(2);
constexpr qint64 PageCharacters = 2'000'000;
constexpr qint64 PageForms = 200'000;
/// What the whole document may cost, inside the worker's own deadline.
constexpr auto DocumentTime = std::chrono::seconds(7);

/// The text device with a budget: past it, characters are no longer laid
/// out and forms are no longer entered, and the abort check ends the page.
/// Each page's text is laid out in reading order into text() as it ends.
class PageText final : public TextOutputDev {
  public:
    PageText(StopToken stop, Clock::time_point documentEnd)
        : TextOutputDev(&PageText::collect, &text_, false, 0, false), stop_(stop),
          documentEnd_(documentEnd) {}

    std::string &text() { return text_; }

    void beginPage() {
        pageEnd_ = std::min(Clock::now() + PageTime, documentEnd_);
        characters_ = forms_ = 0;
        cut_ = false;
    }
    /// True once the page's budget is spent; it stays spent for the page.
    bool spent() {
        if (!cut_)
            cut_ = characters_ > PageCharacters || forms_ > PageForms || stop_.stopped() ||
                   Clock::now() > pageEnd_;
        return cut_;
    }
    bool cut() const { return cut_; }
    bool documentTimeSpent() const { return Clock::now() > documentEnd_; }

    void drawChar(GfxState *state, double x, double y, double dx, double dy, double originX,
                  double originY, CharCode c, int nBytes, const Unicode *u, int uLen) override {
        if (++characters_ > PageCharacters)
            return;
        TextOutputDev::drawChar(state, x, y, dx, dy, originX, originY, c, nBytes, u, uLen);
    }
    // A form asked for once the budget is spent is handed to drawForm(),
    // which draws nothing: forms nested wide and deep end there.
    bool useDrawForm() override { return ++forms_ > PageForms || spent(); }
    void drawForm(Ref) override {}

    static bool abortCheck(void *self) { return static_cast<PageText *>(self)->spent(); }

  private:
    static void collect(void *text, const char *bytes, int size) {
        static_cast<std::string *>(text)->append(bytes, size_t(size));
    }

    std::string text_;
    StopToken stop_;
    Clock::time_point documentEnd_;
    Clock::time_point pageEnd_;
    qint64 characters_ = 0;
    qint64 forms_ = 0;
    bool cut_ = false;
};

/// An embedded font is read whole the first time a page uses it: one that
/// inflates past this is never handed to poppler, and its page is skipped.
constexpr qint64 MaxFontBytes = 64 << 20;
constexpr int MaxFormDepth = 16;

/// True when the stream's data inflates to at most bound bytes; reading
/// stops just past it.
bool fitsIn(Stream &stream, qint64 bound) {
    stream.reset();
    unsigned char block[1 << 16];
    qint64 total = 0;
    for (int n = 1; n > 0 && total <= bound;) {
        n = stream.doGetChars(int(sizeof block), block);
        total += n;
    }
    stream.close();
    return total <= bound;
}

bool fontFilesFit(const Object &font, bool descendant = false) {
    if (!font.isDict())
        return true;
    if (const Object parts = font.dictLookup("DescendantFonts");
        !descendant && parts.isArray() && parts.arrayGetLength() > 0)
        if (!fontFilesFit(parts.arrayGet(0), true))
            return false;
    const Object descriptor = font.dictLookup("FontDescriptor");
    if (!descriptor.isDict())
        return true;
    for (const char *key : {"FontFile", "FontFile2", "FontFile3"})
        if (Object file = descriptor.dictLookup(key);
            file.isStream() && !fitsIn(*file.getStream(), MaxFontBytes))
            return false;
    return true;
}

/// The fonts a page's resources and its forms' resources name, each judged
/// once per document.
class FontCheck {
  public:
    bool fits(Dict *resources, int depth = 0) {
        if (!resources || depth > MaxFormDepth)
            return true;
        const Object fonts = resources->lookup("Font");
        for (int i = 0; fonts.isDict() && i < fonts.dictGetLength(); ++i)
            if (!judged(fonts.dictGetValNF(i), [&] { return fontFilesFit(fonts.dictGetVal(i)); }))
                return false;
        const Object objects = resources->lookup("XObject");
        for (int i = 0; objects.isDict() && i < objects.dictGetLength(); ++i)
            if (!judged(objects.dictGetValNF(i),
                        [&] { return formFits(objects.dictGetVal(i), depth); }))
                return false;
        return true;
    }

  private:
    bool formFits(const Object &object, int depth) {
        if (!object.isStream() || !object.streamGetDict()->lookup("Subtype").isName("Form"))
            return true;
        const Object inner = object.streamGetDict()->lookup("Resources");
        return !inner.isDict() || fits(inner.getDict(), depth + 1);
    }
    /// The verdict on an object met before, else judge()'s, kept.
    template <typename Judge> bool judged(const Object &object, Judge judge) {
        if (!object.isRef())
            return judge();
        const auto [at, first] = verdicts_.try_emplace(object.getRef(), true);
        if (first)
            at->second = judge();
        return at->second;
    }
    std::map<Ref, bool> verdicts_;
};

bool isPdfDelimiter(char c) {
    return QByteArrayView(" \t\r\n\f()<>[]{}/%").contains(c) || c == 0;
}

/// The name that follows a key at `at` (after white space), decoded.
QByteArray nameAfter(QByteArrayView bytes, qsizetype at) {
    while (at < bytes.size() && QByteArrayView(" \t\r\n\f").contains(bytes[at]))
        ++at;
    QByteArray name;
    if (at >= bytes.size() || bytes[at] != '/')
        return name;
    for (++at; at < bytes.size() && !isPdfDelimiter(bytes[at]); ++at) {
        if (bytes[at] == '#' && at + 2 < bytes.size()) {
            name += QByteArray::fromHex(bytes.sliced(at + 1, 2).toByteArray()).left(1);
            at += 2;
        } else {
            name += bytes[at];
        }
    }
    return name;
}

/// Poppler looks a font's CMap up by name in its data folders: a name with a
/// folder separator (written #2F) would make it open any file of the system,
/// a device that never ends or a pipe that never answers. Such a document
/// is refused before poppler sees it.
bool namesFileOutsideData(QByteArrayView bytes) {
    for (const QByteArrayView key : {QByteArrayView("/Encoding"), QByteArrayView("/UseCMap")})
        for (qsizetype at = bytes.indexOf(key); at >= 0; at = bytes.indexOf(key, at + 1)) {
            const QByteArray name = nameAfter(bytes, at + key.size());
            if (name.contains('/') || name.contains('\\'))
                return true;
        }
    return false;
}

/// A text string of the document: UTF-16 with its byte order mark, else the
/// document's own single-byte encoding.
QString textString(const GooString &text) {
    const QByteArrayView bytes(text.c_str(), text.getLength());
    if (text.hasUnicodeMarker())
        return QStringDecoder(QStringConverter::Utf16BE).decode(bytes.sliced(2));
    if (text.hasUnicodeMarkerLE())
        return QStringDecoder(QStringConverter::Utf16LE).decode(bytes.sliced(2));
    QString out(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        out[i] = QChar(char16_t(pdfDocEncoding[uchar(bytes[i])]));
    return out;
}

void writeLines(TextWriter &out, QStringView text) {
    for (QStringView line : QStringTokenizer(text, u'\n', Qt::SkipEmptyParts)) {
        if (line.endsWith(u'\r'))
            line.chop(1);
        for (const QStringView part : QStringTokenizer(line, u'\r', Qt::SkipEmptyParts)) {
            out.append(part);
            out.appendLineEnd();
        }
    }
}

/// A mark a reader added with a note of its own: text notes, free text, the
/// note of a highlight or any other mark.
const AnnotMarkup *asNote(Annot *annot) {
    const auto *markup = dynamic_cast<const AnnotMarkup *>(annot);
    return markup && markup->getContents() && markup->getContents()->getLength() > 0 ? markup
                                                                                     : nullptr;
}

/// Notes are written from their own text after the page; drawn as well, a
/// free-text note would show twice.
bool drawsAnnotation(Annot *annot, void *) {
    return !asNote(annot);
}

/// The notes on the page, top to bottom, left to right.
void writeNotes(TextWriter &out, Page &page, XRef *xref) {
    Annots *annots = page.getAnnots(xref);
    if (!annots)
        return;
    std::vector<const AnnotMarkup *> notes;
    for (Annot *annot : annots->getAnnots())
        if (const AnnotMarkup *note = asNote(annot))
            notes.push_back(note);
    std::stable_sort(notes.begin(), notes.end(), [](const Annot *a, const Annot *b) {
        if (a->getRect().y2 != b->getRect().y2)
            return a->getRect().y2 > b->getRect().y2;
        return a->getRect().x1 < b->getRect().x1;
    });
    for (const AnnotMarkup *note : notes)
        writeLines(out, textString(*note->getContents()));
}

/// False when the page was skipped for a font past its bound.
bool writePage(TextWriter &out, PDFDoc &document, int number, PageText &device, FontCheck &fonts) {
    Page *page = document.getPage(number);
    if (!page)
        return true;
    if (!fonts.fits(page->getResourceDict()))
        return false;
    device.beginPage();
    document.displayPage(&device, number, 72, 72, 0, false, true, false, PageText::abortCheck,
                         &device, drawsAnnotation, nullptr);
    writeLines(out, QString::fromUtf8(device.text()));
    device.text().clear();
    writeNotes(out, *page, document.getXRef());
    return !device.cut();
}

} // namespace

const char *pdfDataFolder() {
    return "/usr/share/poppler";
}

bool looksLikePdf(QByteArrayView bytes) {
    return bytes.startsWith("%PDF-");
}

Outcome extractPdf(Extraction &extraction) {
    const QByteArrayView bytes = extraction.bytes();
    if (!looksLikePdf(bytes))
        return Outcome::NotThisFormat;
    if (namesFileOutsideData(bytes))
        return Outcome::Damaged;
    preparePoppler();
    const Clock::time_point documentEnd = Clock::now() + DocumentTime;
    PDFDoc document(new MemStream(bytes.data(), 0, bytes.size(), Object(objNull)));
    if (!document.isOk())
        return document.getErrorCode() == errEncrypted ? Outcome::Encrypted : Outcome::Damaged;
    TextWriter out(extraction.text, extraction.bounds().maxChars, 0, extraction.stop());
    PageText device(extraction.stop(), documentEnd);
    const int pages = qMin(document.getNumPages(), MaxPages);
    FontCheck fonts;
    bool cut = false;
    int number = 1;
    for (; number <= pages && !out.full() && !device.documentTimeSpent(); ++number)
        cut = !writePage(out, document, number, device, fonts) || cut;
    return out.limitReached() || cut || number <= pages ? Outcome::BoundReached : Outcome::Text;
}
