#pragma once

#include <QHash>
#include <QString>

#include <array>

class ZipContainer;

/// The numbers and bullets Word draws before the paragraphs of its lists
/// ("3.2", "a)", "IV.", a bullet as "·"): they are in no run of the
/// document, so the reader counts them as Word does, from the package's
/// numbering and paragraph styles.
class ListNumbers {
  public:
    static constexpr int Levels = 9;

    /// The lists of the Word document part, from its numbering and styles parts.
    static ListNumbers read(ZipContainer &zip, const QString &documentPart);

    /// The label of the next paragraph of list numId at that level (counted
    /// here); empty for no list. A negative numId takes the list of the
    /// paragraph style.
    QString next(int numId, int level, const QString &style);

    /// One level of a list definition: its first number, its number format
    /// (the package's names: "decimal", "lowerRoman", "bullet" ...) and its
    /// text, where "%1" to "%9" stand for the numbers of the levels.
    struct Level {
        int start = 1;
        QString format = QStringLiteral("decimal");
        QString text;
        QString style; ///< the paragraph style that takes this level
        bool legal = false;
    };
    /// A list as the paragraphs name it: its definition and the levels it
    /// starts anew, at their new first numbers.
    struct List {
        int definition = 0;
        QHash<int, int> startOverrides;
    };
    /// For readers of other forms of the same lists (Word 97-2003).
    void define(int definition, int level, const Level &value);
    void addList(int numId, const List &list) { lists_.insert(numId, list); }
    bool isEmpty() const { return lists_.isEmpty(); }

  private:
    using Definition = std::array<Level, Levels>;
    struct Counters {
        std::array<int, Levels> value{};
        std::array<bool, Levels> started{};
    };
    struct StyleList {
        int numId = -1; ///< -1: none given; 0: no list
        int level = -1; ///< -1: the level whose style it is
        QString basedOn;
    };

    void readNumbering(ZipContainer &zip, const QString &part);
    void readStyles(ZipContainer &zip, const QString &part);
    QString label(const Definition &definition, const Counters &counters, int level) const;

    QHash<int, Definition> definitions_;
    QHash<int, List> lists_;
    QHash<QString, StyleList> styles_;
    QHash<int, Counters> counters_; ///< by definition, or by list when it restarts
};
