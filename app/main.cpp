#include "app/ProgramFolder.h"
#include "app/modMain.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    return modMain::Main(ProgramFolder::ofExecutable());
}
