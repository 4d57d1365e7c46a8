#pragma once

#include "documents/compoundwriter.h"

#include <QByteArray>
#include <QString>

#include <vector>

// Compound files that tests and fuzz seeds write: a tree of storages and
// streams, written by the product's own writer.

struct CompoundNode {
    QString name;
    QByteArray data;                         ///< a stream's content
    std::vector<CompoundNode> children = {}; ///< a storage's entries
    bool storage = false;
};

inline CompoundNode compoundStream(const QString &name, const QByteArray &data) {
    return {name, data, {}, false};
}
inline CompoundNode compoundStorage(const QString &name, std::vector<CompoundNode> children) {
    return {name, {}, std::move(children), true};
}

namespace compoundbytes {

inline void add(CompoundWriter &writer, quint32 parent, const std::vector<CompoundNode> &nodes) {
    for (const CompoundNode &node : nodes) {
        if (node.storage)
            add(writer, writer.addStorage(parent, node.name), node.children);
        else
            writer.addStream(parent, node.name, node.data);
    }
}

} // namespace compoundbytes

/// A compound file whose root storage holds the nodes.
inline QByteArray compoundFileOf(const std::vector<CompoundNode> &root) {
    CompoundWriter writer;
    compoundbytes::add(writer, 0, root);
    return writer.write();
}
