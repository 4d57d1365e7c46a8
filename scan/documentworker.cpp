#include "scan/documentworker.h"

#include "documents/extraction.h"
#include "platform/inputfile.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QFileInfo>
#include <QtEndian>

#include <cstring>

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr int DefaultMemoryMB = 0; // the sanitizers reserve more address space than any bound
#else
constexpr int DefaultMemoryMB = 256;
#endif

/// An error text is a sentence; a longer one is no answer of the reader.
constexpr qint64 MaxErrorChars = 4096;

QString reasonText(const QString &reason) {
    return QStringLiteral("The document could not be read: ") + reason;
}

int environmentNumber(const char *name, int fallback) {
    bool ok = false;
    const int value = qEnvironmentVariableIntValue(name, &ok);
    return ok && value > 0 ? value : fallback;
}

// Beside the running program first, then where the package installs it
// from there, then where this build made it (tests without an application).
QString findProgram() {
    QString program = qEnvironmentVariable("QUARRIX_EXTRACT");
    if (!program.isEmpty())
        return program;
    QStringList places;
    if (QCoreApplication::instance()) {
        const QString beside = QCoreApplication::applicationDirPath() + u'/';
        places << beside + QStringLiteral("quarrix-extract")
               << beside + QStringLiteral(QUARRIX_EXTRACT_INSTALLED);
    }
    places << QStringLiteral(QUARRIX_EXTRACT_BUILT);
    for (const QString &place : places) {
        if (QFileInfo(place).isExecutable())
            return place;
    }
    return places.last();
}

void putNumber(QByteArray &bytes, qsizetype at, quint64 value) {
    qToLittleEndian(value, bytes.data() + at);
}

} // namespace

const DocumentWorker::Settings &DocumentWorker::Settings::fromEnvironment() {
    static const Settings settings = [] {
        Settings s;
        s.inProcess = qEnvironmentVariable("QUARRIX_DOCUMENT_READERS") == u"inprocess";
        const int seconds = environmentNumber("QUARRIX_DOCUMENT_SECONDS", 10);
        s.deadline = std::chrono::seconds(seconds);
        s.limits.cpuSeconds = seconds;
        s.limits.addressSpaceBytes =
            qint64{environmentNumber("QUARRIX_DOCUMENT_MEMORY_MB", DefaultMemoryMB)} * 1024 * 1024;
        if (!s.inProcess)
            s.program = findProgram();
        return s;
    }();
    return settings;
}

DocumentWorker::DocumentWorker(const Settings &settings) : settings_(settings) {}

DocumentReading DocumentWorker::failed(const QString &reason) {
    process_.kill();
    return {false, reasonText(reason), {}, {}};
}

QString DocumentWorker::endReason() {
    const platform::WorkerProcess::Ending ended = process_.reap();
    if (ended.exitStatus == documentworker::OutOfMemoryStatus)
        return QStringLiteral("it needs more than %1 MB of memory")
            .arg(addressSpace_ / (qint64{1024} * 1024));
    if (ended.outOfProcessorTime)
        return QStringLiteral("it needs more than %1 seconds of processor time")
            .arg(settings_.limits.cpuSeconds);
    return QStringLiteral("its reader stopped with ") + ended.description;
}

DocumentReading DocumentWorker::read(const QString &path, bool documentsOnly,
                                     const std::function<bool()> &keepWaiting) {
    platform::InputFile file;
    if (!file.open(path))
        return {false, file.errorString(), {}, {}};
    return readOpened(file, path, documentsOnly, keepWaiting);
}

// A member or a carried file crosses to the worker as a file in memory, so
// its reading is bounded and confined as a file of the tree is.
DocumentReading DocumentWorker::readBytes(QByteArrayView bytes, const QString &name,
                                          bool documentsOnly,
                                          const std::function<bool()> &keepWaiting) {
    platform::InputFile file;
    if (!file.adoptBytes(bytes))
        return {false, file.errorString(), {}, {}};
    return readOpened(file, name, documentsOnly, keepWaiting);
}

