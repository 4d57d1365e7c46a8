#pragma once

#include "documents/textwriter.h"

#include <QStringView>

#include <memory>
#include <vector>

class XmlReader;

/// Lays out the text of a markup document as lines: a paragraph or line
/// break ends a line, except inside a table, where the cells of a row are
/// joined by a space and the row ends the line. Text set aside in a
/// paragraph (a text box, a note, a comment) gets lines of its own after the
/// paragraph, which stays whole.
class TextLines {
  public:
    explicit TextLines(TextWriter &out) : main_(out), out_(&out) {}
    ~TextLines();
    TextLines(const TextLines &) = delete;
    TextLines &operator=(const TextLines &) = delete;

    void text(const XmlReader &reader);
    void append(QStringView text);
    /// Text that write(TextWriter &) puts straight into the lines, spaced as
    /// append() spaces it; when it writes nothing, nothing changes.
    template <typename Write> void write(Write &&write) {
        const qsizetype mark = out_->size();
        if (place_.spacePending && place_.lineHasText)
            out_->append(u' ');
        const qsizetype start = out_->size();
        write(*out_);
        if (out_->size() == start) {
            if (!out_->full())
                out_->truncate(mark);
            return;
        }
        place_.spacePending = false;
        place_.lineHasText = true;
    }
    void paragraphEnd();
    void cellStart() { ++place_.cells; }
    void cellEnd();
    void rowEnd();
    void asideStart();
    void asideEnd();
    /// Ends the current line when it holds text.
    void finishLine();

  private:
    struct Place {
        int cells = 0; ///< table cells open around the text
        bool lineHasText = false;
        bool spacePending = false;
    };

    void beforeText();
    void lineEnd();
    void flushAsides();

    TextWriter &main_;
    TextWriter *out_; ///< main_, or asideWriter_ inside an aside
    QString asideText_;
    std::unique_ptr<TextWriter> asideWriter_;
    Place place_;
    std::vector<Place> outer_; ///< where each open aside was started
};
