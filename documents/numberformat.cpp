#include "documents/numberformat.h"

#include "documents/textwriter.h"

#include <QDate>
#include <QVarLengthArray>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace numberformat {
namespace {

// US English built-in formats; ids without a format stay empty.
constexpr std::array<const char16_t *, 50> BuiltIn = {
    u"General",
    u"0",
    u"0.00",
    u"#,##0",
    u"#,##0.00",
    u"\"$\"#,##0_);(\"$\"#,##0)",
    u"\"$\"#,##0_);[Red](\"$\"#,##0)",
    u"\"$\"#,##0.00_);(\"$\"#,##0.00)",
    u"\"$\"#,##0.00_);[Red](\"$\"#,##0.00)",
    u"0%",
    u"0.00%",
    u"0.00E+00",
    u"# ?/?",
    u"# ?\?/??",
    u"m/d/yyyy",
    u"d-mmm-yy",
    u"d-mmm",
    u"mmm-yy",
    u"h:mm AM/PM",
    u"h:mm:ss AM/PM",
    u"h:mm",
    u"h:mm:ss",
    u"m/d/yyyy h:mm",
    u"",
    u"",
    u"",
    u"",
    u"",
    u"",
    u"",
    u"",
    u"",
    u"",
    u"",
    u"",
    u"",
    u"",
    u"#,##0_);(#,##0)",
    u"#,##0_);[Red](#,##0)",
    u"#,##0.00_);(#,##0.00)",
    u"#,##0.00_);[Red](#,##0.00)",
    u"_(* #,##0_);_(* (#,##0);_(* \"-\"_);_(@_)",
    u"_(\"$\"* #,##0_);_(\"$\"* (#,##0);_(\"$\"* \"-\"_);_(@_)",
    u"_(* #,##0.00_);_(* (#,##0.00);_(* \"-\"?\?_);_(@_)",
    u"_(\"$\"* #,##0.00_);_(\"$\"* (#,##0.00);_(\"$\"* \"-\"?\?_);_(@_)",
    u"mm:ss",
    u"[h]:mm:ss",
    u"mm:ss.0",
    u"##0.0E+0",
    u"@",
};

constexpr std::array<const char *, 12> Months = {"January",   "February", "March",    "April",
                                                 "May",       "June",     "July",     "August",
                                                 "September", "October",  "November", "December"};
constexpr std::array<const char *, 7> Days = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                              "Friday", "Saturday", "Sunday"};

enum class Kind {
    Literal,  ///< text as it is
    Digit,    ///< 0, # or ?
    Point,    ///< the decimal point
    Exponent, ///< E+ or E-
    Slash,    ///< the fraction bar
    General,  ///< the number as General shows it
    Year,
    Month,
    Day,
    Hour,
    Minute,
    Second,
    SubSecond, ///< .0 .00 .000 after seconds
    AmPm,
    ElapsedHours,
    ElapsedMinutes,
    ElapsedSeconds,
};

struct Token {
    Kind kind;
    QString text; ///< literal text; the placeholder character; the AM/PM spelling
    int count = 1;
};

struct Condition {
    enum Op { None, Less, LessEqual, Greater, GreaterEqual, Equal, NotEqual } op = None;
    double value = 0;
    bool holds(double v) const {
        switch (op) {
        case Less:
            return v < value;
        case LessEqual:
            return v <= value;
        case Greater:
            return v > value;
        case GreaterEqual:
            return v >= value;
        case Equal:
            return v == value;
        case NotEqual:
            return v != value;
        case None:
            break;
        }
        return true;
    }
};

/// The shape of the usual decimal formats ("0", "#,##0.00", "0.0%",
/// "\"$\"#,##0.00_)"): text, whole digits ('#' then '0'), a point and '0'
/// decimals, text. Numbers of that shape are written without the general
/// machinery; what they show is the same.
struct Plain {
    bool ok = false;
    QString prefix, suffix;
    int zeros = 0; ///< '0' placeholders of the whole part
    int decimals = 0;
    bool point = false;
};

struct Section {
    std::vector<Token> tokens;
    Condition condition;
    bool date = false;
    bool twelveHour = false;
    bool grouping = false;
    int percent = 0;
    int scale = 0;            ///< thousands divided away by trailing commas
    double percentFactor = 1; ///< 100 to the power of percent
    double scaleDivisor = 1;  ///< 1000 to the power of scale
    Plain plain;
};

bool isDigitPlaceholder(QChar c) {
    return c == u'0' || c == u'#' || c == u'?';
}

