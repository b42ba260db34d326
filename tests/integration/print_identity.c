/* Opens com1, asks the generator who it is and prints the answer. */
#include <stdio.h>
#include <string.h>

#include "morvane.h"

int main(void)
{
    char reply[6000];
    char text[MORVANE_ERROR_TEXT_SIZE];
    PortId id = XR_PortOpen("com1");
    if (id == 0 || XR_PortGetError() != 0) {
        fprintf(stderr, "open: %s\n", XR_PortGetErrorMsg(XR_PortGetError(), text));
        if (id != 0)
            XR_PortClose(id);
        return 1;
    }
    int n = XR_PortSendCommand(id, "*IDN?", reply, (int32_t)sizeof reply);
    if (XR_PortGetError() != 0) {
        fprintf(stderr, "*IDN?: %s\n", XR_PortGetErrorMsg(XR_PortGetError(), text));
        XR_PortClose(id);
        return 1;
    }
    printf("%.*s", n, reply);
    XR_PortClose(id);
    return 0;
}
