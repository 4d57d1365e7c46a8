#include "documents/xmlreader.h"

#include "documents/textwriter.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr qsizetype Block = qsizetype(256) * 1024;

bool isSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

QByteArrayView trimmed(QByteArrayView s) {
    while (!s.isEmpty() && isSpace(s.back()))
        s.chop(1);
    while (!s.isEmpty() && isSpace(s.front()))
        s = s.sliced(1);
    return s;
}

// The text of a character reference's number, or U+FFFD when it names no
// character.
char32_t referencedChar(QByteArrayView digits) {
    const bool hex = digits.startsWith('x') || digits.startsWith('X');
    if (hex)
        digits = digits.sliced(1);
    if (digits.isEmpty() || digits.size() > 8)
        return 0xFFFD;
    char32_t value = 0;
    for (const char c : digits) {
        int d = -1;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        if (d < 0)
            return 0xFFFD;
        value = value * (hex ? 16 : 10) + char32_t(d);
    }
    const bool valid = value > 0 && value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
    return valid ? value : 0xFFFD;
}

void appendUtf8(QByteArrayView bytes, TextWriter &out) {
    if (bytes.isEmpty())
        return;
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    if (char16_t *at = out.beginWrite(bytes.size())) {
        QChar *end = decoder.appendToBuffer(reinterpret_cast<QChar *>(at), bytes);
        out.endWrite(reinterpret_cast<char16_t *>(end));
    }
}

void appendEntity(QByteArrayView name, TextWriter &out) {
    if (name.startsWith('#')) {
        const char32_t c = referencedChar(name.sliced(1));
        const char32_t text[] = {c};
        out.append(QStringView(QString::fromUcs4(text, 1)));
    } else if (name == "lt") {
        out.append(u'<');
    } else if (name == "gt") {
        out.append(u'>');
    } else if (name == "amp") {
        out.append(u'&');
    } else if (name == "quot") {
        out.append(u'"');
    } else if (name == "apos") {
        out.append(u'\'');
    }
    // Any other entity would need a document type declaration: nothing.
}

} // namespace

void appendXmlText(QByteArrayView raw, TextWriter &out) {
    while (!raw.isEmpty()) {
        const qsizetype amp = raw.indexOf('&');
        if (amp < 0)
            return appendUtf8(raw, out);
        appendUtf8(raw.first(amp), out);
        const qsizetype semi = raw.indexOf(';', amp);
        if (semi < 0 || semi - amp > 12) { // not a reference: the ampersand as it is
            out.append(u'&');
            raw = raw.sliced(amp + 1);
            continue;
        }
        appendEntity(raw.sliced(amp + 1, semi - amp - 1), out);
        raw = raw.sliced(semi + 1);
    }
}

qint64 MemorySource::read(char *to, qint64 max) {
    const qint64 n = std::min<qint64>(max, bytes_.size() - at_);
    std::memcpy(to, bytes_.data() + at_, size_t(n));
    at_ += n;
    return n;
}

XmlReader::XmlReader(ByteSource &source) : source_(source) {}

// At least n bytes from pos_ in the buffer, reading on; false when the source
// ends first or the token would pass the size bound.
bool XmlReader::fill(qsizetype n) {
    while (length_ - pos_ < n) {
        if (sourceDone_ || n > MaxToken)
            return false;
        if (pos_ > 0) {
            std::memmove(buffer_.data(), buffer_.constData() + pos_, size_t(length_ - pos_));
            length_ -= pos_;
            pos_ = 0;
        }
        if (buffer_.size() - length_ < Block)
            buffer_.resize(std::max(buffer_.size() * 2, length_ + Block));
        const qint64 got = source_.read(buffer_.data() + length_, buffer_.size() - length_);
        if (got <= 0) {
            sourceDone_ = true;
            stopped_ = stopped_ || got < 0;
            return false;
        }
        length_ += got;
    }
    return true;
}