/// True when the section shows a date or time: a date letter outside quotes,
/// escapes and brackets, or an elapsed-time bracket.
bool looksLikeDate(QStringView s) {
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i].toLower();
        if (c == u'"') {
            i = s.indexOf(u'"', i + 1);
            if (i < 0)
                return false;
        } else if (c == u'\\' || c == u'_' || c == u'*' ||
                   (c == u'e' && i + 1 < s.size() && (s[i + 1] == u'+' || s[i + 1] == u'-'))) {
            // an escaped, padding or fill character, or an exponent's sign: not a date letter
            ++i;
        } else if (c == u'[') {
            const qsizetype end = s.indexOf(u']', i);
            const QStringView inside = s.sliced(i + 1, (end < 0 ? s.size() : end) - i - 1);
            if (!inside.isEmpty() && QStringView(u"hms").contains(inside[0].toLower()))
                return true;
            if (end < 0)
                return false;
            i = end;
        } else if (c == u'y' || c == u'd' || c == u'h' || c == u's' || c == u'm') {
            return true;
        } else if (c == u'g' && s.sliced(i).startsWith(u"general", Qt::CaseInsensitive)) {
            i += 6;
        }
    }
    return false;
}

void addLiteral(Section &section, QStringView text) {
    if (!section.tokens.empty() && section.tokens.back().kind == Kind::Literal)
        section.tokens.back().text += text;
    else
        section.tokens.push_back({Kind::Literal, text.toString()});
}

/// A bracket: a condition, an elapsed time, a currency symbol; colours and
/// locales show nothing.
void parseBracket(QStringView inside, Section &section) {
    if (inside.startsWith(u'$')) {
        const qsizetype dash = inside.indexOf(u'-');
        addLiteral(section, inside.sliced(1, (dash < 0 ? inside.size() : dash) - 1));
        return;
    }
    const QChar first = inside.isEmpty() ? QChar() : inside[0].toLower();
    if (first == u'h' || first == u'm' || first == u's') {
        if (inside.count(inside[0]) == inside.size()) {
            const Kind kind = first == u'h'   ? Kind::ElapsedHours
                              : first == u'm' ? Kind::ElapsedMinutes
                                              : Kind::ElapsedSeconds;
            section.tokens.push_back({kind, {}, int(inside.size())});
        }
        return;
    }
    static constexpr std::pair<const char16_t *, Condition::Op> Ops[] = {
        {u"<=", Condition::LessEqual}, {u">=", Condition::GreaterEqual},
        {u"<>", Condition::NotEqual},  {u"<", Condition::Less},
        {u">", Condition::Greater},    {u"=", Condition::Equal}};
    for (const auto &[text, op] : Ops) {
        const QStringView symbol(text);
        if (inside.startsWith(symbol)) {
            bool ok = false;
            const double value = inside.sliced(symbol.size()).trimmed().toDouble(&ok);
            if (ok)
                section.condition = {op, value};
            return;
        }
    }
}

/// The date and time letters at i: one token for a run of the same letter.
bool parseDateLetter(QStringView s, qsizetype &i, Section &section) {
    const QChar c = s[i].toLower();
    if (c == u'a') {
        for (const QStringView spelling : {QStringView(u"AM/PM"), QStringView(u"A/P")})
            if (s.sliced(i).startsWith(spelling, Qt::CaseInsensitive)) {
                section.tokens.push_back({Kind::AmPm, s.sliced(i, spelling.size()).toString()});
                section.twelveHour = true;
                i += spelling.size() - 1;
                return true;
            }
        return false;
    }
    Kind kind;
    if (c == u'y')
        kind = Kind::Year;
    else if (c == u'm')
        kind = Kind::Month; // minutes are told apart once the section is read
    else if (c == u'd')
        kind = Kind::Day;
    else if (c == u'h')
        kind = Kind::Hour;
    else if (c == u's')
        kind = Kind::Second;
    else
        return false;
    int count = 1;
    while (i + 1 < s.size() && s[i + 1].toLower() == c) {
        ++i;
        ++count;
    }
    section.tokens.push_back({kind, {}, count});
    if (kind == Kind::Second && i + 2 < s.size() && s[i + 1] == u'.' && s[i + 2] == u'0') {
        int digits = 0;
        for (i += 1; i + 1 < s.size() && s[i + 1] == u'0'; ++i)
            ++digits;
        section.tokens.push_back({Kind::SubSecond, {}, qMin(digits, 3)});
    }
    return true;
}

/// An m or mm next to hours or seconds means minutes.
void resolveMinutes(Section &section) {
    std::vector<Token *> parts;
    for (Token &t : section.tokens)
        if (t.kind != Kind::Literal)
            parts.push_back(&t);
    for (size_t k = 0; k < parts.size(); ++k) {
        if (parts[k]->kind != Kind::Month || parts[k]->count > 2)
            continue;
        const bool afterHour =
            k > 0 && (parts[k - 1]->kind == Kind::Hour || parts[k - 1]->kind == Kind::ElapsedHours);
        const bool beforeSecond =
            k + 1 < parts.size() &&
            (parts[k + 1]->kind == Kind::Second || parts[k + 1]->kind == Kind::ElapsedSeconds);
        if (afterHour || beforeSecond)
            parts[k]->kind = Kind::Minute;
    }
}

