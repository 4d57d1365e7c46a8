#include "documents/rtfreader.h"

#include "documents/objectpool.h"
#include "platform/codepage.h"

#include <QHash>

namespace {

constexpr int MaxDepth = 200;
constexpr qsizetype MaxTableEntries = 4096;
/// Input read between two looks at the stop.
constexpr qsizetype Stretch = qsizetype(64) * 1024;
/// The hexadecimal digits of one embedded object kept at most.
constexpr qsizetype MaxObjectHex = 2 * MaxEmbeddedBytes + 1024;

enum class Dest { Body, Skip, FontTable, ColorTable, ObjectData };

struct GroupState {
    RtfCharFormat format;
    Dest dest = Dest::Body;
    int unicodeSkip = 1; ///< fallback characters after \uN
    bool hidden = false;
    int codePage = 0;                    ///< of the current font; 0 for the document's
    Dest beforeAlternative = Dest::Body; ///< where a \upr group's Unicode text goes
};

enum class Word {
    Other,
    Par,
    Line,
    Tab,
    Cell,
    Row,
    Plain,
    Bold,
    Italic,
    Underline,
    UnderlineNone,
    Strike,
    Font,
    FontSize,
    Color,
    Hidden,
    Unicode,
    UnicodeSkip,
    AnsiCodePage,
    DefaultFont,
    Ansi,
    Mac,
    Pc,
    Pca,
    FontCharset,
    FontCodePage,
    Red,
    Green,
    Blue,
    Bin,
    SkipDest,
    FontTable,
    ColorTable,
    Aside,
    Holder,             ///< a destination that holds no text itself, but groups that may
    Visible,            ///< a destination of text the document shows, even where marked ignorable
    AnsiAlternative,    ///< \upr: its own text is the 8-bit copy of its \ud group
    UnicodeAlternative, ///< \ud: the text itself
    ObjectData,
    Char
};

struct WordInfo {
    Word word;
    char16_t ch = 0; ///< for Word::Char
};

const QHash<QByteArray, WordInfo> &words() {
    static const QHash<QByteArray, WordInfo> table = [] {
        QHash<QByteArray, WordInfo> t{
            {"par", {Word::Par}},
            {"sect", {Word::Par}},
            {"page", {Word::Par}},
            {"row", {Word::Row}},
            {"nestrow", {Word::Row}},
            {"line", {Word::Line}},
            {"tab", {Word::Tab}},
            {"cell", {Word::Cell}},
            {"nestcell", {Word::Cell}},
            {"plain", {Word::Plain}},
            {"b", {Word::Bold}},
            {"i", {Word::Italic}},
            {"ulnone", {Word::UnderlineNone}},
            {"strike", {Word::Strike}},
            {"striked", {Word::Strike}},
            {"f", {Word::Font}},
            {"fs", {Word::FontSize}},
            {"cf", {Word::Color}},
            {"v", {Word::Hidden}},
            {"u", {Word::Unicode}},
            {"uc", {Word::UnicodeSkip}},
            {"ansicpg", {Word::AnsiCodePage}},
            {"deff", {Word::DefaultFont}},
            {"ansi", {Word::Ansi}},
            {"mac", {Word::Mac}},
            {"pc", {Word::Pc}},
            {"pca", {Word::Pca}},
            {"fcharset", {Word::FontCharset}},
            {"cpg", {Word::FontCodePage}},
            {"red", {Word::Red}},
            {"green", {Word::Green}},
            {"blue", {Word::Blue}},
            {"bin", {Word::Bin}},
            {"fonttbl", {Word::FontTable}},
            {"upr", {Word::AnsiAlternative}},
            {"ud", {Word::UnicodeAlternative}},
            {"objdata", {Word::ObjectData}},
            {"colortbl", {Word::ColorTable}},
            {"emdash", {Word::Char, 0x2014}},
            {"endash", {Word::Char, 0x2013}},
            {"bullet", {Word::Char, 0x2022}},
            {"lquote", {Word::Char, 0x2018}},
            {"rquote", {Word::Char, 0x2019}},
            {"ldblquote", {Word::Char, 0x201C}},
            {"rdblquote", {Word::Char, 0x201D}},
            {"emspace", {Word::Char, 0x2003}},
            {"enspace", {Word::Char, 0x2002}},
            {"qmspace", {Word::Char, 0x2005}},
        };
        for (const char *name : {"ul", "uld", "uldb", "ulw", "ulwave", "uldash", "uldashd",
                                 "uldashdd", "ulth", "ulhair", "ulldash", "ulthd", "ulthdash"})
            t.insert(name, {Word::Underline});
        // Groups whose content is machinery or hidden, never text the document shows.
        for (const char *name : {"stylesheet",
                                 "info",
                                 "pict",
                                 "objclass",
                                 "objname",
                                 "themedata",
                                 "colorschememapping",
                                 "datastore",
                                 "latentstyles",
                                 "listtable",
                                 "listoverridetable",
                                 "rsidtbl",
                                 "generator",
                                 "xmlnstbl",
                                 "fldinst",
                                 "bkmkstart",
                                 "bkmkend",
                                 "filetbl",
                                 "revtbl",
                                 "pgdsctbl",
                                 "atnid",
                                 "atnauthor",
                                 "protusertbl",
                                 "mmathPr",
                                 "private",
                                 "userprops",
                                 "docvar",
                                 "template",
                                 "nonshppict",
                                 "sp",
                                 "sn",
                                 "sv",
                                 "xe",
                                 "tc",
                                 "tcn",
                                 "blipuid",
                                 "panose",
                                 "falt",
                                 "fontemb",
                                 "fontfile",
                                 "listpicture",
                                 "wgrffmtfilter",
                                 "mhtmltag",
                                 "htmltag",
                                 "pn",
                                 "pnseclvl",
                                 "defchp",
                                 "defpap",
                                 "passwordhash",
                                 "operator",
                                 "category",
                                 "comment",
                                 "company",
                                 "author",
                                 "title",
                                 "subject",
                                 "keywords",
                                 "doccomm",
                                 "hlinkbase",
                                 "xmlopen",
                                 "xmlattrname",
                                 "xmlattrvalue",
                                 "ffname",
                                 "ffdeftext",
                                 "ffentrymcr",
                                 "ffexitmcr",
                                 "ffformat",
                                 "ffhelptext",
                                 "ffstattext",
                                 "ffl",
                                 "nextfile",
                                 "ftnsep",
                                 "ftnsepc",
                                 "ftncn",
                                 "aftnsep",
                                 "aftnsepc",
                                 "aftncn"})
            t.insert(name, {Word::SkipDest});
        for (const char *name : {"header", "headerl", "headerr", "headerf", "footer", "footerl",
                                 "footerr", "footerf", "footnote", "annotation", "shptxt"})
            t.insert(name, {Word::Aside});
        t.insert("shpinst", {Word::Holder}); // a shape: its text box is text
        for (const char *name : {"listtext", "pntext", "fldrslt", "txbxcontent"})
            t.insert(name, {Word::Visible});
        return t;
    }();
    return table;
}

class Reader {
  public:
    Reader(QByteArrayView in, RtfSink &sink, RtfTables &tables, StopToken stop)
        : in_(in), sink_(sink), tables_(tables), stop_(stop) {}

