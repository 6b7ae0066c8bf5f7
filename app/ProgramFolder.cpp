#include "app/ProgramFolder.h"

#include <QCoreApplication>

std::string ProgramFolder() {
    return QCoreApplication::applicationDirPath().toStdString();
}