/// A comma between digit placeholders groups thousands; commas after the
/// last one divide by a thousand each.
void parseComma(QStringView s, qsizetype i, Section &section) {
    const bool afterDigit = !section.tokens.empty() && (section.tokens.back().kind == Kind::Digit);
    const bool beforeDigit = i + 1 < s.size() && isDigitPlaceholder(s[i + 1]);
    if (afterDigit && beforeDigit)
        section.grouping = true;
    else if (afterDigit || (i > 0 && s[i - 1] == u','))
        ++section.scale;
    else
        addLiteral(section, u",");
}

Plain plainShape(const Section &section) {
    Plain plain;
    if (section.date)
        return plain;
    const std::vector<Token> &tokens = section.tokens;
    size_t k = 0;
    if (k < tokens.size() && tokens[k].kind == Kind::Literal)
        plain.prefix = tokens[k++].text;
    int hashes = 0;
    for (; k < tokens.size() && tokens[k].kind == Kind::Digit; ++k) {
        if (tokens[k].text == u"?" || (tokens[k].text == u"#" && plain.zeros > 0))
            return plain;
        (tokens[k].text == u"0" ? plain.zeros : hashes) += 1;
    }
    if (plain.zeros + hashes == 0)
        return plain;
    if (k < tokens.size() && tokens[k].kind == Kind::Point) {
        plain.point = true;
        for (++k; k < tokens.size() && tokens[k].kind == Kind::Digit; ++k) {
            if (tokens[k].text != u"0")
                return plain;
            ++plain.decimals;
        }
    }
    if (k < tokens.size() && tokens[k].kind == Kind::Literal)
        plain.suffix = tokens[k++].text;
    plain.ok = k == tokens.size();
    return plain;
}

Section parseSection(QStringView s) {
    Section section;
    section.date = looksLikeDate(s);
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (c == u'"') {
            qsizetype end = s.indexOf(u'"', i + 1);
            if (end < 0)
                end = s.size();
            addLiteral(section, s.sliced(i + 1, end - i - 1));
            i = end;
        } else if (c == u'\\') {
            if (i + 1 < s.size())
                addLiteral(section, s.sliced(++i, 1));
        } else if (c == u'_') {
            ++i;
            addLiteral(section, u" ");
        } else if (c == u'*') {
            ++i;
        } else if (c == u'[') {
            qsizetype end = s.indexOf(u']', i);
            if (end < 0)
                end = s.size();
            parseBracket(s.sliced(i + 1, end - i - 1), section);
            i = end;
        } else if (s.sliced(i).startsWith(u"general", Qt::CaseInsensitive)) {
            section.tokens.push_back({Kind::General, {}});
            i += 6;
        } else if (c == u'@' || (section.date && parseDateLetter(s, i, section))) {
            // the text of a text cell shows nothing for a number; a date letter
            // is taken by its parser
        } else if (!section.date && isDigitPlaceholder(c)) {
            section.tokens.push_back({Kind::Digit, QString(c)});
        } else if (!section.date && c == u'.') {
            section.tokens.push_back({Kind::Point, {}});
        } else if (!section.date && c == u',') {
            parseComma(s, i, section);
        } else if (!section.date && c == u'%') {
            ++section.percent;
            addLiteral(section, u"%");
        } else if (!section.date && (c == u'E' || c == u'e') && i + 1 < s.size() &&
                   (s[i + 1] == u'+' || s[i + 1] == u'-')) {
            section.tokens.push_back({Kind::Exponent, s.sliced(i + 1, 1).toString()});
            ++i;
        } else if (!section.date && c == u'/' && !section.tokens.empty() &&
                   section.tokens.back().kind == Kind::Digit) {
            section.tokens.push_back({Kind::Slash, {}});
        } else {
            addLiteral(section, s.sliced(i, 1));
        }
    }
    if (section.date)
        resolveMinutes(section);
    section.percentFactor = std::pow(100.0, section.percent);
    section.scaleDivisor = std::pow(1000.0, section.scale);
    section.plain = plainShape(section);
    return section;
}

std::vector<Section> parseSections(QStringView code) {
    std::vector<Section> sections;
    qsizetype start = 0;
    bool quoted = false, bracket = false;
    for (qsizetype i = 0; i <= code.size(); ++i) {
        const QChar c = i < code.size() ? code[i] : QChar(u';');
        if (quoted) {
            quoted = c != u'"';
        } else if (bracket) {
            bracket = c != u']';
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u'[') {
            bracket = true;
        } else if (c == u'\\' || c == u'_' || c == u'*') {
            ++i;
        } else if (c == u';') {
            sections.push_back(parseSection(code.sliced(start, qMin(i, code.size()) - start)));
            start = i + 1;
        }
        if (i >= code.size() && (quoted || bracket))
            sections.push_back(parseSection(code.sliced(start)));
    }
    return sections;
}

/// A non-negative number rounded half up to that many decimals, as a shown
/// number is: the digits of its 15 significant ones, split at the point.
struct FixedChars {
    std::string whole, fraction;
};

