/* Binds each card port named on the command line for direct calls, prints
 * the screen size and black the generator reports, fills a rectangle in
 * white and reads one of its pixels back. */
#include <stdio.h>

#include "morvane.h"

static int Run(const char* spec)
{
    static RemoteCallContext context;
    char text[MORVANE_ERROR_TEXT_SIZE];
    PortId id = XR_PortOpen(spec);
    if (id == 0 || !XR_PortPrepareRemoteCall(id, &context, 1)) {
        fprintf(stderr, "%s: %s\n", spec, XR_PortGetErrorMsg(XR_PortGetError(), text));
        if (id != 0)
            XR_PortClose(id);
        return 1;
    }
    printf("%s: width %d height %d black 0x%08X\n", spec, (int)context.words[RCC_WIDTH],
           (int)context.words[RCC_HEIGHT], (unsigned)context.words[RCC_BLACK]);
    XR_Set_color1(context.words[RCC_WHITE]);
    XR_FillRect(8, 4, 16, 16);
    int32_t inside = XR_GetPixel(18, 17);
    int32_t outside = XR_GetPixel(24, 17);
    printf("%s: pixel %d beside %d white %u\n", spec, (int)inside, (int)outside,
           (unsigned)(context.words[RCC_WHITE] & 0xFF));
    XR_PortClose(id);
    return (uint32_t)inside == (context.words[RCC_WHITE] & 0xFF) && outside != inside ? 0 : 1;
}

int main(int argc, char** argv)
{
    int failed = 0;
    for (int i = 1; i < argc; ++i)
        failed |= Run(argv[i]);
    return failed;
}
