#include "scan/textordocument.h"

#include "documents/packagetext.h"

namespace {

/// The client's reading, with the file handed back when it begins as a
/// document does, until told to read it as text.
class DocumentCheck : public TextFileReader::Client {
  public:
    explicit DocumentCheck(TextFileReader::Client &client) : client_(client) {}
    const LineFinder &finder() override { return client_.finder(); }
    bool lineMatched(qint64 lineNumber, QByteArrayView line) override {
        return client_.lineMatched(lineNumber, line);
    }
    bool longLineMatched(qint64 lineNumber, QByteArrayView head) override {
        return client_.longLineMatched(lineNumber, head);
    }
    bool blockDone() override { return client_.blockDone(); }
    bool searchChanged() override { return client_.searchChanged(); }
    bool handsBack(QByteArrayView head) override {
        handedBack_ = checking_ && mayBeDocument(head);
        return handedBack_;
    }
    bool handedBack() const { return handedBack_; }
    void readAsText() { checking_ = handedBack_ = false; }

  private:
    TextFileReader::Client &client_;
    bool checking_ = true;
    bool handedBack_ = false;
};

} // namespace

TextOrDocument scanTextOrDocument(TextFileReader &reader, const QString &path,
                                  TextFileReader::Client &client,
                                  const std::function<bool()> &readDocument) {
    DocumentCheck check(client);
    TextOrDocument read;
    read.ok = reader.scan(path, check);
    if (!check.handedBack())
        return read;
    if ((read.document = readDocument()))
        return read;
    check.readAsText();
    read.ok = reader.scan(path, check);
    return read;
}
