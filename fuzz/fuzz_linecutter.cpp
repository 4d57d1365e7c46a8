// Reads a file through the block reader with a tiny block, so lines, CR LF
// pairs and hits straddle block edges, and compares every reported line and
// line number with the obvious reading of the whole file.
#include "fuzz/referencelines.h"
#include "scan/textfilereader.h"

#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

namespace {

class Collect : public TextFileReader::Client {
  public:
    explicit Collect(const LineFinder &finder) : finder_(finder) {}
    const LineFinder &finder() override { return finder_; }
    bool lineMatched(qint64 number, QByteArrayView line) override {
        lines.push_back({number, line.toByteArray()});
        return true;
    }
    bool blockDone() override { return true; }
    std::vector<fuzzref::Line> lines;

  private:
    const LineFinder &finder_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    const qsizetype blockSize = 1 + data[0];
    const auto *bytes = reinterpret_cast<const char *>(data + 1);
    const char *split = static_cast<const char *>(memchr(bytes, 0, size - 1));
    if (!split)
        return 0;
    const QString searchText = QString::fromUtf8(bytes, split - bytes);
    const QByteArray file(split + 1, static_cast<qsizetype>(size - 1 - (split - bytes) - 1));

    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("input.txt"));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    out.write(file);
    out.close();

    const SearchExpression expression(searchText);
    const LineFinder finder(expression, true);
    Collect collect(finder);
    TextFileReader reader(blockSize);
    // Every line as text: the reference knows no binary files.
    reader.setBinaryAsText(true);
    if (!reader.scan(path, collect))
        std::abort();
    std::vector<fuzzref::Line> expected;
    for (const auto &line : fuzzref::cutLines(fuzzref::contentOf(file)))
        if (fuzzref::selected(expression, line.bytes, true))
            expected.push_back(line);
    if (collect.lines.size() != expected.size())
        std::abort();
    for (size_t i = 0; i < expected.size(); ++i)
        if (collect.lines[i].number != expected[i].number ||
            collect.lines[i].bytes != expected[i].bytes)
            std::abort();
    return 0;
}
