#include "documents/htmltext.h"

#include "platform/codepage.h"

#include <algorithm>
#include <array>

namespace {

struct Entity {
    const char *name;
    char16_t code;
};

// The named references mail bodies use: Latin-1, Latin Extended letters of
// Windows-1252, typographic punctuation, Greek letters and common symbols.
// Sorted by name (byte order) for binary search.
constexpr Entity Entities[] = {
    {"AElig", 0xC6},    {"Aacute", 0xC1},   {"Acirc", 0xC2},   {"Agrave", 0xC0},
    {"Alpha", 0x391},   {"Aring", 0xC5},    {"Atilde", 0xC3},  {"Auml", 0xC4},
    {"Beta", 0x392},    {"Ccedil", 0xC7},   {"Chi", 0x3A7},    {"Dagger", 0x2021},
    {"Delta", 0x394},   {"ETH", 0xD0},      {"Eacute", 0xC9},  {"Ecirc", 0xCA},
    {"Egrave", 0xC8},   {"Epsilon", 0x395}, {"Eta", 0x397},    {"Euml", 0xCB},
    {"Gamma", 0x393},   {"Iacute", 0xCD},   {"Icirc", 0xCE},   {"Igrave", 0xCC},
    {"Iota", 0x399},    {"Iuml", 0xCF},     {"Kappa", 0x39A},  {"Lambda", 0x39B},
    {"Mu", 0x39C},      {"Ntilde", 0xD1},   {"Nu", 0x39D},     {"OElig", 0x152},
    {"Oacute", 0xD3},   {"Ocirc", 0xD4},    {"Ograve", 0xD2},  {"Omega", 0x3A9},
    {"Omicron", 0x39F}, {"Oslash", 0xD8},   {"Otilde", 0xD5},  {"Ouml", 0xD6},
    {"Phi", 0x3A6},     {"Pi", 0x3A0},      {"Prime", 0x2033}, {"Psi", 0x3A8},
    {"Rho", 0x3A1},     {"Scaron", 0x160},  {"Sigma", 0x3A3},  {"THORN", 0xDE},
    {"Tau", 0x3A4},     {"Theta", 0x398},   {"Uacute", 0xDA},  {"Ucirc", 0xDB},
    {"Ugrave", 0xD9},   {"Upsilon", 0x3A5}, {"Uuml", 0xDC},    {"Xi", 0x39E},
    {"Yacute", 0xDD},   {"Yuml", 0x178},    {"Zeta", 0x396},   {"aacute", 0xE1},
    {"acirc", 0xE2},    {"acute", 0xB4},    {"aelig", 0xE6},   {"agrave", 0xE0},
    {"alpha", 0x3B1},   {"amp", 0x26},      {"apos", 0x27},    {"aring", 0xE5},
    {"atilde", 0xE3},   {"auml", 0xE4},     {"bdquo", 0x201E}, {"beta", 0x3B2},
    {"brvbar", 0xA6},   {"bull", 0x2022},   {"ccedil", 0xE7},  {"cedil", 0xB8},
    {"cent", 0xA2},     {"chi", 0x3C7},     {"circ", 0x2C6},   {"copy", 0xA9},
    {"curren", 0xA4},   {"dagger", 0x2020}, {"darr", 0x2193},  {"deg", 0xB0},
    {"delta", 0x3B4},   {"divide", 0xF7},   {"eacute", 0xE9},  {"ecirc", 0xEA},
    {"egrave", 0xE8},   {"emsp", 0x2003},   {"ensp", 0x2002},  {"epsilon", 0x3B5},
    {"eta", 0x3B7},     {"eth", 0xF0},      {"euml", 0xEB},    {"euro", 0x20AC},
    {"fnof", 0x192},    {"frac12", 0xBD},   {"frac14", 0xBC},  {"frac34", 0xBE},
    {"gamma", 0x3B3},   {"ge", 0x2265},     {"gt", 0x3E},      {"harr", 0x2194},
    {"hellip", 0x2026}, {"iacute", 0xED},   {"icirc", 0xEE},   {"iexcl", 0xA1},
    {"igrave", 0xEC},   {"infin", 0x221E},  {"iota", 0x3B9},   {"iquest", 0xBF},
    {"iuml", 0xEF},     {"kappa", 0x3BA},   {"lambda", 0x3BB}, {"laquo", 0xAB},
    {"larr", 0x2190},   {"ldquo", 0x201C},  {"le", 0x2264},    {"lrm", 0x200E},
    {"lsaquo", 0x2039}, {"lsquo", 0x2018},  {"lt", 0x3C},      {"macr", 0xAF},
    {"mdash", 0x2014},  {"micro", 0xB5},    {"middot", 0xB7},  {"minus", 0x2212},
    {"mu", 0x3BC},      {"nbsp", 0x20},     {"ndash", 0x2013}, {"ne", 0x2260},
    {"not", 0xAC},      {"ntilde", 0xF1},   {"nu", 0x3BD},     {"oacute", 0xF3},
    {"ocirc", 0xF4},    {"oelig", 0x153},   {"ograve", 0xF2},  {"omega", 0x3C9},
    {"omicron", 0x3BF}, {"ordf", 0xAA},     {"ordm", 0xBA},    {"oslash", 0xF8},
    {"otilde", 0xF5},   {"ouml", 0xF6},     {"para", 0xB6},    {"permil", 0x2030},
    {"phi", 0x3C6},     {"pi", 0x3C0},      {"plusmn", 0xB1},  {"pound", 0xA3},
    {"prime", 0x2032},  {"psi", 0x3C8},     {"quot", 0x22},    {"raquo", 0xBB},
    {"rarr", 0x2192},   {"rdquo", 0x201D},  {"reg", 0xAE},     {"rho", 0x3C1},
    {"rlm", 0x200F},    {"rsaquo", 0x203A}, {"rsquo", 0x2019}, {"sbquo", 0x201A},
    {"scaron", 0x161},  {"sect", 0xA7},     {"shy", 0xAD},     {"sigma", 0x3C3},
    {"sigmaf", 0x3C2},  {"sup1", 0xB9},     {"sup2", 0xB2},    {"sup3", 0xB3},
    {"szlig", 0xDF},    {"tau", 0x3C4},     {"theta", 0x3B8},  {"thinsp", 0x2009},
    {"thorn", 0xFE},    {"tilde", 0x2DC},   {"times", 0xD7},   {"trade", 0x2122},
    {"uacute", 0xFA},   {"uarr", 0x2191},   {"ucirc", 0xFB},   {"ugrave", 0xF9},
    {"uml", 0xA8},      {"upsilon", 0x3C5}, {"uuml", 0xFC},    {"xi", 0x3BE},
    {"yacute", 0xFD},   {"yen", 0xA5},      {"yuml", 0xFF},    {"zeta", 0x3B6},
    {"zwj", 0x200D},    {"zwnj", 0x200C},
};

/// Byte order of an ASCII name against a view (all names are ASCII).
int compareName(const char *name, QStringView text) {
    qsizetype i = 0;
    for (; name[i] && i < text.size(); ++i)
        if (char16_t(name[i]) != text[i].unicode())
            return char16_t(name[i]) < text[i].unicode() ? -1 : 1;
    return name[i] ? 1 : (i < text.size() ? -1 : 0);
}

/// Tags whose content the reader never sees.
constexpr std::array<QStringView, 3> Hidden = {u"script", u"style", u"head"};

/// Closing tags (and <br>) that end a line of text.
bool endsLine(QStringView name, bool closing) {
    if (!closing)
        return name.compare(u"br", Qt::CaseInsensitive) == 0;
    static constexpr QStringView Names[] = {u"p",  u"div", u"tr", u"li", u"td", u"th",
                                            u"h1", u"h2",  u"h3", u"h4", u"h5", u"h6"};
    return std::any_of(std::begin(Names), std::end(Names),
                       [&](QStringView n) { return name.compare(n, Qt::CaseInsensitive) == 0; });
}

class HtmlReader {
  public:
    explicit HtmlReader(QStringView html) : in_(html) { out_.reserve(html.size()); }

