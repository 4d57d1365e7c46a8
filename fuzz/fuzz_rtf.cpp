// The RTF reader on any bytes: plain text and the formatting callbacks.
#include "documents/rtfreader.h"

#include <cstddef>
#include <cstdint>

namespace {

class CheckingSink : public RtfSink {
  public:
    explicit CheckingSink(const RtfTables &tables) : tables_(tables) {}
    void text(QStringView text, const RtfCharFormat &format) override {
        size_ += text.size();
        if (const RtfFont *font = tables_.font(format.font))
            size_ += font->name.size() > 0;
        size_ += tables_.color(format.color).red;
    }
    void paragraph(const RtfCharFormat &) override { ++size_; }
    void lineBreak(const RtfCharFormat &) override { ++size_; }
    void tab(const RtfCharFormat &) override { ++size_; }
    void cellEnd(const RtfCharFormat &) override { ++size_; }

  private:
    const RtfTables &tables_;
    qsizetype size_ = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString text = rtfPlainText(bytes);
    // Every input byte gives at most two characters of text.
    if (text.size() > 2 * qsizetype(size) + 2)
        __builtin_trap();
    RtfTables tables;
    CheckingSink sink(tables);
    readRtf(bytes, sink, &tables);
    return 0;
}