DocumentReading DocumentWorker::readOpened(platform::InputFile &file, const QString &path,
                                           bool documentsOnly,
                                           const std::function<bool()> &keepWaiting) {
    if (!process_.isRunning()) {
        if (!process_.start(settings_.program, settings_.limits))
            return failed(QStringLiteral("its reader could not be started: ") +
                          process_.errorString());
        ++started_;
    }
    // A large document's bytes and text are held whole besides the reader.
    const qint64 size = file.size();
    addressSpace_ = settings_.limits.addressSpaceBytes + 4 * size;
    if (settings_.limits.addressSpaceBytes > 0)
        process_.limitAddressSpace(addressSpace_);
    if (!process_.send(documentworker::request(path, documentsOnly), file.descriptor()))
        return {false, reasonText(endReason()), {}, {}};
    // The file stays open here until the answer comes, as while this process
    // reads a document itself.
    const auto deadline = std::chrono::steady_clock::now() + settings_.deadline;
    char header[documentworker::AnswerHeaderBytes];
    using Received = platform::WorkerProcess::Received;
    Received got = process_.receive(header, sizeof header, deadline, keepWaiting);
    DocumentReading reading;
    qint64 errorChars = 0;
    qint64 textChars = 0;
    if (got == Received::Whole) {
        documentworker::readAnswerHeader(header, reading.loaded, errorChars, textChars);
        // The reader writes no more text than a document of that size may
        // give; a larger claim is no answer, and is not allocated.
        const qint64 maxText = ExtractionBounds::forInput(qsizetype(size)).maxChars;
        if (errorChars < 0 || errorChars > MaxErrorChars || textChars < 0 || textChars > maxText)
            return failed(QStringLiteral("its reader answered out of turn"));
        reading.error.resize(errorChars);
        reading.text.resize(textChars);
        got = process_.receive(reinterpret_cast<char *>(reading.error.data()), errorChars * 2,
                               deadline, keepWaiting);
        if (got == Received::Whole)
            got = process_.receive(reinterpret_cast<char *>(reading.text.data()), textChars * 2,
                                   deadline, keepWaiting);
        if (got == Received::Whole && !receiveEmbedded(reading, size, deadline, keepWaiting))
            return failed(QStringLiteral("its reader answered out of turn"));
    }
    switch (got) {
    case Received::Whole:
        return reading;
    case Received::Stopped:
        process_.kill();
        return {};
    case Received::TimedOut:
        return failed(
            QStringLiteral("it takes longer than %1 seconds")
                .arg(std::chrono::duration_cast<std::chrono::seconds>(settings_.deadline).count()));
    case Received::Ended:
        break;
    }
    return {false, reasonText(endReason()), {}, {}};
}

// The carried files follow the text; together they are bounded as the
// files inside an archive are, by a hundred times the document's size.
bool DocumentWorker::receiveEmbedded(DocumentReading &reading, qint64 size,
                                     std::chrono::steady_clock::time_point deadline,
                                     const std::function<bool()> &keepWaiting) {
    char header[8];
    using Received = platform::WorkerProcess::Received;
    if (process_.receive(header, sizeof header, deadline, keepWaiting) != Received::Whole)
        return false;
    const qint64 length = qFromLittleEndian<qint64>(header);
    const qint64 bound = std::min<qint64>(100 * std::max<qint64>(size, 1), qint64{2} << 30);
    if (length < 0 || length > bound)
        return false;
    if (length == 0)
        return true;
    QByteArray bytes(length, Qt::Uninitialized);
    if (process_.receive(bytes.data(), length, deadline, keepWaiting) != Received::Whole)
        return false;
    reading.embedded = documentworker::readEmbedded(bytes);
    return true;
}

namespace documentworker {

QByteArray embeddedBytes(const std::vector<EmbeddedFile> &files) {
    QByteArray body;
    if (!files.empty()) {
        QDataStream out(&body, QIODevice::WriteOnly);
        out << quint32(files.size());
        for (const EmbeddedFile &file : files)
            out << file.name << file.bytes;
    }
    QByteArray bytes(8, '\0');
    putNumber(bytes, 0, quint64(body.size()));
    return bytes + body;
}

std::vector<EmbeddedFile> readEmbedded(const QByteArray &bytes) {
    QDataStream in(bytes);
    quint32 count = 0;
    in >> count;
    std::vector<EmbeddedFile> files;
    while (count-- > 0 && in.status() == QDataStream::Ok) {
        EmbeddedFile file;
        in >> file.name >> file.bytes;
        if (in.status() == QDataStream::Ok)
            files.push_back(std::move(file));
    }
    return files;
}

QByteArray request(const QString &path, bool documentsOnly) {
    QByteArray bytes(RequestHeaderBytes, '\0');
    putNumber(bytes, 0, (quint64(path.size()) << 1) | (documentsOnly ? 1 : 0));
    bytes.append(reinterpret_cast<const char *>(path.constData()), path.size() * 2);
    return bytes;
}

void readRequestHeader(const char *header, qint64 &pathChars, bool &documentsOnly) {
    const quint64 word = qFromLittleEndian<quint64>(header);
    pathChars = qint64(word >> 1);
    documentsOnly = word & 1;
}

QByteArray answerHead(const DocumentReading &reading) {
    QByteArray bytes(AnswerHeaderBytes, '\0');
    putNumber(bytes, 0, (quint64(reading.error.size()) << 1) | (reading.loaded ? 1 : 0));
    putNumber(bytes, 8, quint64(reading.text.size()));
    bytes.append(reinterpret_cast<const char *>(reading.error.constData()),
                 reading.error.size() * 2);
    return bytes;
}

QByteArrayView textBytes(const DocumentReading &reading) {
    return {reinterpret_cast<const char *>(reading.text.constData()), reading.text.size() * 2};
}

void readAnswerHeader(const char *header, bool &loaded, qint64 &errorChars, qint64 &textChars) {
    const quint64 word = qFromLittleEndian<quint64>(header);
    loaded = word & 1;
    errorChars = qint64(word >> 1);
    textChars = qint64(qFromLittleEndian<quint64>(header + 8));
}

} // namespace documentworker