    QString read() {
        qsizetype at = 0;
        while (at < in_.size()) {
            const QChar c = in_[at];
            if (c == u'<')
                at = tag(at);
            else if (c == u'&')
                at = reference(at);
            else {
                out_ += (c == u'\r' || c == u'\n') ? QChar(u' ') : c;
                ++at;
            }
        }
        return out_;
    }

  private:
    /// The end of the tag at `at`, after hidden content; a '<' that opens no
    /// tag is text.
    qsizetype tag(qsizetype at) {
        const qsizetype close = nextGreater(at);
        if (close < 0) {
            out_ += u'<';
            return at + 1;
        }
        const bool closing = at + 1 < in_.size() && in_[at + 1] == u'/';
        qsizetype nameEnd = at + (closing ? 2 : 1);
        while (nameEnd < close && in_[nameEnd].isLetterOrNumber())
            ++nameEnd;
        const QStringView name =
            in_.sliced(at + (closing ? 2 : 1), nameEnd - at - (closing ? 2 : 1));
        if (endsLine(name, closing))
            out_ += QStringLiteral("\r\n");
        if (!closing)
            for (size_t h = 0; h < Hidden.size(); ++h)
                if (name.compare(Hidden[h], Qt::CaseInsensitive) == 0)
                    return afterHidden(h, close + 1);
        return close + 1;
    }

