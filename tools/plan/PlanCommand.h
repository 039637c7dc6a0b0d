#pragma once
// zelnoa-plan: the plan search without a window. The arguments are read into Options, the
// master and the settings file are those the program itself would use unless named, and the
// best plans of one weapon (or the best plan of every shown weapon, best first) are written as
// tab-separated rows under a header line.

#include "simulator/PlanSearch.h"
#include "storage/ProgramPaths.h"

#include <QString>
#include <QStringList>
#include <QTextStream>
#include <optional>
#include <variant>

namespace planCommand {

struct Options {
    std::optional<QString> master;
    std::optional<QString> settings;
    std::optional<QString> profile;
    std::optional<QString> bonus;
    qint32 change = 23;
    planSearch::Query query;
    std::optional<qint32> weapon;
    bool allWeapons = false;
    bool help = false;
};

// The arguments after the program name; the reason when they are not usable.
std::variant<Options, QString> parse(const QStringList& arguments);

QString usage();

// 0 when the rows were written, 1 when a file is missing or broken or holds no such profile,
// bonus set or weapon (the reason goes to err).
int run(const Options& options, const ProgramPaths& paths, QTextStream& out, QTextStream& err);

} // namespace planCommand
