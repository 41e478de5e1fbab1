#pragma once

#include <QByteArray>
#include <functional>
#include <span>
#include <string>

#include "phonebook/PhoneBookEntry.h"
#include "sms/SmsEntry.h"
#include "ui/ReportLayout.h"

class QPagedPaintDevice;
class QPrinter;
class QWidget;

namespace quillet::ui {

// What a report prints: the positions of a phone-book or fixed-dialling window, or of an SMS window.
struct ReportSource {
    report::ReportKind kind = report::ReportKind::PhoneBook;
    std::span<const phonebook::PhoneBookEntry> book;
    std::span<const sms::SmsEntry> messages;
};

// Draws the report on a printer or PDF writer that is ready to print, one device page per report
// page, in DejaVu Sans (the message texts in DejaVu Sans Oblique), which holds the Latin, Greek and
// Cyrillic letters names and messages may have. The document is named "Quillet! Print". False
// when the device cannot be painted on.
bool PrintReport(QPagedPaintDevice& device, const ReportSource& source);

// The print dialog (all pages only), then the report on the chosen printer. False only when the
// dialog was cancelled.
bool PrintWithDialog(QWidget* parent, const ReportSource& source);

// The report as a PDF document on A4; false with the reason when it cannot be made.
bool ReportPdf(const ReportSource& source, QByteArray& pdf, std::string& error);

// Runs on the printer the print dialog chose, before printing: tests send the output to a PDF file.
void SetPrinterPreparation(std::function<void(QPrinter&)> prepare);

}  // namespace quillet::ui
