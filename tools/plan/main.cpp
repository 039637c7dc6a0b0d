// zelnoa-plan: the best modification plans of a weapon, or of every weapon, on the command line
// (see PlanCommand.h and `zelnoa-plan --help`).

#include "tools/plan/PlanCommand.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const auto parsed = planCommand::parse(arguments);
    if (const QString* problem = std::get_if<QString>(&parsed)) {
        err << "zelnoa-plan: " << *problem << "\n\n" << planCommand::usage();
        return 2;
    }
    const planCommand::Options& options = std::get<planCommand::Options>(parsed);
    if (options.help) {
        out << planCommand::usage();
        return 0;
    }
    // The files of the program beside this one, whose settings file is called zelnoa.ini.
    return planCommand::run(options, runningProgramPaths(QStringLiteral("zelnoa")), out, err);
}
