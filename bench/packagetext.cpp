// Text extraction speed of a 10 MB Word 2007+ document, a 10 MB Excel 2007+
// workbook and a 100-page PDF, against reading the same file and, for the
// zip packages, against only inflating their entries (the floor of any reader
// of a compressed format). Built with the tests (target bench_packagetext);
// run: build/release/tests/documents/bench_packagetext [RUNS]
// or, to see what is taken from a document:
//      build/release/tests/documents/bench_packagetext --text FILE (UTF-8 on stdout)
//
// The files are written here: the packages from deflated chunks of markup of
// varied words, the PDF as plain pages of Helvetica text, so that the
// benchmark needs no office program.
#include "bench/benchsupport.h"
#include "documents/documenttext.h"
#include "documents/zipcontainer.h"
#include "platform/inputfile.h"
#include "tests/support/zipbytes.h"

#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr qsizetype Target = 10 * 1024 * 1024;

/// Words of a vocabulary of 4,000 made of syllables, in a fixed pseudo-random
/// order, with a number now and then, so that the markup deflates about as a
/// real document's does.
class Words {
  public:
    Words() {
        static const char *const syllables[] = {"ka",  "lo", "ren", "mi",  "sta", "vo",  "der",
                                                "tis", "an", "pu",  "gre", "mo",  "shi", "el",
                                                "tor", "bu", "nea", "qua", "rim", "so"};
        for (int i = 0; i < 4000; ++i) {
            QByteArray word;
            for (int n = 1 + int(random() % 3); n >= 0; --n)
                word += syllables[random() % std::size(syllables)];
            vocabulary_.push_back(word);
        }
    }
    QByteArray next(int count) {
        QByteArray out;
        for (int i = 0; i < count; ++i) {
            out += vocabulary_[random() % vocabulary_.size()];
            out += i % 9 == 8 ? ' ' + QByteArray::number(int(random() % 100000)) + ' ' : " ";
        }
        return out;
    }

  private:
    quint64 random() {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return state_ >> 33;
    }
    quint64 state_ = 42;
    std::vector<QByteArray> vocabulary_;
};

/// Chunks of markup until the entry deflates to about the target size.
ZipEntryBytes filledEntry(const QByteArray &name, const QByteArray &head,
                          const std::function<QByteArray()> &chunk, const QByteArray &tail) {
    QByteArray all = head;
    while (all.size() < (1 << 20))
        all += chunk();
    const double ratio = double(rawDeflate(all, Z_FINISH).size()) / double(all.size());
    while (all.size() * ratio < Target)
        all += chunk();
    return zipEntry(name, all + tail);
}

QByteArray wordDocument() {
    Words words;
    auto document = filledEntry(
        "word/document.xml", "<?xml version=\"1.0\"?><w:document xmlns:w=\"w\"><w:body>",
        [&] {
            return "<w:p><w:pPr><w:pStyle w:val=\"Normal\"/><w:rPr><w:lang w:val=\"en-US\"/>"
                   "</w:rPr></w:pPr><w:r><w:rPr><w:lang w:val=\"en-US\"/></w:rPr>"
                   "<w:t xml:space=\"preserve\">" +
                   words.next(24) + "</w:t></w:r></w:p>";
        },
        "</w:body></w:document>");
    return zipFile(wordPackage(std::move(document)));
}

QByteArray workbook() {
    Words words;
    QByteArray strings = "<sst>";
    for (int i = 0; i < 50000; ++i)
        strings += "<si><t>" + words.next(4) + "</t></si>";
    strings += "</sst>";
    int row = 0;
    auto sheet = filledEntry(
        "xl/worksheets/sheet1.xml", "<worksheet><sheetData>",
        [&] {
            ++row;
            const QByteArray r = QByteArray::number(row);
            QByteArray out = "<row r=\"" + r + "\">";
            for (int col = 0; col < 12; ++col) {
                const QByteArray ref = QByteArray(1, char('A' + col)) + r;
                if (col % 3 == 0)
                    out += "<c r=\"" + ref + "\" t=\"s\"><v>" +
                           QByteArray::number((row * 7 + col) % 50000) + "</v></c>";
                else
                    out += "<c r=\"" + ref + "\" s=\"" + QByteArray::number(col % 3) + "\"><v>" +
                           QByteArray::number(row * 1.25 + col) + "</v></c>";
            }
            return out + "</row>";
        },
        "</sheetData></worksheet>");
    return zipFile(
        workbookPackage(std::move(sheet), strings,
                        "<styleSheet><numFmts><numFmt numFmtId=\"164\" "
                        "formatCode=\"#,##0.00\"/></numFmts><cellXfs><xf numFmtId=\"0\"/>"
                        "<xf numFmtId=\"164\"/><xf numFmtId=\"10\"/></cellXfs>"
                        "</styleSheet>"));
}