    void run() {
        while (pos_ < in_.size() && !stop_.stopped()) {
            for (const qsizetype end = qMin(in_.size(), pos_ + Stretch); pos_ < end;)
                step();
        }
        flush();
    }

  private:
    void step() {
        const char c = in_[pos_++];
        if (c == '{')
            openGroup();
        else if (c == '}')
            closeGroup();
        else if (c == '\\')
            control();
        else if (c == '\t')
            word({Word::Tab}, false, 0);
        else if (c != '\r' && c != '\n' && c != 0)
            byte(c);
    }

    void openGroup() {
        flush();
        unicodePending_ = 0;
        if (stack_.size() >= MaxDepth) {
            ++overflow_;
            return;
        }
        stack_.push_back(st_);
    }

    void closeGroup() {
        flush();
        unicodePending_ = 0;
        starred_ = false;
        if (overflow_ > 0) {
            --overflow_;
            return;
        }
        if (st_.dest == Dest::FontTable)
            commitFont();
        if (stack_.isEmpty())
            return;
        const Dest closed = st_.dest;
        st_ = stack_.takeLast();
        if (closed == Dest::ObjectData && st_.dest != Dest::ObjectData)
            sink_.object(QByteArray::fromHex(std::exchange(objectData_, {})));
    }

    void control() {
        if (pos_ >= in_.size())
            return;
        const char c = in_[pos_];
        if (!isLetter(c)) {
            ++pos_;
            symbol(c);
            return;
        }
        QByteArray name;
        while (pos_ < in_.size() && isLetter(in_[pos_])) {
            if (name.size() < 32)
                name += in_[pos_];
            ++pos_;
        }
        bool hasParam = false;
        const int param = parameter(&hasParam);
        if (pos_ < in_.size() && in_[pos_] == ' ')
            ++pos_;
        const auto found = words().constFind(name);
        word(found == words().cend() ? WordInfo{Word::Other} : *found, hasParam, param);
    }