// The digits of "d.ddde+XX" without the point, and the exponent.
void readScientific(const char *begin, const char *end, std::string &digits, int &exponent) {
    const char *at = std::find(begin, end, 'e');
    char plain[40];
    size_t n = 0;
    for (const char *c = begin; c != at; ++c)
        if (*c != '.')
            plain[n++] = *c;
    digits.assign(plain, n);
    // The buffer holds no terminating zero: the exponent is read up to its end.
    exponent = 0;
    if (at != end) {
        const char *from = at + 1;
        if (from != end && *from == '+')
            ++from;
        std::from_chars(from, end, exponent);
    }
}

constexpr quint64 PowersOfTen[] = {1,
                                   10,
                                   100,
                                   1000,
                                   10000,
                                   100000,
                                   1000000,
                                   10000000,
                                   100000000,
                                   1000000000,
                                   10000000000,
                                   100000000000,
                                   1000000000000,
                                   10000000000000,
                                   100000000000000,
                                   1000000000000000};

/// A non-negative number of no more than 15 significant digits, as most
/// numbers in a sheet are (1250, 2.25, 0.15), as m / 10^p that reads back as
/// the number. Any such decimal is the number's own 15-digit rounding, as the
/// next 15-digit decimal is many times further away than the number's
/// rounding step. False for other numbers.
bool shortDecimal(double v, quint64 &m, int &p) {
    if (v == 0) {
        m = 0;
        p = 0;
        return true;
    }
    for (p = 0; p < int(std::size(PowersOfTen)); ++p) {
        const double power = double(PowersOfTen[p]);
        const double whole = std::nearbyint(v * power);
        if (!(whole < 1e15))
            return false;
        if (whole > 0 && whole / power == v) {
            m = quint64(whole);
            return true;
        }
    }
    return false;
}

/// The 15 significant digits of a non-negative number and the exponent of
/// the first.
void significantDigits(double v, std::string &digits, int &exponent) {
    char buf[40];
    quint64 m = 0;
    int p = 0;
    if (shortDecimal(v, m, p)) {
        const char *end = std::to_chars(buf, buf + sizeof buf, m).ptr;
        digits.assign(buf, size_t(end - buf));
        exponent = int(digits.size()) - 1 - p;
        digits.resize(15, '0');
        return;
    }
    const char *end =
        std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific, 14).ptr;
    readScientific(buf, end, digits, exponent);
}

void fixedChars(double v, int decimals, FixedChars &out) {
    std::string digits; // 15 digits fit a short string's own room

    int exponent = 0;
    significantDigits(v, digits, exponent);
    qsizetype keep = exponent + 1 + decimals;
    if (keep <= 0) {
        digits.insert(0, size_t(1 - keep), '0');
        exponent += int(1 - keep);
        keep = 1;
    }
    if (size_t(keep) < digits.size()) {
        const bool up = digits[size_t(keep)] >= '5';
        digits.resize(size_t(keep));
        for (qsizetype k = keep - 1; up && k >= 0; --k) {
            if (digits[size_t(k)] != '9') {
                ++digits[size_t(k)];
                break;
            }
            digits[size_t(k)] = '0';
            if (k == 0) {
                digits.insert(0, 1, '1');
                ++exponent;
            }
        }
    }
    const qsizetype wholeDigits = exponent + 1;
    if (wholeDigits <= 0) {
        out.whole.assign(1, '0');
        out.fraction.assign(size_t(-wholeDigits), '0');
        out.fraction += digits;
    } else {
        if (digits.size() < size_t(wholeDigits))
            digits.resize(size_t(wholeDigits), '0');
        out.whole.assign(digits, 0, size_t(wholeDigits));
        out.fraction.assign(digits, size_t(wholeDigits));
    }
    out.fraction.resize(size_t(decimals), '0');
    const size_t zeros = std::min(out.whole.find_first_not_of('0'), out.whole.size() - 1);
    out.whole.erase(0, zeros);
}

struct Fixed {
    QString whole, fraction;
};

Fixed fixedDigits(double v, int decimals) {
    FixedChars chars;
    fixedChars(v, decimals, chars);
    return {QString::fromLatin1(chars.whole), QString::fromLatin1(chars.fraction)};
}

QString grouped(const QString &digits) {
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += u',';
        out += digits[i];
    }
    return out;
}

