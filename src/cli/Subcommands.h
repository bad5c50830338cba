#pragma once

#include <QStringList>

#include <span>

/// One subcommand of celldesk-cli: the name typed after the program, a line for the
/// overview, and what runs it with the arguments that follow the name. It returns the exit
/// status (CliCommon.h).
struct Subcommand
{
    const char* name;
    const char* summary;
    int (*run)(const QStringList& arguments);
};

/// Every subcommand, in the order the overview lists them.
[[nodiscard]] std::span<const Subcommand> subcommands();

int runWatch(const QStringList& arguments);
int runClock(const QStringList& arguments);
int runSampling(const QStringList& arguments);
int runComparator(const QStringList& arguments);
int runDownload(const QStringList& arguments);
int runErase(const QStringList& arguments);
int runRecord(const QStringList& arguments);
int runConvert(const QStringList& arguments);
int runGrade(const QStringList& arguments);
int runPack(const QStringList& arguments);
int runStats(const QStringList& arguments);
