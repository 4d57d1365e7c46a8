#pragma once

#include <QString>

/// Where a results row lies in its file: a text file's line, numbered from 1,
/// or a document's piece, numbered from 0; none for a marker row. Kept as a
/// number from the reader to the row, the report and the editor; text()
/// gives it as it is shown and written ("12", "@2").
struct LineCell {
    enum class Kind : quint8 { None, Line, Piece };
    Kind kind = Kind::None;
    qint64 number = 0;

    static LineCell line(qint64 number) { return {Kind::Line, number}; }
    static LineCell piece(qint64 number) { return {Kind::Piece, number}; }
    bool isNone() const { return kind == Kind::None; }
    QString text() const {
        switch (kind) {
        case Kind::None:
            return {};
        case Kind::Line:
            return QString::number(number);
        case Kind::Piece:
            return u'@' + QString::number(number);
        }
        return {};
    }
    bool operator==(const LineCell &) const = default;
};