/// The integer part's placeholders filled from the right; the leftmost takes
/// every digit left over.
void fillWhole(const std::vector<const Token *> &tokens, const Section &section, QString digits,
               QString &out) {
    int zeros = 0;
    for (const Token *t : tokens)
        zeros += t->kind == Kind::Digit && t->text == u"0";
    if (digits == u"0" && zeros == 0)
        digits.clear();
    if (section.grouping) {
        bool placed = false;
        int spaces = 0;
        for (const Token *t : tokens)
            spaces += t->kind == Kind::Digit && t->text == u"?";
        digits = digits.rightJustified(zeros, u'0');
        for (const Token *t : tokens) {
            if (t->kind == Kind::Literal)
                out += t->text;
            else if (!placed && t->kind == Kind::Digit) {
                out +=
                    QString(qMax(0, spaces + zeros - int(digits.size())), u' ') + grouped(digits);
                placed = true;
            }
        }
        return;
    }
    QString built;
    qsizetype left = digits.size();
    qsizetype firstDigit = -1;
    for (qsizetype k = 0; k < qsizetype(tokens.size()); ++k)
        if (tokens[k]->kind == Kind::Digit && firstDigit < 0)
            firstDigit = k;
    for (qsizetype k = qsizetype(tokens.size()) - 1; k >= 0; --k) {
        const Token *t = tokens[k];
        if (t->kind == Kind::Literal) {
            built.prepend(t->text);
            continue;
        }
        if (left > 0) {
            const qsizetype take = k == firstDigit ? left : 1;
            built.prepend(digits.sliced(left - take, take));
            left -= take;
        } else if (t->text == u"0") {
            built.prepend(u'0');
        } else if (t->text == u"?") {
            built.prepend(u' ');
        }
    }
    out += built;
}

/// The fraction's placeholders in order; trailing zeros go for # and become
/// spaces for ?.
void fillFraction(const std::vector<const Token *> &tokens, const QString &digits, QString &out) {
    std::vector<QChar> shown(tokens.size());
    qsizetype d = 0;
    for (size_t k = 0; k < tokens.size(); ++k)
        if (tokens[k]->kind == Kind::Digit)
            shown[k] = d < digits.size() ? digits[d++] : QChar(u'0');
    bool trailing = true;
    for (size_t k = tokens.size(); k-- > 0;) {
        const Token *t = tokens[k];
        if (t->kind != Kind::Digit || !trailing || shown[k] != u'0' || t->text == u"0") {
            trailing = trailing && t->kind != Kind::Digit;
            continue;
        }
        shown[k] = t->text == u"?" ? QChar(u' ') : QChar();
    }
    for (size_t k = 0; k < tokens.size(); ++k) {
        if (tokens[k]->kind != Kind::Digit)
            out += tokens[k]->text;
        else if (!shown[k].isNull())
            out += shown[k];
    }
}

struct Parts {
    std::vector<const Token *> whole, fraction, exponent;
    bool point = false;
    QString exponentSign;
};

Parts splitParts(const Section &section) {
    Parts parts;
    int place = 0; // 0 whole, 1 fraction, 2 exponent
    for (const Token &t : section.tokens) {
        if (t.kind == Kind::Point && place == 0) {
            parts.point = true;
            place = 1;
        } else if (t.kind == Kind::Exponent) {
            parts.exponentSign = t.text;
            place = 2;
        } else if (t.kind == Kind::Digit || t.kind == Kind::Literal || t.kind == Kind::General) {
            (place == 0 ? parts.whole : place == 1 ? parts.fraction : parts.exponent).push_back(&t);
        }
    }
    return parts;
}

int digitCount(const std::vector<const Token *> &tokens) {
    int n = 0;
    for (const Token *t : tokens)
        n += t->kind == Kind::Digit;
    return n;
}

QString formatDecimal(const Section &section, double v) {
    const Parts parts = splitParts(section);
    const int decimals = digitCount(parts.fraction);
    QString out;
    if (!parts.exponentSign.isEmpty()) {
        const int wholeDigits = qMax(1, digitCount(parts.whole));
        int exponent = v == 0 ? 0 : int(std::floor(std::log10(v)));
        const bool engineering = wholeDigits > 1;
        exponent =
            engineering ? int(std::floor(double(exponent) / wholeDigits)) * wholeDigits : exponent;
        Fixed f = fixedDigits(v / std::pow(10.0, exponent), decimals);
        if (f.whole.size() > (engineering ? wholeDigits : 1)) {
            exponent += engineering ? wholeDigits : 1;
            f = fixedDigits(v / std::pow(10.0, exponent), decimals);
        }
        fillWhole(parts.whole, section, f.whole, out);
        if (parts.point)
            out += u'.';
        fillFraction(parts.fraction, f.fraction, out);
        out += u'E';
        if (exponent < 0)
            out += u'-';
        else if (parts.exponentSign == u"+")
            out += u'+';
        const int zeros = digitCount(parts.exponent);
        out += QString::number(std::abs(exponent)).rightJustified(zeros, u'0');
        return out;
    }
    const Fixed f = fixedDigits(v, decimals);
    fillWhole(parts.whole, section, f.whole, out);
    if (parts.point)
        out += u'.';
    fillFraction(parts.fraction, f.fraction, out);
    return out;
}

constexpr double MaxFractionValue = 1e14;
constexpr qsizetype MaxFixedDenominatorDigits = 9;

