// zot3: the manager of the video test-signal generators.

#include "CManagerApp.h"
#include "Profile.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    SetApplicationIdentity();
    QApplication application(argc, argv);
    CManagerApp app;
    if (!app.InitInstance())
        return 1;
    return application.exec();
}
