#include "ui/ReportPrinter.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <array>

#include "card/GsmText.h"
#include "resources/StringTable.h"

namespace quillet::ui {

namespace {

using report::ReportFont;

constexpr std::uint32_t kDocumentNameId = 2300;  // "Quillet! Print"
constexpr double kPointSize = 10;
constexpr double kTenthsPerInch = 254;
constexpr double kRuleWidth = 2;  // 0.2 mm

std::function<void(QPrinter&)>& Preparation() {
    static std::function<void(QPrinter&)> prepare;
    return prepare;
}

QString DocumentName() {
    return QString::fromStdString(card::Utf8FromText(card::TextFromCp1250(resources::LoadString(kDocumentNameId))));
}

// The report's typeface, loaded from its files once, so that what is printed does not depend on the
// fonts the system happens to offer for a name. Without the files the system's choice for the family
// is taken.
QString ReportFamily() {
    static const QString family = [] {
        QString found = QStringLiteral("DejaVu Sans");
        for (const char* file : {"DejaVuSans.ttf", "DejaVuSans-Bold.ttf", "DejaVuSans-Oblique.ttf"}) {
            const QString path = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                        QStringLiteral("fonts/truetype/dejavu/") + file);
            if (path.isEmpty()) continue;
            const int id = QFontDatabase::addApplicationFont(path);
            const QStringList families = QFontDatabase::applicationFontFamilies(id);
            if (!families.isEmpty()) found = families.front();
        }
        return found;
    }();
    return family;
}

// The three fonts of a report at 10 points on a page drawn in tenths of a millimetre, and their
// measures in those units.
class ReportFonts final : public report::TextMeasure {
public:
    ReportFonts(QPaintDevice& device, double scale) : m_device(device) {
        for (const ReportFont font : {ReportFont::Heading, ReportFont::Normal, ReportFont::Message}) {
            QFont& made = m_fonts[Index(font)];
            made = QFont(ReportFamily());
            made.setStyleStrategy(QFont::NoFontMerging);
            made.setHintingPreference(QFont::PreferNoHinting);
            // The painter scales tenths of a millimetre up to device pixels; the font shrinks to match.
            made.setPointSizeF(kPointSize / scale);
            made.setWeight(font == ReportFont::Heading ? QFont::Bold : QFont::Normal);
            made.setItalic(font == ReportFont::Message);
        }
    }

    const QFont& Font(ReportFont font) const { return m_fonts[Index(font)]; }
    double Ascent(ReportFont font) const { return QFontMetricsF(Font(font), &m_device).ascent(); }
    double Width(ReportFont font, std::string_view utf8) const override {
        return QFontMetricsF(Font(font), &m_device)
            .horizontalAdvance(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    }
    double Height(ReportFont font) const override { return QFontMetricsF(Font(font), &m_device).height(); }

private:
    static std::size_t Index(ReportFont font) { return static_cast<std::size_t>(font); }

    QPaintDevice& m_device;
    std::array<QFont, 3> m_fonts;
};

}  // namespace

bool PrintReport(QPagedPaintDevice& device, const ReportSource& source) {
    if (auto* printer = dynamic_cast<QPrinter*>(&device)) printer->setDocName(DocumentName());
    if (auto* writer = dynamic_cast<QPdfWriter*>(&device)) writer->setTitle(DocumentName());
    if (device.logicalDpiX() <= 0 || device.logicalDpiY() <= 0) return false;
    // Device pixels per tenth of a millimetre.
    const double scaleX = device.logicalDpiX() / kTenthsPerInch;
    const double scaleY = device.logicalDpiY() / kTenthsPerInch;
    const report::PageSize page{device.width() / scaleX, device.height() / scaleY};
    const ReportFonts fonts(device, scaleX);
    const std::vector<report::ReportEntry> entries = source.kind == report::ReportKind::PhoneBook
                                                         ? report::PhoneBookEntries(source.book, page, fonts)
                                                         : report::MessageEntries(source.messages, page, fonts);
    const std::vector<report::ReportPage> pages = report::LayOutReport(source.kind, entries, page, fonts);

    QPainter painter;
    if (!painter.begin(&device)) return false;
    for (std::size_t index = 0; index < pages.size(); ++index) {
        if (index > 0) device.newPage();
        painter.resetTransform();
        painter.scale(scaleX, scaleY);
        // y grows upwards on the report and downwards here; Qt draws text on its baseline.
        for (const report::PlacedText& text : pages[index].texts) {
            painter.setFont(fonts.Font(text.font));
            painter.drawText(QPointF(text.x, -text.y + fonts.Ascent(text.font)), QString::fromStdString(text.text));
        }
        painter.setPen(QPen(Qt::black, kRuleWidth));
        for (const report::Rule& rule : pages[index].rules) {
            painter.drawLine(QPointF(rule.fromX, -rule.y), QPointF(rule.toX, -rule.y));
        }
    }
    return painter.end();
}

bool PrintWithDialog(QWidget* parent, const ReportSource& source) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(DocumentName());
    QPrintDialog dialog(&printer, parent);
    // All pages only; copies are the printer's business.
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setPrintRange(QAbstractPrintDialog::AllPages);
    if (dialog.exec() != QDialog::Accepted) return false;
    if (Preparation()) Preparation()(printer);
    // What the printer driver does with the pages is not reported.
    PrintReport(printer, source);
    return true;
}

bool ReportPdf(const ReportSource& source, QByteArray& pdf, std::string& error) {
    QBuffer buffer(&pdf);
    if (!buffer.open(QIODevice::WriteOnly)) {
        error = "cannot make the PDF document in memory";
        return false;
    }
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setCreator(DocumentName());
        if (!PrintReport(writer, source)) {
            error = "cannot draw the PDF document";
            return false;
        }
    }
    buffer.close();
    return true;
}

void SetPrinterPreparation(std::function<void(QPrinter&)> prepare) { Preparation() = std::move(prepare); }

}  // namespace quillet::ui