/// "# ?/?" and "?/8": the whole part, then the nearest fraction whose
/// denominator has at most as many digits as its placeholders (or is fixed).
QString formatFraction(const Section &section, double v) {
    const auto &tokens = section.tokens;
    size_t slash = 0;
    while (tokens[slash].kind != Kind::Slash)
        ++slash;
    size_t numeratorStart = slash;
    while (numeratorStart > 0 && tokens[numeratorStart - 1].kind == Kind::Digit)
        --numeratorStart;
    bool hasWhole = false;
    for (size_t k = 0; k < numeratorStart; ++k)
        hasWhole = hasWhole || tokens[k].kind == Kind::Digit;
    int denominatorDigits = 0;
    QString fixedDenominator;
    for (size_t k = slash + 1; k < tokens.size(); ++k) {
        if (tokens[k].kind == Kind::Digit)
            ++denominatorDigits;
        else if (tokens[k].kind == Kind::Literal && denominatorDigits == 0 &&
                 tokens[k].text.front().isDigit())
            for (const QChar c : tokens[k].text) {
                if (!c.isDigit())
                    break;
                fixedDenominator += c;
            }
        else
            break;
    }
    // Past whole numbers of 14 digits, or a denominator of 10 digits, a
    // fraction no longer fits the integers it is built from: show the number.
    if (!std::isfinite(v) || std::fabs(v) >= MaxFractionValue ||
        fixedDenominator.size() > MaxFixedDenominatorDigits)
        return generalNumber(v);
    double whole = hasWhole ? std::floor(v) : 0;
    const double part = v - whole;
    qint64 bestN = 0, bestD = 1;
    if (!fixedDenominator.isEmpty()) {
        bestD = qMax<qint64>(1, fixedDenominator.toLongLong());
        if (std::fabs(part) * double(bestD) >= MaxFractionValue)
            return generalNumber(v);
        bestN = qint64(std::llround(part * double(bestD)));
    } else {
        const qint64 maxD = qint64(std::pow(10.0, qBound(1, denominatorDigits, 4))) - 1;
        double bestError = 2;
        for (qint64 d = 1; d <= maxD; ++d) {
            const qint64 n = std::llround(part * double(d));
            const double error = std::fabs(part - double(n) / double(d));
            if (error < bestError - 1e-12) {
                bestError = error;
                bestN = n;
                bestD = d;
            }
        }
    }
    if (hasWhole && bestN == bestD) {
        whole += 1;
        bestN = 0;
    }
    QString out;
    for (size_t k = 0; k < numeratorStart; ++k)
        if (tokens[k].kind == Kind::Literal && out.isEmpty() && !hasWhole)
            out += tokens[k].text;
    if (hasWhole && (whole != 0 || bestN == 0))
        out += QString::number(qint64(whole));
    if (bestN != 0) {
        if (!out.isEmpty() && hasWhole)
            out += u' ';
        out += QString::number(bestN) + u'/' + QString::number(bestD);
    }
    return out;
}

/// Calendar date of a serial day number; day 60 of the 1900 system is the
/// 29 February 1900 that spreadsheets count, and day 0 is "1/0/1900".
struct Day {
    int year, month, day, weekday; ///< weekday 1 = Monday
};

Day dayOf(qint64 serial, bool date1904) {
    if (date1904) {
        const QDate d = QDate(1904, 1, 1).addDays(serial);
        return {d.year(), d.month(), d.day(), d.dayOfWeek()};
    }
    if (serial == 0)
        return {1900, 1, 0, 6};
    if (serial == 60)
        return {1900, 2, 29, 3};
    const QDate d =
        serial < 60 ? QDate(1899, 12, 31).addDays(serial) : QDate(1899, 12, 30).addDays(serial);
    return {d.year(), d.month(), d.day(), d.dayOfWeek()};
}

QString two(qint64 n, int count) {
    return QString::number(n).rightJustified(count >= 2 ? 2 : 1, u'0');
}

QString formatDate(const Section &section, double v, bool date1904) {
    int subDigits = 0;
    for (const Token &t : section.tokens)
        if (t.kind == Kind::SubSecond)
            subDigits = t.count;
    const qint64 unitsPerSecond = qint64(std::pow(10, subDigits));
    const qint64 total = std::llround(v * 86400.0 * double(unitsPerSecond));
    const qint64 perDay = 86400 * unitsPerSecond;
    const qint64 serial = total / perDay;
    const qint64 inDay = total % perDay;
    const qint64 seconds = inDay / unitsPerSecond;
    const Day day = dayOf(serial, date1904);
    const qint64 hour = seconds / 3600, minute = seconds / 60 % 60, second = seconds % 60;
    QString out;
    for (const Token &t : section.tokens) {
        switch (t.kind) {
        case Kind::Literal:
            out += t.text;
            break;
        case Kind::Year:
            out += t.count <= 2 ? two(day.year % 100, 2) : QString::number(day.year);
            break;
        case Kind::Month:
            if (t.count <= 2)
                out += two(day.month, t.count);
            else if (t.count == 3)
                out += QLatin1StringView(Months[size_t(day.month - 1)]).left(3);
            else if (t.count == 4)
                out += QLatin1StringView(Months[size_t(day.month - 1)]);
            else
                out += QLatin1StringView(Months[size_t(day.month - 1)]).left(1);
            break;
        case Kind::Day:
            if (t.count <= 2)
                out += two(day.day, t.count);
            else if (t.count == 3)
                out += QLatin1StringView(Days[size_t(day.weekday - 1)]).left(3);
            else
                out += QLatin1StringView(Days[size_t(day.weekday - 1)]);
            break;
        case Kind::Hour:
            out += two(section.twelveHour ? (hour % 12 == 0 ? 12 : hour % 12) : hour, t.count);
            break;
        case Kind::Minute:
            out += two(minute, t.count);
            break;
        case Kind::Second:
            out += two(second, t.count);
            break;
        case Kind::SubSecond:
            out += u'.' + QString::number(inDay % unitsPerSecond).rightJustified(t.count, u'0');
            break;
        case Kind::AmPm: {
            const bool pm = hour >= 12;
            const QStringView mark = t.text.size() > 3 ? (pm ? u"PM" : u"AM") : (pm ? u"P" : u"A");
            out += t.text[0].isLower() ? mark.toString().toLower() : mark.toString();
            break;
        }
        case Kind::ElapsedHours:
            out += QString::number(total / unitsPerSecond / 3600).rightJustified(t.count, u'0');
            break;
        case Kind::ElapsedMinutes:
            out += QString::number(total / unitsPerSecond / 60).rightJustified(t.count, u'0');
            break;
        case Kind::ElapsedSeconds:
            out += QString::number(total / unitsPerSecond).rightJustified(t.count, u'0');
            break;
        default:
            break;
        }
    }
    return out;
}

