// quarrix-extract: the worker process that reads documents for a scan. It
// takes one document at a time from the program as an open file, reads it as
// the hidden box would, and answers with its text. Confined before its first
// document: it can read what it is handed and answer, nothing more.

#include "controls/richtext/richtextbuffer.h"
#include "documents/documenttext.h"
#include "documents/extraction.h"
#include "documents/officecrypto.h"
#include "documents/pdftext.h"
#include "platform/codepage.h"
#include "platform/confinement.h"
#include "platform/inputfile.h"
#include "platform/workerprocess.h"
#include "scan/documentworker.h"

#include <QByteArray>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <unistd.h>

#ifdef QUARRIX_EXTRACT_TEST_HOOKS
#include "extracttesthooks.h"
#endif

namespace {

// What the readers load on first use (poppler's global parameters, GMime,
// the code pages' tables, OpenSSL's configuration and algorithms) is loaded
// before the confinement shuts files out.
void loadReaders() {
    static const char pdf[] = "%PDF-1.4\n"
                              "1 0 obj<</Type/Catalog/Pages 2 0 R>>endobj\n"
                              "2 0 obj<</Type/Pages/Kids[3 0 R]/Count 1>>endobj\n"
                              "3 0 obj<</Type/Page/Parent 2 0 R/MediaBox[0 0 1 1]>>endobj\n"
                              "trailer<</Size 4/Root 1 0 R>>\n%%EOF\n";
    static const char mail[] = "From: a@example.org\r\nSubject: b\r\n\r\nc\r\n";
    Extraction pdfReading(QByteArrayView(pdf, sizeof pdf - 1));
    extractDocument(pdfReading, QStringLiteral("a.pdf"));
    Extraction mailReading(QByteArrayView(mail, sizeof mail - 1));
    extractDocument(mailReading, QStringLiteral("a.eml"));
    for (const int codePage : {874, 932, 936, 949, 950, 1250, 1251, 1252, 1253, 1254, 1255, 1256,
                               1257, 1258, 1361, 10000})
        platform::fromCodePage(codePage, "A\x80\xa4");
    officecrypto::loadCiphers();
}

DocumentReading read(int fd, const QString &path, bool documentsOnly) {
    platform::InputFile file;
    if (!file.adopt(fd))
        return {false, file.errorString(), {}, {}};
    RichTextBuffer box;
    DocumentReading reading;
    reading.loaded = box.load(file, path, documentsOnly);
    reading.error = box.errorString();
    reading.text = box.Text();
    reading.embedded = box.takeEmbedded();
    return reading;
}

bool serve(int processorSeconds) {
    char header[documentworker::RequestHeaderBytes];
    int fd = -1;
    if (!platform::receiveFromParent(header, sizeof header, fd))
        return false;
    qint64 pathChars = 0;
    bool documentsOnly = false;
    documentworker::readRequestHeader(header, pathChars, documentsOnly);
    QString path(pathChars, Qt::Uninitialized);
    int none = -1;
    if (pathChars < 0 || pathChars > 1 << 20 ||
        !platform::receiveFromParent(reinterpret_cast<char *>(path.data()), pathChars * 2, none))
        return false;
    platform::allowProcessorTime(processorSeconds);
    DocumentReading reading;
#ifdef QUARRIX_EXTRACT_TEST_HOOKS
    if (!misbehaveIfAsked(fd, reading))
#endif
        try {
            reading = read(fd, path, documentsOnly);
        } catch (const std::bad_alloc &) {
            std::_Exit(documentworker::OutOfMemoryStatus);
        }
    return platform::sendToParent(documentworker::answerHead(reading)) &&
           platform::sendToParent(documentworker::textBytes(reading)) &&
           platform::sendToParent(documentworker::embeddedBytes(reading.embedded));
}

} // namespace

int main() {
    std::set_new_handler([] { std::_Exit(documentworker::OutOfMemoryStatus); });
    const int processorSeconds = platform::processorTimeAllowance();
    loadReaders();
    // The PDF reader loads character maps by name as documents ask for them.
    if (!platform::confineToOpenFiles(pdfDataFolder())) {
        std::fputs("quarrix-extract: the confinement was refused\n", stderr);
        return 1;
    }
    while (serve(processorSeconds)) {
    }
    return 0;
}