    /// The position after the closing tag of hidden content; an unclosed one
    /// hides nothing. Each kind is searched forward only once in all.
    qsizetype afterHidden(size_t kind, qsizetype from) {
        qsizetype &found = hiddenEnd_[kind];
        if (found != NotFound && found < from) {
            const QString closing = u"</" + Hidden[kind].toString();
            found = in_.indexOf(closing, from, Qt::CaseInsensitive);
            if (found < 0)
                found = NotFound;
        }
        if (found == NotFound)
            return from;
        const qsizetype end = nextGreater(found);
        return end < 0 ? in_.size() : end + 1;
    }

    qsizetype nextGreater(qsizetype from) {
        if (greater_ != NotFound && greater_ <= from) {
            greater_ = in_.indexOf(u'>', from + 1);
            if (greater_ < 0)
                greater_ = NotFound;
        }
        return greater_ == NotFound ? -1 : greater_;
    }

    qsizetype reference(qsizetype at) {
        const qsizetype limit = qMin(in_.size(), at + 34);
        qsizetype semicolon = at + 1;
        if (semicolon < limit && in_[semicolon] == u'#')
            ++semicolon;
        while (semicolon < limit && in_[semicolon].isLetterOrNumber())
            ++semicolon;
        if (semicolon >= limit || in_[semicolon] != u';') {
            out_ += u'&';
            return at + 1;
        }
        const QStringView name = in_.sliced(at + 1, semicolon - at - 1);
        char32_t code = 0;
        if (name.startsWith(u"#x", Qt::CaseInsensitive))
            code = name.sliced(2).toUInt(nullptr, 16);
        else if (name.startsWith(u'#'))
            code = name.sliced(1).toUInt(nullptr, 10);
        else
            code = htmlEntity(name);
        if (code == 0 || code >= 0x110000 || (code >= 0xD800 && code < 0xE000)) {
            out_ += u'&';
            return at + 1;
        }
        out_ += QString::fromUcs4(&code, 1);
        return semicolon + 1;
    }

    static constexpr qsizetype NotFound = -2;
    QStringView in_;
    QString out_;
    qsizetype greater_ = -1;
    std::array<qsizetype, 3> hiddenEnd_ = {-1, -1, -1};
};

} // namespace

char32_t htmlEntity(QStringView name) {
    const auto it =
        std::lower_bound(std::begin(Entities), std::end(Entities), name,
                         [](const Entity &e, QStringView n) { return compareName(e.name, n) < 0; });
    return it != std::end(Entities) && compareName(it->name, name) == 0 ? it->code : 0;
}

QString htmlText(QStringView html) {
    return HtmlReader(html).read();
}

Outcome extractHtml(Extraction &extraction) {
    extraction.text = htmlText(platform::decodeText(extraction.bytes()));
    return Outcome::Text;
}