bool hasKind(const Section &section, Kind kind) {
    for (const Token &t : section.tokens)
        if (t.kind == kind)
            return true;
    return false;
}

QString formatSection(const Section &section, double v, bool date1904) {
    if (section.date)
        return formatDate(section, v, date1904);
    if (hasKind(section, Kind::General) && !hasKind(section, Kind::Digit)) {
        QString out;
        for (const Token &t : section.tokens)
            out += t.kind == Kind::General ? generalNumber(v) : t.text;
        return out;
    }
    const double scaled = v * section.percentFactor / section.scaleDivisor;
    if (hasKind(section, Kind::Slash))
        return formatFraction(section, scaled);
    return formatDecimal(section, scaled);
}

} // namespace

struct NumberFormat::Parsed {
    std::vector<Section> sections;
    bool general = false;
};

QStringView builtInFormat(int id) {
    return id >= 0 && id < int(BuiltIn.size()) ? QStringView(BuiltIn[size_t(id)]) : QStringView();
}

namespace {

/// generalNumber()'s characters into digits; their count.
qsizetype generalChars(double value, char (&digits)[32]) {
    if (value == 0) {
        digits[0] = '0';
        return 1;
    }
    const double magnitude = std::fabs(value);
    const auto format = magnitude >= 1e-5 && magnitude < 1e15 ? std::chars_format::fixed
                                                              : std::chars_format::general;
    return std::to_chars(digits, digits + sizeof digits, value, format).ptr - digits;
}

} // namespace

QString generalNumber(double value) {
    char digits[32];
    return QString::fromLatin1(digits, generalChars(value, digits));
}

void appendGeneralNumber(TextWriter &out, double value) {
    char digits[32];
    const qsizetype n = generalChars(value, digits);
    char16_t wide[32];
    std::copy(digits, digits + n, wide);
    out.append(QStringView(wide, n));
}

NumberFormat::NumberFormat(QStringView formatCode) : parsed_(std::make_unique<Parsed>()) {
    const QStringView code = formatCode.trimmed();
    parsed_->general = code.isEmpty() || code.compare(u"General", Qt::CaseInsensitive) == 0;
    if (!parsed_->general)
        parsed_->sections = parseSections(code);
}

NumberFormat::~NumberFormat() = default;
NumberFormat::NumberFormat(NumberFormat &&) noexcept = default;
NumberFormat &NumberFormat::operator=(NumberFormat &&) noexcept = default;

bool NumberFormat::isGeneral() const {
    return parsed_->general;
}

bool NumberFormat::isDate() const {
    return !parsed_->sections.empty() && parsed_->sections.front().date;
}

