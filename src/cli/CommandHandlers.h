#pragma once

#include <ostream>

#include "cli/CliOptions.h"

namespace quillet::cli {

// The commands of quillet-cli, one function per command group of the command table. Each gets
// the line already checked against the table and returns the exit code.
using CommandHandler = int (*)(const Options& options, const CommandLine& line, std::ostream& out, std::ostream& err);

int RunPhoneBook(const Options& options, const CommandLine& line, std::ostream& out, std::ostream& err);
int RunSms(const Options& options, const CommandLine& line, std::ostream& out, std::ostream& err);
int RunSmsParameters(const Options& options, const CommandLine& line, std::ostream& out, std::ostream& err);
int RunNetworks(const Options& options, const CommandLine& line, std::ostream& out, std::ostream& err);
int RunBackup(const Options& options, const CommandLine& line, std::ostream& out, std::ostream& err);
int RunRestore(const Options& options, const CommandLine& line, std::ostream& out, std::ostream& err);
int RunPin(const Options& options, const CommandLine& line, std::ostream& out, std::ostream& err);
int RunInfo(const Options& options, const CommandLine& line, std::ostream& out, std::ostream& err);
int RunCheck(const Options& options, const CommandLine& line, std::ostream& out, std::ostream& err);
int RunPrint(const Options& options, const CommandLine& line, std::ostream& out, std::ostream& err);

}  // namespace quillet::cli
