// What the document-text benchmarks share: a warm read of the file as the
// measure, medians, and the folder their documents are written to.
#pragma once

#include "platform/inputfile.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

/// Seconds to read the file through, block by block, as the text reader does.
inline double readSeconds(const QString &path) {
    QElapsedTimer timer;
    timer.start();
    platform::InputFile file;
    file.open(path);
    static char block[64 * 1024];
    while (file.read(block, sizeof block) > 0) {
    }
    return timer.nsecsElapsed() / 1e9;
}

inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

/// A temporary folder for the documents, kept when BENCH_KEEP is set.
class DocumentFolder {
  public:
    DocumentFolder() {
        dir_.setAutoRemove(qEnvironmentVariableIsEmpty("BENCH_KEEP"));
        if (!dir_.autoRemove())
            std::printf("documents kept in %s\n", qPrintable(dir_.path()));
    }
    /// Writes the bytes under name and gives the file's path.
    QString write(const QString &name, const QByteArray &bytes) {
        const QString path = dir_.filePath(name);
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
        return path;
    }

  private:
    QTemporaryDir dir_;
};

} // namespace bench
