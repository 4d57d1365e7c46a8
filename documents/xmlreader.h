#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>

#include <cstring>

class TextWriter;

/// Names compared in place: the readers compare every element's name with
/// several, and this costs no call.
inline bool nameIs(QByteArrayView name, QByteArrayView wanted) {
    return name.size() == wanted.size() &&
           (name.isEmpty() || std::memcmp(name.data(), wanted.data(), size_t(name.size())) == 0);
}

/// Bytes handed over in pieces: a zip entry as it is inflated, or a buffer.
class ByteSource {
  public:
    virtual ~ByteSource() = default;
    /// Up to max bytes into to; 0 at the end, negative on a failure.
    virtual qint64 read(char *to, qint64 max) = 0;
};

/// A buffer already in memory as a source.
class MemorySource : public ByteSource {
  public:
    explicit MemorySource(QByteArrayView bytes) : bytes_(bytes) {}
    qint64 read(char *to, qint64 max) override;

  private:
    QByteArrayView bytes_;
    qsizetype at_ = 0;
};

/// A pull reader of the XML parts of office documents: start and end tags,
/// their attributes and the text between them, read from a source in blocks
/// so memory stays within the largest single tag or text run. The five named
/// entities and character references are decoded; a document type
/// declaration is skipped and no other entity is expanded, so nothing outside
/// the bytes is ever fetched and no text grows beyond its bytes. Names are
/// compared without their namespace prefix, as office files use fixed ones.
/// Too deep nesting, a token beyond the size bound or broken bytes end the
/// part: what was read before stays.
class XmlReader {
  public:
    enum Token { StartElement, EndElement, Characters, EndDocument };

    explicit XmlReader(ByteSource &source);

    Token readNext();
    /// On a start tag: passes over the element's content to its end tag.
    void skipElement();
    Token token() const { return token_; }
    /// The element's name without its prefix (start and end tags).
    QByteArrayView name() const { return name_; }
    /// The name with its prefix, as written.
    QByteArrayView qualifiedName() const { return qualifiedName_; }
    bool isStart(QByteArrayView localName) const {
        return token_ == StartElement && nameIs(name_, localName);
    }
    bool isEnd(QByteArrayView localName) const {
        return token_ == EndElement && nameIs(name_, localName);
    }
    /// Elements open around the current token.
    int depth() const { return depth_; }

    /// The decoded value of the start tag's attribute of that local name (or
    /// of that prefixed name, "r:id"), empty when absent.
    QString attribute(QByteArrayView localName) const;
    bool hasAttribute(QByteArrayView localName) const;
    /// The attribute's bytes as written, for values that hold no entities
    /// (numbers, type letters).
    QByteArrayView rawAttribute(QByteArrayView localName) const;
    /// The start tag's attributes in turn, with their names as written and
    /// their values' bytes; namespace declarations are left out. at starts
    /// at 0; false after the last.
    bool nextAttribute(qsizetype &at, QByteArrayView &qualifiedName, QByteArrayView &value) const;
    /// A name without its prefix.
    static QByteArrayView localPart(QByteArrayView qualifiedName) {
        for (qsizetype i = qualifiedName.size(); i-- > 0;)
            if (qualifiedName[i] == ':')
                return qualifiedName.sliced(i + 1);
        return qualifiedName;
    }
    /// The bytes of a Characters token as written.
    QByteArrayView rawText() const { return token_ == Characters ? text_ : QByteArrayView(); }

    /// The decoded text of a Characters token.
    QString text() const;
    void appendText(TextWriter &out) const;

    /// True when the part ended early (broken, too deep, too large).
    bool stoppedEarly() const { return stopped_; }

    static constexpr int MaxDepth = 1024;
    static constexpr qsizetype MaxToken = qsizetype(16) << 20;

  private:
    bool ensure(qsizetype n) { return length_ - pos_ >= n || fill(n); }
    bool fill(qsizetype n);
    qsizetype find(char c, qsizetype from);
    qsizetype findSequence(QByteArrayView s, qsizetype from);
    bool skipMarkup();
    qsizetype startTagEnd();
    Token startTag(qsizetype end);
    Token stop();
    bool findAttribute(QByteArrayView localName, QByteArrayView &value) const;

    ByteSource &source_;
    QByteArray buffer_;
    qsizetype pos_ = 0;    ///< start of the next token in buffer_
    qsizetype length_ = 0; ///< bytes of buffer_ in use
    bool sourceDone_ = false;
    bool stopped_ = false;
    bool pendingEnd_ = false; ///< an empty element's end comes next
    bool cdata_ = false;
    Token token_ = EndDocument;
    int depth_ = 0;
    QByteArrayView name_;
    QByteArrayView qualifiedName_;
    QByteArrayView attributes_;
    QByteArrayView text_;
};

/// Decodes XML character data (entities, character references) and
/// appends it to out, each character as it is.
void appendXmlText(QByteArrayView raw, TextWriter &out);
