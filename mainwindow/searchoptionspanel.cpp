#include "mainwindow/searchoptionspanel.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>

namespace {

constexpr qint64 KiB = 1024;

QSpinBox *limitBox(QWidget *parent, const QString &name, const QString &suffix) {
    auto *box = new QSpinBox(parent);
    box->setObjectName(name);
    box->setRange(0, 1 << 30);
    box->setSpecialValueText(QStringLiteral("-"));
    box->setSuffix(suffix);
    box->setAccessibleName(name);
    return box;
}

} // namespace

SearchOptionsPanel::SearchOptionsPanel(QWidget &form, QWidget &frame)
    : QWidget(&form), frame_(frame) {
    setObjectName(QStringLiteral("OptionsPanel"));
    setAutoFillBackground(true);
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    const auto check = [this](const char *name, const QString &caption) {
        auto *box = new QCheckBox(caption, this);
        box->setObjectName(QLatin1String(name));
        connect(box, &QCheckBox::toggled, this, [this] { showState(); });
        return box;
    };
    matchCase = check("MatchCase", QStringLiteral("Match &Case"));
    wholeWord = check("WholeWord", QStringLiteral("&Whole Word"));
    regex = check("RegularExpression", QStringLiteral("Regular E&xpression"));
    excludes = new QLineEdit(this);
    excludes->setObjectName(QStringLiteral("Exclude"));
    excludes->setPlaceholderText(QStringLiteral(".git;node_modules;*.min.js;build*"));
    excludes->setAccessibleName(QStringLiteral("Exclude"));
    connect(excludes, &QLineEdit::textChanged, this, [this] { showState(); });
    changedWithin = limitBox(this, QStringLiteral("Modified Within"), QStringLiteral(" days"));
    largerThan = limitBox(this, QStringLiteral("Larger Than"), QStringLiteral(" KiB"));
    smallerThan = limitBox(this, QStringLiteral("Smaller Than"), QStringLiteral(" KiB"));
    changedAfterSet = check("ModifiedAfterSet", QStringLiteral("A&fter:"));
    changedAfter = new QDateEdit(QDate::currentDate(), this);
    changedAfter->setObjectName(QStringLiteral("Modified After"));
    changedAfter->setAccessibleName(QStringLiteral("Modified After"));
    changedAfter->setCalendarPopup(true);
    changedAfter->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    changedAfter->setEnabled(false);
    connect(changedAfterSet, &QCheckBox::toggled, changedAfter, &QWidget::setEnabled);
    connect(changedAfter, &QDateEdit::dateChanged, this, [this] { showState(); });
    contextLines = limitBox(this, QStringLiteral("Context Lines"), QString());
    contextLines->setRange(0, 9);
    contextLines->setToolTip(QStringLiteral("Lines before and after each match in a saved report"));
    for (QSpinBox *box : {changedWithin, largerThan, smallerThan, contextLines})
        connect(box, &QSpinBox::valueChanged, this, [this] { showState(); });
    auto *after = new QHBoxLayout;
    after->addWidget(changedAfterSet);
    after->addWidget(changedAfter, 1);
    auto *excludeLabel = new QLabel(QStringLiteral("Exc&lude:"), this);
    excludeLabel->setBuddy(excludes);
    layout->addWidget(matchCase, 0, 0);
    layout->addWidget(wholeWord, 0, 1);
    layout->addWidget(regex, 0, 2);
    layout->addWidget(excludeLabel, 1, 0);
    layout->addWidget(excludes, 1, 1, 1, 2);
    layout->addWidget(new QLabel(QStringLiteral("Modified Within:"), this), 2, 0);
    layout->addWidget(changedWithin, 2, 1);
    layout->addLayout(after, 2, 2);
    layout->addWidget(new QLabel(QStringLiteral("Larger Than / Smaller Than:"), this), 3, 0);
    layout->addWidget(largerThan, 3, 1);
    layout->addWidget(smallerThan, 3, 2);
    auto *contextLabel = new QLabel(QStringLiteral("Co&ntext Lines:"), this);
    contextLabel->setBuddy(contextLines);
    layout->addWidget(contextLabel, 4, 0);
    layout->addWidget(contextLines, 4, 1);
    hide();

    toggle = new QToolButton(&frame);
    toggle->setObjectName(QStringLiteral("OptionsToggle"));
    toggle->setCheckable(true);
    toggle->setAutoRaise(true);
    toggle->setAccessibleName(QStringLiteral("Search Options"));
    toggle->setToolTip(QStringLiteral("Match Case, Whole Word, Regular Expression, Exclusions, "
                                      "Size And Date Limits, Context Lines"));
    connect(toggle, &QToolButton::toggled, this, [this](bool open) {
        setVisible(open);
        if (open) {
            raise();
            matchCase->setFocus();
        }
    });
    error = new QLabel(&frame);
    error->setObjectName(QStringLiteral("SearchError"));
    error->setStyleSheet(QStringLiteral("color: #b00000"));
    error->setAccessibleName(QStringLiteral("Search Text Error"));
    error->hide();
    showState();
}

SearchOptions SearchOptionsPanel::options() const {
    SearchOptions options;
    options.matchCase = matchCase->isChecked();
    options.wholeWord = wholeWord->isChecked();
    options.regex = regex->isChecked();
    for (const QString &glob : excludes->text().split(u';', Qt::SkipEmptyParts))
        if (!glob.trimmed().isEmpty())
            options.excludes += glob.trimmed();
    options.changedWithinDays = changedWithin->value();
    options.largerThan = largerThan->value() > 0 ? largerThan->value() * KiB : -1;
    options.smallerThan = smallerThan->value() > 0 ? smallerThan->value() * KiB : -1;
    if (changedAfterSet->isChecked())
        options.changedAfter = changedAfter->date();
    options.contextBefore = options.contextAfter = contextLines->value();
    return options;
}

void SearchOptionsPanel::setOptions(const SearchOptions &options) {
    matchCase->setChecked(options.matchCase);
    wholeWord->setChecked(options.wholeWord);
    regex->setChecked(options.regex);
    excludes->setText(options.excludes.join(u';'));
    changedWithin->setValue(options.changedWithinDays);
    largerThan->setValue(options.largerThan > 0 ? int(options.largerThan / KiB) : 0);
    smallerThan->setValue(options.smallerThan > 0 ? int(options.smallerThan / KiB) : 0);
    changedAfterSet->setChecked(options.changedAfter.isValid());
    changedAfter->setEnabled(options.changedAfter.isValid());
    changedAfter->setDate(options.changedAfter.isValid() ? options.changedAfter
                                                         : QDate::currentDate());
    contextLines->setValue(std::max(options.contextBefore, options.contextAfter));
}

void SearchOptionsPanel::showError(const QString &text) {
    error->setText(text);
    error->setToolTip(text);
    error->setVisible(!text.isEmpty());
}

// The toggle says at a glance whether any option is set.
void SearchOptionsPanel::showState() {
    const bool set = !options().isDefault();
    toggle->setText(set ? QStringLiteral("&Options *") : QStringLiteral("&Options"));
}

void SearchOptionsPanel::place() {
    const int title = frame_.fontMetrics().height() + 2;
    toggle->adjustSize();
    const int toggleWidth = toggle->sizeHint().width();
    toggle->setGeometry(frame_.width() - toggleWidth - 8, 0, toggleWidth, title);
    const int errorLeft = frame_.width() / 3;
    error->setGeometry(errorLeft, 0, frame_.width() - toggleWidth - 16 - errorLeft, title);
    adjustSize();
    const QRect below = frame_.geometry();
    move(below.right() - width(), below.bottom() + 1);
}
