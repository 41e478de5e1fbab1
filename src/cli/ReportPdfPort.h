#pragma once

#include <span>
#include <string>

#include "phonebook/PhoneBookEntry.h"
#include "sms/SmsEntry.h"

namespace quillet::cli {

// `print` draws its report with the windowed program's printing, which this library cannot reach:
// a program built with the windows hands it in. Without it `print` says that this build cannot print.

// Makes the PDF document of the used positions of `book` (phone book or fixed dialling numbers), or
// of `messages` when `printMessages`; positions are numbered from 1. False with the reason.
using ReportPdfMaker = bool (*)(bool printMessages, std::span<const phonebook::PhoneBookEntry> book,
                                std::span<const sms::SmsEntry> messages, std::string& pdf, std::string& error);

void SetReportPdfMaker(ReportPdfMaker maker);

}  // namespace quillet::cli
