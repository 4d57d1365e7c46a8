#pragma once

#include "documents/listnumbers.h"

#include <QByteArrayView>

#include <vector>

/// The property lists (grpprl) of Word 97-2003: calls visit(sprm, operand)
/// for each property, in order; an operand cut short by the end is left out.
template <typename Visit> void forEachSprm(QByteArrayView grpprl, Visit visit) {
    static constexpr qsizetype OperandSize[] = {1, 1, 2, 4, 2, 2, 0, 3};
    for (qsizetype at = 0; at + 2 < grpprl.size();) {
        const quint16 sprm = quint16(quint8(grpprl[at]) | quint8(grpprl[at + 1]) << 8);
        at += 2;
        qsizetype size = OperandSize[sprm >> 13];
        if (size == 0 && (sprm == 0xD608 || sprm == 0xD606)) // table definitions: 16-bit size
            size = 1 + (quint8(grpprl[at]) | (at + 1 < grpprl.size() ? quint8(grpprl[at + 1]) : 0)
                                                 << 8);
        else if (size == 0)
            size = 1 + quint8(grpprl[at]);
        if (at + size > grpprl.size())
            return;
        visit(sprm, grpprl.sliced(at, size));
        at += size;
    }
}

/// The numbers and bullets of the lists of a Word 97-2003 document: its list
/// tables, its paragraphs' and styles' list and level, counted as Word counts
/// them from the first paragraph on.
class WordLists {
  public:
    /// The lists of the document (the WordDocument stream, its table stream
    /// and the start of the FIB's table of offsets); empty when it has none.
    static WordLists read(QByteArrayView doc, QByteArrayView table, qsizetype offsets);

    bool isEmpty() const { return numbers_.isEmpty(); }
    /// The label (with the space after it) of the paragraph whose text starts
    /// at that offset of the WordDocument stream; empty for no list.
    QString next(qsizetype fc);

  private:
    struct Place {
        int list = -1;  ///< the LFO, counted from 1; 0: none; -1: the style's
        int level = -1; ///< -1: the style's
        int style = 0;
    };
    struct Run {
        qsizetype from = 0, to = 0;
        Place place;
    };
    struct Style {
        int base = 0x0FFF;
        Place place;
    };

    void readListTables(QByteArrayView table, QByteArrayView lst, QByteArrayView lfo);
    void readParagraphs(QByteArrayView doc, QByteArrayView plcBte);
    void readStyles(QByteArrayView stsh);
    /// The list and level a property list names, over what place holds.
    static void readPlace(QByteArrayView grpprl, Place &place);
    Place resolved(Place place) const;

    ListNumbers numbers_;
    std::vector<Run> runs_; ///< paragraph properties by byte range, in order
    std::vector<Style> styles_;
};
