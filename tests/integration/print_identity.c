/* Opens each port it is given (com1 when none), asks the generator there
 * who it is and prints "<port>: <answer>", one line each. A COM port whose
 * generator does not answer at the opening rate is tried at each rate, as
 * the program's baud search does. */
#include <stdio.h>
#include <string.h>

#include "morvane.h"

static int report(const char* what)
{
    char text[MORVANE_ERROR_TEXT_SIZE];
    fprintf(stderr, "%s: %s\n", what, XR_PortGetErrorMsg(XR_PortGetError(), text));
    return 1;
}

/* The handshake at each other rate a generator takes, until one answers;
 * a failed one costs a second, so the likely rates come first. */
static int findRate(PortId id)
{
    static const int32_t rates[] = {115200, 9600, 57600, 38400, 19200, 4800, 1200, 600, 300};
    size_t i;
    for (i = 0; i < sizeof rates / sizeof rates[0]; ++i)
        if (XR_PortSetRate(id, rates[i]) && !XR_PortIsShutDown(id))
            return 1;
    return 0;
}

static int printIdentity(const char* port)
{
    char reply[6000];
    int n;
    PortId id = XR_PortOpen(port);
    if (id == 0)
        return report(port);
    if (XR_PortGetError() == MORVANE_E_HANDSHAKE && (id & MORVANE_PORT_TYPE_MASK) == MORVANE_PORT_COM
        && !findRate(id)) {
        XR_PortClose(id);
        return report(port);
    }
    if (XR_PortGetError() != 0) {
        report(port);
        XR_PortClose(id);
        return 1;
    }
    n = XR_PortSendCommand(id, "*IDN?", reply, (int32_t)sizeof reply);
    if (XR_PortGetError() != 0) {
        report(port);
        XR_PortClose(id);
        return 1;
    }
    while (n > 0 && (reply[n - 1] == '\r' || reply[n - 1] == '\n'))
        --n;
    printf("%s: %.*s\n", port, n, reply);
    XR_PortClose(id);
    return 0;
}

int main(int argc, char** argv)
{
    int failed = 0;
    int i;
    if (argc < 2)
        return printIdentity("com1");
    for (i = 1; i < argc; ++i)
        failed |= printIdentity(argv[i]);
    return failed;
}
