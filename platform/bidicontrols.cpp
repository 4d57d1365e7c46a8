#include "platform/bidicontrols.h"

#include <algorithm>

namespace platform {

QString markBidiControls(const QString &text) {
    if (std::none_of(text.cbegin(), text.cend(),
                     [](QChar c) { return isBidiControl(c.unicode()); }))
        return text;
    QString shown;
    shown.reserve(text.size() + 16);
    for (const QChar c : text) {
        if (isBidiControl(c.unicode()))
            shown += QStringLiteral("<U+%1>").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
        else
            shown += c;
    }
    return shown;
}

} // namespace platform