    int parameter(bool *hasParam) {
        bool negative = false;
        if (pos_ + 1 < in_.size() && in_[pos_] == '-' && isDigit(in_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        qint64 value = 0;
        int digits = 0;
        while (pos_ < in_.size() && isDigit(in_[pos_])) {
            if (digits++ < 10)
                value = value * 10 + (in_[pos_] - '0');
            ++pos_;
        }
        *hasParam = digits > 0;
        value = qBound(qint64(-0x7fffffff), negative ? -value : value, qint64(0x7fffffff));
        return int(value);
    }

    void symbol(char c) {
        switch (c) {
        case '\'':
            return hexByte();
        case '*':
            starred_ = true;
            return;
        case '~':
            return character(0x00A0);
        case '_':
            return character(0x2011);
        case '\r':
        case '\n':
            return word({Word::Par}, false, 0);
        case '\\':
        case '{':
        case '}':
            return byte(c);
        default:
            return; // \- optional hyphen, \: index entry, unknown symbols
        }
    }

    void hexByte() {
        int value = 0;
        for (int i = 0; i < 2; ++i) {
            if (pos_ >= in_.size())
                return;
            const int digit = hexDigit(in_[pos_]);
            if (digit < 0)
                break;
            value = value * 16 + digit;
            ++pos_;
        }
        byte(char(value));
    }

    bool skipping() const { return overflow_ > 0 || st_.dest == Dest::Skip || st_.hidden; }

    void byte(char c) {
        if (unicodePending_ > 0) {
            --unicodePending_;
            return;
        }
        if (st_.dest == Dest::FontTable) {
            if (c == ';')
                commitFont();
            else
                fontName_ += c;
        } else if (st_.dest == Dest::ColorTable) {
            if (c == ';')
                commitColor();
        } else if (st_.dest == Dest::ObjectData) {
            if (objectData_.size() < MaxObjectHex)
                objectData_ += c;
        } else if (!skipping()) {
            bytes_ += c;
        }
    }

    void character(char16_t ch) {
        if (skipping() || st_.dest != Dest::Body)
            return;
        decodeBytes();
        text_ += QChar(ch);
    }

    void word(const WordInfo &info, bool hasParam, int param) {
        const bool starred = std::exchange(starred_, false);
        if (unicodePending_ > 0 && info.word != Word::Bin) {
            --unicodePending_;
            return;
        }
        if (info.word != Word::Unicode)
            flush();
        const bool on = !hasParam || param != 0;
        RtfCharFormat &f = st_.format;
        switch (info.word) {
        case Word::Other:
            if (starred)
                st_.dest = Dest::Skip;
            return;
        case Word::SkipDest:
            st_.dest = Dest::Skip;
            return;
        case Word::Aside:
            f.aside = true;
            return;
        case Word::Holder:
        case Word::Visible:
            return;
        case Word::AnsiAlternative:
            st_.beforeAlternative = st_.dest;
            if (st_.dest == Dest::Body)
                st_.dest = Dest::Skip;
            return;
        case Word::UnicodeAlternative:
            st_.dest = st_.beforeAlternative;
            return;
        case Word::ObjectData:
            st_.dest = Dest::ObjectData;
            objectData_.clear();
            return;
        case Word::FontTable:
            st_.dest = Dest::FontTable;
            return;
        case Word::ColorTable:
            st_.dest = Dest::ColorTable;
            return;
        case Word::Par:
            return emit([&] { sink_.paragraph(st_.format); });
        case Word::Row:
            return emit([&] { sink_.paragraph(st_.format); });
        case Word::Line:
            return emit([&] { sink_.lineBreak(st_.format); });
        case Word::Cell:
            return emit([&] { sink_.cellEnd(st_.format); });
        case Word::Tab:
            return emit([&] { sink_.tab(st_.format); });
        case Word::Char:
            return character(info.ch);
        case Word::Plain:
            return plain();
        case Word::Bold:
            f.bold = on;
            return;
        case Word::Italic:
            f.italic = on;
            return;
        case Word::Underline:
            f.underline = on;
            return;
        case Word::UnderlineNone:
            f.underline = false;
            return;
        case Word::Strike:
            f.strike = on;
            return;
        case Word::Font:
            return setFont(param);
        case Word::FontSize:
            f.halfPoints = hasParam && param > 0 ? qMin(param, 3276) : 24;
            return;
        case Word::Color:
            f.color = qMax(param, 0);
            return;
        case Word::Hidden:
            st_.hidden = on;
            return;
        case Word::Unicode:
            return unicode(param);
        case Word::UnicodeSkip:
            st_.unicodeSkip = qBound(0, param, 10);
            return;
        case Word::AnsiCodePage:
            codePage_ = param;
            return;
        case Word::DefaultFont:
            defaultFont_ = param;
            return;
        case Word::Ansi:
            codePage_ = 1252;
            return;
        case Word::Mac:
            codePage_ = 10000;
            return;
        case Word::Pc:
            codePage_ = 437;
            return;
        case Word::Pca:
            codePage_ = 850;
            return;
        case Word::FontCharset:
            if (fontCodePage_ == 0)
                fontCodePage_ = platform::codePageOfCharset(param);
            return;
        case Word::FontCodePage:
            fontCodePage_ = param;
            return;
        case Word::Red:
            red_ = qBound(0, param, 255), colorSet_ = true;
            return;
        case Word::Green:
            green_ = qBound(0, param, 255), colorSet_ = true;
            return;
        case Word::Blue:
            blue_ = qBound(0, param, 255), colorSet_ = true;
            return;
        case Word::Bin:
            pos_ += qMin<qsizetype>(qMax(param, 0), in_.size() - pos_);
            return;
        }
    }

    template <typename Emit> void emit(Emit e) {
        if (st_.dest == Dest::Body && !skipping())
            e();
    }

    void plain() {
        const bool aside = st_.format.aside;
        st_.format = RtfCharFormat{};
        st_.format.aside = aside;
        setFont(defaultFont_);
        st_.hidden = false;
    }

    void setFont(int number) {
        if (st_.dest == Dest::FontTable) {
            commitFont();
            fontNumber_ = number;
            return;
        }
        st_.format.font = number;
        st_.codePage = fontCodePages_.value(number, 0);
    }

    void unicode(int value) {
        if (!skipping() && st_.dest == Dest::Body) {
            decodeBytes();
            const bool valid = value >= -32768 && value <= 65535;
            text_ += valid ? QChar(char16_t(value < 0 ? value + 65536 : value))
                           : QChar::ReplacementCharacter;
        }
        unicodePending_ = st_.unicodeSkip;
    }

    void commitFont() {
        if (fontNumber_ >= 0 && tables_.fonts.size() < MaxTableEntries) {
            const int codePage = fontCodePage_ ? fontCodePage_ : codePage_;
            const QString name = platform::fromCodePage(codePage, fontName_).trimmed();
            tables_.fonts.append(RtfFont{fontNumber_, name, fontCodePage_});
            fontCodePages_.insert(fontNumber_, fontCodePage_);
        }
        fontNumber_ = -1;
        fontCodePage_ = 0;
        fontName_.clear();
    }

    void commitColor() {
        if (tables_.colors.size() < MaxTableEntries)
            tables_.colors.append(RtfColor{!colorSet_, red_, green_, blue_});
        red_ = green_ = blue_ = 0;
        colorSet_ = false;
    }

    void decodeBytes() {
        if (bytes_.isEmpty())
            return;
        text_ += platform::fromCodePage(st_.codePage ? st_.codePage : codePage_, bytes_);
        bytes_.clear();
    }

    void flush() {
        decodeBytes();
        if (!text_.isEmpty())
            sink_.text(text_, st_.format);
        text_.clear();
    }

    static bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }
    static int hexDigit(char c) {
        if (isDigit(c))
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

    QByteArrayView in_;
    qsizetype pos_ = 0;
    RtfSink &sink_;
    RtfTables &tables_;
    StopToken stop_;
    QList<GroupState> stack_;
    GroupState st_;
    int overflow_ = 0; ///< groups opened past the depth limit
    bool starred_ = false;
    int unicodePending_ = 0;
    int codePage_ = 1252;
    int defaultFont_ = 0;
    QByteArray bytes_;
    QString text_;
    QByteArray objectData_; ///< the hexadecimal digits of an embedded object
    int fontNumber_ = -1;
    int fontCodePage_ = 0;
    QByteArray fontName_;
    QHash<int, int> fontCodePages_;
    int red_ = 0, green_ = 0, blue_ = 0;
    bool colorSet_ = false;
};

class PlainTextSink : public RtfSink {
  public:
    void text(QStringView text, const RtfCharFormat &format) override {
        if (format.aside != aside_ && !out.isEmpty() && !out.endsWith(u'\n'))
            out += QStringLiteral("\r\n");
        aside_ = format.aside;
        out += text;
    }
    void paragraph(const RtfCharFormat &) override { out += QStringLiteral("\r\n"); }
    void lineBreak(const RtfCharFormat &) override { out += QStringLiteral("\r\n"); }
    void tab(const RtfCharFormat &) override { out += u'\t'; }
    void cellEnd(const RtfCharFormat &) override { out += u' '; }
    void object(const QByteArray &data) override {
        ++objectCount_;
        if (EmbeddedFile file = oleObjectFile(data); !file.bytes.isEmpty()) {
            file.name = QStringLiteral("Object %1/").arg(objectCount_) + file.name;
            objects.push_back(std::move(file));
        }
    }
    QString out;
    std::vector<EmbeddedFile> objects; ///< the embedded objects of types the program reads

  private:
    bool aside_ = false;
    int objectCount_ = 0;
};

} // namespace

const RtfFont *RtfTables::font(int number) const {
    for (const RtfFont &f : fonts)
        if (f.number == number)
            return &f;
    return nullptr;
}

RtfColor RtfTables::color(int index) const {
    return index > 0 && index < colors.size() ? colors.at(index) : RtfColor();
}

bool isRtf(QByteArrayView bytes) {
    return bytes.startsWith("{\\rtf");
}

void readRtf(QByteArrayView bytes, RtfSink &sink, RtfTables *tables, StopToken stop) {
    RtfTables local;
    Reader(bytes, sink, tables ? *tables : local, stop).run();
}

QString rtfPlainText(QByteArrayView bytes, StopToken stop) {
    PlainTextSink sink;
    readRtf(bytes, sink, nullptr, stop);
    return sink.out;
}

Outcome extractRtf(Extraction &extraction) {
    PlainTextSink sink;
    readRtf(extraction.bytes(), sink, nullptr, extraction.stop());
    extraction.text = std::move(sink.out);
    extraction.embedded = std::move(sink.objects);
    return Outcome::Text;
}