/// A PDF of plain pages, each with 50 lines of Helvetica text.
QByteArray pdfDocument(int pages) {
    Words words;
    QByteArray out = "%PDF-1.4\n";
    std::vector<qsizetype> offsets;
    const auto object = [&](const QByteArray &body) {
        offsets.push_back(out.size());
        out += QByteArray::number(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
    };
    object("<< /Type /Catalog /Pages 2 0 R >>");
    QByteArray kids;
    for (int i = 0; i < pages; ++i)
        kids += QByteArray::number(4 + 2 * i) + " 0 R ";
    object("<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages) + " >>");
    object("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    for (int i = 0; i < pages; ++i) {
        QByteArray content = "BT /F1 10 Tf 50 790 Td 13 TL\n";
        for (int line = 0; line < 50; ++line)
            content += "(" + words.next(12) + ") '\n";
        content += "ET";
        object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 595 842] /Resources << /Font << /F1 "
               "3 0 R >> >> /Contents " +
               QByteArray::number(5 + 2 * i) + " 0 R >>");
        object("<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content +
               "\nendstream");
    }
    const qsizetype xref = out.size();
    out += "xref\n0 " + QByteArray::number(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype at : offsets)
        out += QByteArray::number(at).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<< /Size " + QByteArray::number(offsets.size() + 1) +
           " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return out;
}

QByteArray load(const QString &path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

/// Loading the file and taking its text, as the scan does.
double extractSeconds(const QString &path, qsizetype *chars) {
    QElapsedTimer timer;
    timer.start();
    const QByteArray bytes = load(path);
    Extraction extraction(bytes);
    extractDocumentNamedAsText(extraction);
    *chars = extraction.text.size();
    return timer.nsecsElapsed() / 1e9;
}

/// Loading the file and inflating every entry, with nothing read from them.
double inflateSeconds(const QString &path) {
    QElapsedTimer timer;
    timer.start();
    const QByteArray bytes = load(path);
    ZipContainer zip;
    if (zip.open(bytes))
        for (const QString &name : zip.names())
            if (auto source = zip.entry(name)) {
                static char block[256 * 1024];
                while (source->read(block, sizeof block) > 0) {
                }
            }
    return timer.nsecsElapsed() / 1e9;
}

} // namespace

using bench::median;
using bench::readSeconds;

/// The text of one document on stdout, for comparing what two builds take.
int printText(const QString &path) {
    const QByteArray bytes = load(path);
    Extraction extraction(bytes);
    if (extractDocumentNamedAsText(extraction) == Outcome::NotThisFormat)
        return 1;
    const QByteArray utf8 = extraction.text.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stdout);
    return 0;
}

int main(int argc, char **argv) {
    if (argc > 2 && qstrcmp(argv[1], "--text") == 0)
        return printText(QString::fromLocal8Bit(argv[2]));
    const int runs = argc > 1 ? qMax(1, atoi(argv[1])) : 5;
    bench::DocumentFolder folder;
    for (const auto &[name, bytes] :
         {std::pair{QStringLiteral("big.docx"), wordDocument()},
          std::pair{QStringLiteral("big.xlsx"), workbook()},
          std::pair{QStringLiteral("100pages.pdf"), pdfDocument(100)}}) {
        const QString path = folder.write(name, bytes);
        const bool zip = !name.endsWith(u".pdf");
        std::vector<double> read, extract, inflate;
        qsizetype chars = 0;
        for (int i = 0; i < runs; ++i) {
            read.push_back(readSeconds(path));
            extract.push_back(extractSeconds(path, &chars));
            if (zip)
                inflate.push_back(inflateSeconds(path));
        }
        std::printf("%s: %.1f MB, %lld characters of text; read %.2f ms, extract %.1f ms "
                    "(medians of %d), ratio %.1f",
                    qPrintable(name), bytes.size() / 1048576.0, static_cast<long long>(chars),
                    median(read) * 1e3, median(extract) * 1e3, runs,
                    median(extract) / median(read));
        if (zip)
            std::printf("; inflating alone %.1f ms, extract/inflate %.2f", median(inflate) * 1e3,
                        median(extract) / median(inflate));
        std::printf("\n");
    }
}
