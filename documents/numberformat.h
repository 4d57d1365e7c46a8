#pragma once

#include <QHash>
#include <QString>
#include <QStringView>

#include <memory>
#include <vector>

class TextWriter;

/// Numbers of spreadsheet cells written as the sheet shows them, by the cell's
/// number format code ("#,##0.00", "0%", "m/d/yyyy", "\"$\"#,##0_);(\"$\"#,##0)").
///
/// What is understood: up to four sections (positive; negative; zero; text)
/// and conditions such as [>=100]; digit placeholders 0 # ? with thousands
/// separators, scaling commas, percent, scientific notation and fractions;
/// dates and times (y m d h s, AM/PM, elapsed [h] [m] [s], fractions of a
/// second) by the 1900 or the 1904 date system, with English month and day
/// names; literal text in quotes, after a backslash and the usual literal
/// characters; currency symbols in [$€-407]. Colours and locale tags are
/// ignored, _x gives a space, *x fills nothing; the result is trimmed of
/// spaces. What cannot be shown this way (General, a date out of range,
/// infinity) is written as the shortest text that reads back as the same
/// number, as generalNumber() does.
namespace numberformat {

/// The format code of a built-in format number (0-49, as US English workbooks
/// show them); an empty view for numbers that have none.
QStringView builtInFormat(int id);

/// The shortest text that reads back as the same number, without exponent for
/// ordinary magnitudes ("1250", "0.1", "1e+300").
QString generalNumber(double value);
void appendGeneralNumber(TextWriter &out, double value);

/// A parsed format code: parse once, format many numbers.
class NumberFormat {
  public:
    explicit NumberFormat(QStringView formatCode);
    ~NumberFormat();
    NumberFormat(NumberFormat &&) noexcept;
    NumberFormat &operator=(NumberFormat &&) noexcept;

    /// True when the code shows no more than General does (nothing to format).
    bool isGeneral() const;
    /// True when the code shows dates or times.
    bool isDate() const;
    QString format(double value, bool date1904 = false) const;
    /// format()'s text written to out; the usual decimal formats are written
    /// without a string of their own for each number.
    void appendTo(TextWriter &out, double value, bool date1904 = false) const;

  private:
    struct Parsed;
    std::unique_ptr<Parsed> parsed_;
};

/// The formats of a workbook's cell styles from each style's format number:
/// the workbook's own code of that number, else the built-in one.
std::vector<NumberFormat> styleFormats(const std::vector<int> &formatIds,
                                       const QHash<int, QString> &codes);

/// One number by one format code.
QString formatNumber(double value, QStringView formatCode, bool date1904 = false);

} // namespace numberformat
