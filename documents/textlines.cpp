#include "documents/textlines.h"

#include "documents/xmlreader.h"

namespace {

/// Characters of set-aside text one paragraph may hold.
constexpr qsizetype AsideLimit = qsizetype(16) << 20;

} // namespace

TextLines::~TextLines() {
    finishLine();
    out_ = &main_;
    flushAsides();
}

void TextLines::beforeText() {
    if (place_.spacePending && place_.lineHasText)
        out_->append(u' ');
    place_.spacePending = false;
    place_.lineHasText = true;
}

void TextLines::text(const XmlReader &reader) {
    beforeText();
    reader.appendText(*out_);
}

void TextLines::append(QStringView text) {
    if (text.isEmpty())
        return;
    beforeText();
    out_->append(text);
}

void TextLines::lineEnd() {
    out_->appendLineEnd();
    place_.lineHasText = false;
    place_.spacePending = false;
    if (outer_.empty())
        flushAsides();
}

// The text set aside in the paragraph just ended follows it.
void TextLines::flushAsides() {
    if (!asideWriter_)
        return;
    asideWriter_.reset();
    main_.append(asideText_);
    asideText_.clear();
}

void TextLines::paragraphEnd() {
    if (place_.cells > 0)
        place_.spacePending = true;
    else
        lineEnd();
}

void TextLines::cellEnd() {
    place_.cells = qMax(0, place_.cells - 1);
    place_.spacePending = true;
}

void TextLines::rowEnd() {
    if (place_.cells == 0) // a table nested in a cell keeps to the outer row's line
        finishLine();
}

void TextLines::finishLine() {
    if (place_.lineHasText)
        lineEnd();
    else if (outer_.empty())
        flushAsides();
}

void TextLines::asideStart() {
    outer_.push_back(place_);
    place_ = {};
    if (!asideWriter_)
        asideWriter_ = std::make_unique<TextWriter>(asideText_, AsideLimit);
    out_ = asideWriter_.get();
}

void TextLines::asideEnd() {
    if (outer_.empty())
        return;
    if (place_.lineHasText)
        out_->appendLineEnd();
    place_ = outer_.back();
    outer_.pop_back();
    if (outer_.empty())
        out_ = &main_;
}