// The offset from pos_ of the next c at or after from, or -1.
qsizetype XmlReader::find(char c, qsizetype from) {
    for (;;) {
        const qsizetype available = length_ - pos_;
        if (from < available) {
            const char *base = buffer_.constData() + pos_;
            if (const void *hit = std::memchr(base + from, c, size_t(available - from)))
                return static_cast<const char *>(hit) - base;
            from = available;
        }
        if (!ensure(available + 1))
            return -1;
    }
}

qsizetype XmlReader::findSequence(QByteArrayView s, qsizetype from) {
    for (;;) {
        const qsizetype at = find(s.front(), from);
        if (at < 0 || !ensure(at + s.size()))
            return -1;
        if (QByteArrayView(buffer_.constData() + pos_ + at, s.size()) == s)
            return at;
        from = at + 1;
    }
}

// Comments, processing instructions and declarations (a document type
// included, with its internal subset) are passed over.
bool XmlReader::skipMarkup() {
    const char *p = buffer_.constData() + pos_;
    qsizetype end = -1;
    if (p[1] == '?') {
        end = findSequence("?>", 2);
        end = end < 0 ? end : end + 2;
    } else if (ensure(4) && QByteArrayView(buffer_.constData() + pos_, 4) == "<!--") {
        end = findSequence("-->", 4);
        end = end < 0 ? end : end + 3;
    } else {
        int brackets = 0;
        for (qsizetype i = 2; end < 0; ++i) {
            if (!ensure(i + 1))
                return false;
            const char c = buffer_.at(pos_ + i);
            brackets += c == '[' ? 1 : c == ']' ? -1 : 0;
            if (c == '>' && brackets <= 0)
                end = i + 1;
        }
    }
    if (end < 0)
        return false;
    pos_ += end;
    return true;
}

XmlReader::Token XmlReader::stop() {
    stopped_ = stopped_ || !sourceDone_ || length_ > pos_;
    sourceDone_ = true;
    pos_ = length_;
    depth_ = 0;
    return token_ = EndDocument;
}

// The start tag from pos_ to its closing '>' at end; '>' inside quoted
// attribute values was passed over by the caller.
XmlReader::Token XmlReader::startTag(qsizetype end) {
    QByteArrayView tag(buffer_.constData() + pos_ + 1, end - 1);
    pos_ += end + 1;
    const bool empty = tag.endsWith('/');
    if (empty)
        tag.chop(1);
    qsizetype n = 0;
    while (n < tag.size() && !isSpace(tag[n]))
        ++n;
    qualifiedName_ = tag.first(n);
    name_ = localPart(qualifiedName_);
    attributes_ = tag.sliced(n);
    if (depth_ >= MaxDepth)
        return stop();
    ++depth_;
    pendingEnd_ = empty;
    return token_ = StartElement;
}

void XmlReader::skipElement() {
    if (token_ != StartElement)
        return;
    const int depth = depth_;
    while (readNext() != EndDocument)
        if (token_ == EndElement && depth_ < depth)
            return;
}

XmlReader::Token XmlReader::readNext() {
    if (pendingEnd_) {
        pendingEnd_ = false;
        --depth_;
        return token_ = EndElement;
    }
    for (;;) {
        if (stopped_ || !ensure(1))
            return stop();
        if (buffer_.at(pos_) != '<') {
            const qsizetype end = find('<', 1);
            if (end < 0) // text after the last tag belongs to no element
                return stop();
            text_ = QByteArrayView(buffer_.constData() + pos_, end);
            pos_ += end;
            cdata_ = false;
            return token_ = Characters;
        }
        if (!ensure(2))
            return stop();
        const char second = buffer_.at(pos_ + 1);
        if (second == '/') {
            const qsizetype end = find('>', 2);
            if (end < 0)
                return stop();
            qualifiedName_ = trimmed(QByteArrayView(buffer_.constData() + pos_ + 2, end - 2));
            name_ = localPart(qualifiedName_);
            pos_ += end + 1;
            depth_ = std::max(0, depth_ - 1);
            return token_ = EndElement;
        }
        if (second == '!' && ensure(9) &&
            QByteArrayView(buffer_.constData() + pos_, 9) == "<![CDATA[") {
            const qsizetype end = findSequence("]]>", 9);
            if (end < 0)
                return stop();
            text_ = QByteArrayView(buffer_.constData() + pos_ + 9, end - 9);
            pos_ += end + 3;
            cdata_ = true;
            return token_ = Characters;
        }
        if (second == '!' || second == '?') {
            if (!skipMarkup())
                return stop();
            continue;
        }
        const qsizetype end = startTagEnd();
        return end < 0 ? stop() : startTag(end);
    }
}

