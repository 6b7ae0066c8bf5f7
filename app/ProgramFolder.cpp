#include "platform/qt/ProgramFolder.h"

#include <QCoreApplication>

std::string ProgramFolder() { return QCoreApplication::applicationDirPath().toStdString(); }
