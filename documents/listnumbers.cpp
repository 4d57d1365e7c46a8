#include "documents/listnumbers.h"

#include "documents/ooxmlparts.h"
#include "documents/zipcontainer.h"

namespace {

int number(const QString &value, int fallback = 0) {
    bool ok = false;
    const int n = value.toInt(&ok);
    return ok ? n : fallback;
}

QString roman(int n, bool upper) {
    static const struct {
        int value;
        const char *digits;
    } Steps[] = {{1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"},
                 {90, "xc"},  {50, "l"},   {40, "xl"}, {10, "x"},   {9, "ix"},
                 {5, "v"},    {4, "iv"},   {1, "i"}};
    QString out;
    n = qBound(1, n, 3999);
    for (const auto &step : Steps)
        for (; n >= step.value; n -= step.value)
            out += QLatin1StringView(step.digits);
    return upper ? out.toUpper() : out;
}

// a..z, then aa..zz, as Word letters its lists.
QString letters(int n, bool upper) {
    n = qBound(1, n, 780);
    const QChar letter(char16_t((upper ? u'A' : u'a') + (n - 1) % 26));
    return QString((n - 1) / 26 + 1, letter);
}

QString formatted(int n, const QString &format) {
    if (format == u"lowerLetter" || format == u"upperLetter")
        return letters(n, format.startsWith(u'u'));
    if (format == u"lowerRoman" || format == u"upperRoman")
        return roman(n, format.startsWith(u'u'));
    if (format == u"decimalZero")
        return QString::number(n).rightJustified(2, u'0');
    if (format == u"none")
        return {};
    return QString::number(n);
}

} // namespace

ListNumbers ListNumbers::read(ZipContainer &zip, const QString &documentPart) {
    ListNumbers numbers;
    const auto rels = packagetext::relationships(zip, documentPart);
    for (const QString &part : packagetext::targets(rels, u"numbering"))
        numbers.readNumbering(zip, part);
    if (!numbers.lists_.isEmpty())
        for (const QString &part : packagetext::targets(rels, u"styles"))
            numbers.readStyles(zip, part);
    return numbers;
}

void ListNumbers::readNumbering(ZipContainer &zip, const QString &part) {
    const auto source = zip.entry(part);
    if (!source)
        return;
    XmlReader reader(*source);
    Definition *definition = nullptr;
    Level *level = nullptr;
    List *list = nullptr;
    int overrideLevel = 0;
    while (reader.readNext() != XmlReader::EndDocument) {
        if (reader.token() != XmlReader::StartElement)
            continue;
        const QByteArrayView name = reader.name();
        const QString value = reader.attribute("val");
        if (nameIs(name, "abstractNum")) {
            definition = &definitions_[number(reader.attribute("abstractNumId"))];
            list = nullptr;
        } else if (nameIs(name, "num")) {
            list = &lists_[number(reader.attribute("numId"))];
            definition = nullptr;
        } else if (nameIs(name, "lvl") && definition) {
            const int at = number(reader.attribute("ilvl"));
            level = at >= 0 && at < Levels ? &(*definition)[size_t(at)] : nullptr;
        } else if (nameIs(name, "abstractNumId") && list) {
            list->definition = number(value);
        } else if (nameIs(name, "lvlOverride") && list) {
            overrideLevel = number(reader.attribute("ilvl"));
        } else if (nameIs(name, "startOverride") && list) {
            list->startOverrides.insert(overrideLevel, number(value, 1));
        } else if (level && definition) {
            if (nameIs(name, "start"))
                level->start = number(value, 1);
            else if (nameIs(name, "numFmt"))
                level->format = value;
            else if (nameIs(name, "lvlText"))
                level->text = value;
            else if (nameIs(name, "pStyle"))
                level->style = value;
            else if (nameIs(name, "isLgl"))
                level->legal = reader.attribute("val") != u"0";
        }
    }
}

void ListNumbers::readStyles(ZipContainer &zip, const QString &part) {
    const auto source = zip.entry(part);
    if (!source)
        return;
    XmlReader reader(*source);
    StyleList *style = nullptr;
    while (reader.readNext() != XmlReader::EndDocument) {
        if (reader.isStart("style"))
            style = &styles_[reader.attribute("styleId")];
        else if (reader.isEnd("style"))
            style = nullptr;
        else if (!style || reader.token() != XmlReader::StartElement)
            continue;
        else if (reader.isStart("basedOn"))
            style->basedOn = reader.attribute("val");
        else if (reader.isStart("numId"))
            style->numId = number(reader.attribute("val"));
        else if (reader.isStart("ilvl"))
            style->level = number(reader.attribute("val"), -1);
    }
}

void ListNumbers::define(int definition, int level, const Level &value) {
    if (level >= 0 && level < Levels)
        definitions_[definition][size_t(level)] = value;
}

QString ListNumbers::label(const Definition &definition, const Counters &counters,
                           int level) const {
    const Level &shown = definition[size_t(level)];
    if (shown.format == u"bullet")
        return QStringLiteral("\u00B7");
    QString out;
    const QString &text = shown.text;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const int at = i + 1 < text.size() && text[i] == u'%' ? text[i + 1].digitValue() - 1 : -1;
        if (at < 0 || at >= Levels) {
            out += text[i];
            continue;
        }
        const Level &of = definition[size_t(at)];
        const int n = counters.started[size_t(at)] ? counters.value[size_t(at)] : of.start;
        out += formatted(n, shown.legal && at < level ? QStringLiteral("decimal") : of.format);
        ++i;
    }
    return out;
}

QString ListNumbers::next(int numId, int level, const QString &style) {
    // A paragraph style that names a list gives it, its own or a base style's.
    QString styleId = style;
    for (int hops = 0; numId < 0 && hops < 16 && styles_.contains(styleId); ++hops) {
        const StyleList &s = styles_[styleId];
        if (s.numId >= 0) {
            numId = s.numId;
            level = s.level;
        }
        styleId = s.basedOn;
    }
    const auto list = lists_.constFind(numId);
    if (numId <= 0 || list == lists_.cend() || !definitions_.contains(list->definition))
        return {};
    const Definition &definition = definitions_[list->definition];
    for (int k = 0; level < 0 && k < Levels; ++k)
        if (!style.isEmpty() && definition[size_t(k)].style == style)
            level = k;
    level = qBound(0, level, Levels - 1);
    // Lists of one definition count on together unless one starts anew.
    const int key = list->startOverrides.isEmpty() ? list->definition : -1 - numId;
    const bool first = !counters_.contains(key);
    Counters &counters = counters_[key];
    if (first)
        for (auto it = list->startOverrides.cbegin(); it != list->startOverrides.cend(); ++it)
            if (it.key() >= 0 && it.key() < Levels) {
                counters.value[size_t(it.key())] = it.value() - 1;
                counters.started[size_t(it.key())] = true;
            }
    const size_t at = size_t(level);
    counters.value[at] = counters.started[at] ? counters.value[at] + 1 : definition[at].start;
    counters.started[at] = true;
    for (size_t deeper = at + 1; deeper < size_t(Levels); ++deeper)
        counters.started[deeper] = false;
    return label(definition, counters, level);
}