// The offset from pos_ of the '>' that closes the start tag there, passing
// over any inside quoted attribute values; -1 when the part ends first.
qsizetype XmlReader::startTagEnd() {
    char quote = 0;
    for (qsizetype i = 1;;) {
        const char *p = buffer_.constData() + pos_;
        for (const qsizetype available = length_ - pos_; i < available; ++i) {
            const char c = p[i];
            if (quote) {
                quote = c == quote ? 0 : quote;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                return i;
            }
        }
        if (!ensure(i + 1))
            return -1;
    }
}

bool XmlReader::nextAttribute(qsizetype &at, QByteArrayView &qualifiedName,
                              QByteArrayView &value) const {
    const QByteArrayView all = attributes_;
    for (;;) {
        qsizetype i = at;
        while (i < all.size() && isSpace(all[i]))
            ++i;
        const qsizetype nameStart = i;
        while (i < all.size() && all[i] != '=' && !isSpace(all[i]))
            ++i;
        const QByteArrayView name = all.sliced(nameStart, i - nameStart);
        while (i < all.size() && (isSpace(all[i]) || all[i] == '='))
            ++i;
        if (i >= all.size() || (all[i] != '"' && all[i] != '\''))
            return false;
        const void *quote = std::memchr(all.data() + i + 1, all[i], size_t(all.size() - i - 1));
        if (!quote)
            return false;
        const qsizetype close = static_cast<const char *>(quote) - all.data();
        at = close + 1;
        if (!(name.size() >= 5 && std::memcmp(name.data(), "xmlns", 5) == 0)) {
            qualifiedName = name;
            value = all.sliced(i + 1, close - i - 1);
            return true;
        }
    }
}

bool XmlReader::findAttribute(QByteArrayView localName, QByteArrayView &value) const {
    // A prefixed name asks for that prefix; a bare one for any.
    const bool prefixed = localName.contains(':');
    QByteArrayView name;
    for (qsizetype at = 0; nextAttribute(at, name, value);)
        if ((prefixed ? name : localPart(name)) == localName)
            return true;
    return false;
}

bool XmlReader::hasAttribute(QByteArrayView localName) const {
    QByteArrayView value;
    return token_ == StartElement && findAttribute(localName, value);
}

QByteArrayView XmlReader::rawAttribute(QByteArrayView localName) const {
    QByteArrayView value;
    return token_ == StartElement && findAttribute(localName, value) ? value : QByteArrayView();
}

QString XmlReader::attribute(QByteArrayView localName) const {
    QByteArrayView value;
    if (token_ != StartElement || !findAttribute(localName, value))
        return {};
    QString out;
    {
        TextWriter writer(out, value.size() + 16);
        appendXmlText(value, writer);
    }
    return out;
}

QString XmlReader::text() const {
    QString out;
    {
        TextWriter writer(out, text_.size() + 16);
        appendText(writer);
    }
    return out;
}

void XmlReader::appendText(TextWriter &out) const {
    if (token_ != Characters)
        return;
    if (cdata_)
        appendUtf8(text_, out);
    else
        appendXmlText(text_, out);
}
