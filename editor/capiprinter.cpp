#include "editor/capiprinter.h"

#include "dialogs/messagebox.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPrinter>
#include <QScreen>
#include <cmath>

namespace {

constexpr int InvalidCall = 5;
qint32 nextJobId = 0;

int screenDpi() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    const double dpi = screen ? screen->logicalDotsPerInchX() : 96.0;
    const double twipsPerPixel = 1440.0 / dpi;
    return int(std::lround(1440.0 / twipsPerPixel));
}

} // namespace

CAPIPrinter::CAPIPrinter() {
    font_ = QFont(QStringLiteral("MS Sans Serif"));
    font_.setPointSize(8);
}

CAPIPrinter::~CAPIPrinter() {
    EndDoc();
}

bool CAPIPrinter::fail(const char *member, int number, const QString &description) {
    const QString title = QString::fromLatin1(member);
    if (!reported_.contains(title)) {
        reported_.insert(title);
        FunctionModule::showMessageBox(nullptr,
                                       QStringLiteral("Error: ") + QString::number(number) +
                                           QStringLiteral(". ") + description,
                                       MessageBoxStyle::OkOnly, title);
    }
    return false;
}

bool CAPIPrinter::hasPrinter(const char *member) {
    return device_ || fail(member, InvalidCall, QStringLiteral("There is no printer."));
}

bool CAPIPrinter::ready(const char *member) {
    if (painter_.isActive())
        return true;
    return fail(member, InvalidCall, QStringLiteral("No print job is open on the printer."));
}

qint32 CAPIPrinter::CurrentX() const {
    return position_.x();
}

void CAPIPrinter::setCurrentX(qint32 lngValue) {
    position_.setX(lngValue);
}

qint32 CAPIPrinter::CurrentY() const {
    return position_.y();
}

void CAPIPrinter::setCurrentY(qint32 lngValue) {
    position_.setY(lngValue);
}

void CAPIPrinter::setHDC(QPrinter *lngValue) {
    device_ = lngValue;
    position_ = {};
}

qint32 CAPIPrinter::Height() {
    if (!hasPrinter("Height"))
        return 0;
    return device_->pageRect(QPrinter::DevicePixel).toRect().height();
}

qint32 CAPIPrinter::Width() {
    if (!hasPrinter("Width"))
        return 0;
    return device_->pageRect(QPrinter::DevicePixel).toRect().width();
}

void CAPIPrinter::DrawLine(qint32 lngXStart, qint32 lngYStart, qint32 lngXEnd, qint32 lngYEnd) {
    if (!ready("DrawLine"))
        return;
    painter_.drawLine(lngXStart, lngYStart, lngXEnd, lngYEnd);
    position_ = {lngXEnd, lngYEnd};
}

QSize CAPIPrinter::DrawPicture(const QImage &picPicture, std::optional<qint32> lngWidth,
                               std::optional<qint32> lngHeight) {
    if (!ready("DrawPicture"))
        return {};
    if (picPicture.isNull()) {
        fail("DrawPicture", InvalidCall, QStringLiteral("The picture is empty."));
        return {};
    }
    if (!lngWidth)
        lngWidth = ScaleX(picPicture.width());
    if (!lngHeight)
        lngHeight = ScaleY(picPicture.height());
    painter_.drawImage(QRect(position_, QSize(*lngWidth, *lngHeight)), picPicture);
    return {*lngWidth, *lngHeight};
}

QFont CAPIPrinter::drawingFont() {
    QFont font = font_;
    const qint16 height = PointsToHeight(qint16(std::lround(font_.pointSizeF())));
    font.setPixelSize(qMax(1, std::abs(int(height))));
    font.setWeight(font_.bold() ? QFont::Bold : font_.weight());
    return font;
}

void CAPIPrinter::DrawText(const QString &strText) {
    if (!ready("DrawText"))
        return;
    const QFont saved = painter_.font();
    painter_.setFont(drawingFont());
    const QFontMetrics metrics(painter_.font(), device_);
    painter_.drawText(position_ + QPoint(0, metrics.ascent()), strText);
    position_.rx() += metrics.horizontalAdvance(strText);
    painter_.setFont(saved);
}

bool CAPIPrinter::StartDoc(const QString &strDocName) {
    if (!device_)
        return false;
    jobId_ = 0;
    device_->setDocName(strDocName);
    if (!painter_.begin(device_))
        return false;
    jobId_ = ++nextJobId;
    pagesEnded_ = 0;
    return true;
}

bool CAPIPrinter::StartPage() {
    if (jobId_ == 0)
        return false;
    position_ = {};
    return pagesEnded_ == 0 || device_->newPage();
}

bool CAPIPrinter::EndPage() {
    if (jobId_ == 0)
        return false;
    ++pagesEnded_;
    return true;
}

bool CAPIPrinter::EndDoc() {
    if (jobId_ == 0)
        return false;
    const bool ended = painter_.end();
    jobId_ = 0;
    device_ = nullptr;
    return ended;
}

qint32 CAPIPrinter::scaled(qint32 value, int printerDpi) {
    return qint32(std::lround(double(printerDpi) / screenDpi() * value));
}

qint32 CAPIPrinter::ScaleX(qint32 lngX) {
    if (!hasPrinter("ScaleX"))
        return 0;
    return scaled(lngX, device_->logicalDpiX());
}

qint32 CAPIPrinter::ScaleY(qint32 lngY) {
    if (!hasPrinter("ScaleY"))
        return 0;
    return scaled(lngY, device_->logicalDpiY());
}

qint32 CAPIPrinter::TextHeight(const QString &strText) {
    if (!ready("TextHeight"))
        return 0;
    Q_UNUSED(strText);
    return QFontMetrics(painter_.font(), device_).height();
}

qint32 CAPIPrinter::TextWidth(const QString &strText) {
    if (!ready("TextWidth"))
        return 0;
    return QFontMetrics(painter_.font(), device_).horizontalAdvance(strText);
}

qint16 CAPIPrinter::PointsToHeight(qint16 points) {
    if (!hasPrinter("PointsToHeight"))
        return 0;
    const qint32 product = qint32(points) * device_->logicalDpiX();
    return qint16(std::lround(-(product / 72.0)));
}