namespace {

/// The section that shows a value, and whether it shows the value's sign;
/// no section when the value is shown as General.
struct Choice {
    const Section *section = nullptr;
    bool showSign = true;
};

Choice choose(const std::vector<Section> &sections, bool general, double value) {
    if (general || sections.empty() || !std::isfinite(value))
        return {};
    bool conditions = false;
    for (const Section &s : sections)
        conditions = conditions || s.condition.op != Condition::None;
    size_t chosen = 0;
    bool showSign = true;
    if (conditions) {
        while (chosen + 1 < sections.size() && !sections[chosen].condition.holds(value) &&
               (sections[chosen].condition.op != Condition::None || chosen == 0))
            ++chosen;
        showSign = chosen == 0 || sections[chosen].condition.op == Condition::None;
        showSign = showSign && chosen != 1;
    } else if (value < 0 && sections.size() >= 2) {
        chosen = 1;
        showSign = false;
    } else if (value == 0 && sections.size() >= 3) {
        chosen = 2;
    }
    const Section &section = sections[chosen];
    if (section.date && (value < 0 || value >= 2958466))
        return {};
    return {&section, showSign};
}

/// A minus goes before a negative number that shows a digit other than zero.
bool showsMinus(QStringView text, double value, bool showSign) {
    if (value >= 0 || !showSign)
        return false;
    for (const QChar c : text)
        if (c.isDigit() && c != u'0')
            return true;
    return false;
}

QString shown(const Section &section, double value, bool showSign, bool date1904) {
    QString text = formatSection(section, std::fabs(value), date1904).trimmed();
    if (!section.date && showsMinus(text, value, showSign))
        text.prepend(u'-');
    return text;
}

/// The shown text of a number in a section of the plain shape from the
/// digits of its rounded value, as shown() gives it.
void layOutPlain(TextWriter &out, const Section &section, std::string_view whole,
                 std::string_view fraction, double value, bool showSign) {
    const Plain &plain = section.plain;
    if (whole == "0" && plain.zeros == 0)
        whole = {};
    const size_t zeros = whole.size() < size_t(plain.zeros) ? plain.zeros - whole.size() : 0;
    const size_t count = zeros + whole.size();
    const size_t room =
        size_t(plain.prefix.size() + plain.suffix.size()) + 2 * count + 1 + fraction.size();
    QVarLengthArray<char16_t, 128> text(static_cast<qsizetype>(room));
    char16_t *at = std::copy_n(QStringView(plain.prefix).utf16(), plain.prefix.size(), text.data());
    for (size_t i = 0; i < count; ++i) {
        if (section.grouping && i > 0 && (count - i) % 3 == 0)
            *at++ = u',';
        *at++ = i < zeros ? u'0' : char16_t(whole[i - zeros]);
    }
    if (plain.point)
        *at++ = u'.';
    at = std::copy(fraction.begin(), fraction.end(), at);
    at = std::copy_n(QStringView(plain.suffix).utf16(), plain.suffix.size(), at);
    qsizetype from = 0, to = at - text.data();
    while (from < to && QChar::isSpace(text[from]))
        ++from;
    while (to > from && QChar::isSpace(text[to - 1]))
        --to;
    const QStringView trimmed(text.constData() + from, to - from);
    if (showsMinus(trimmed, value, showSign))
        out.append(u'-');
    out.append(trimmed);
}

void appendPlain(TextWriter &out, const Section &section, double value, bool showSign) {
    const int decimals = section.plain.decimals;
    const double scaled = std::fabs(value) * section.percentFactor / section.scaleDivisor;
    quint64 m = 0;
    int p = 0;
    if (decimals < int(std::size(PowersOfTen)) && shortDecimal(scaled, m, p)) {
        // m / 10^p rounded half up to the decimals shown, in whole numbers.
        if (p > decimals) {
            const quint64 unit = PowersOfTen[p - decimals];
            m = m / unit + (m % unit >= unit / 2 ? 1 : 0);
            p = decimals;
        }
        char whole[24];
        const char *end = std::to_chars(whole, whole + sizeof whole, m / PowersOfTen[p]).ptr;
        char fraction[16];
        quint64 part = m % PowersOfTen[p];
        for (int k = p - 1; k >= 0; --k, part /= 10)
            fraction[k] = char('0' + part % 10);
        std::fill(fraction + p, fraction + decimals, '0');
        layOutPlain(out, section, std::string_view(whole, size_t(end - whole)),
                    std::string_view(fraction, size_t(decimals)), value, showSign);
        return;
    }
    FixedChars digits;
    fixedChars(scaled, decimals, digits);
    layOutPlain(out, section, digits.whole, digits.fraction, value, showSign);
}

} // namespace

QString NumberFormat::format(double value, bool date1904) const {
    const Choice choice = choose(parsed_->sections, parsed_->general, value);
    if (!choice.section)
        return generalNumber(value);
    return shown(*choice.section, value, choice.showSign, date1904);
}

void NumberFormat::appendTo(TextWriter &out, double value, bool date1904) const {
    const Choice choice = choose(parsed_->sections, parsed_->general, value);
    if (!choice.section)
        appendGeneralNumber(out, value);
    else if (choice.section->plain.ok)
        appendPlain(out, *choice.section, value, choice.showSign);
    else
        out.append(shown(*choice.section, value, choice.showSign, date1904));
}

std::vector<NumberFormat> styleFormats(const std::vector<int> &formatIds,
                                       const QHash<int, QString> &codes) {
    std::vector<NumberFormat> formats;
    formats.reserve(formatIds.size());
    for (const int id : formatIds) {
        const auto own = codes.constFind(id);
        formats.emplace_back(own != codes.cend() ? QStringView(*own) : builtInFormat(id));
    }
    return formats;
}

QString formatNumber(double value, QStringView formatCode, bool date1904) {
    return NumberFormat(formatCode).format(value, date1904);
}

} // namespace numberformat
