#include "support/recordingsinks.h"

#include "scan/scanrun.h"

#include <gtest/gtest.h>

std::vector<MatchRecord> scanDocument(const QString &path, const QString &search) {
    RecordingSinks sinks;
    ScanRun run(sinks, sinks, sinks);
    run.editSearchText(search);
    run.ContinueScan = true;
    run.ScanRichTextFile(path);
    EXPECT_TRUE(sinks.errors.isEmpty()) << sinks.errors.join(u'\n').toStdString();
    return sinks.rows;
}
