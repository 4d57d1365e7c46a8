#include "scan/foundlines.h"

#include "platform/codepage.h"

void FoundLines::add(qint64 number, QStringView text) {
    numbers_.push_back(number);
    texts_ += text;
    ends_.push_back(texts_.size());
}

void FoundLines::add(qint64 number, QByteArrayView line, QStringView suffix) {
    numbers_.push_back(number);
    platform::appendText(texts_, line);
    texts_ += suffix;
    ends_.push_back(texts_.size());
}

QStringView FoundLines::text(qsizetype i) const {
    const qsizetype begin = i == 0 ? 0 : ends_[static_cast<size_t>(i - 1)];
    return QStringView(texts_).mid(begin, ends_[static_cast<size_t>(i)] - begin);
}

qint64 FoundLines::cost() const {
    return static_cast<qint64>(sizeof(FoundLines)) + texts_.capacity() * 2 +
           static_cast<qint64>(numbers_.capacity() * sizeof(qint64) +
                               ends_.capacity() * sizeof(qsizetype));
}

void FoundLines::startMember(const QStringList &inner) {
    if (!members_.empty() && members_.back().first == size())
        members_.back().second = inner;
    else if (!members_.empty() || !inner.isEmpty())
        members_.emplace_back(size(), inner);
}

QStringList FoundLines::inner(qsizetype i) const {
    QStringList names;
    for (const auto &[first, member] : members_) {
        if (first > i)
            break;
        names = member;
    }
    return names;
}
