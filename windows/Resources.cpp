#include "windows/Resources.h"

#include <QtCore/qglobal.h>
#include <QtCore/qresource.h>

// Q_INIT_RESOURCE must be used outside any namespace.
static void InitPicturesResource() {
    Q_INIT_RESOURCE(pictures);
}

void InitWindowsResources() {
    InitPicturesResource();
}
