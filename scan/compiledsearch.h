#pragma once

#include "scan/linefinder.h"
#include "scan/searchexpression.h"

#include <QString>

/// The search text parsed once, shared read-only by the run and its readers.
struct CompiledSearch {
    explicit CompiledSearch(const QString &text, const SearchOptions &options = {})
        : options(options), expression(text, options), finder(expression, true) {}
    SearchOptions options;
    SearchExpression expression;
    LineFinder finder; ///< the text reader's: a blank text takes every line
};
