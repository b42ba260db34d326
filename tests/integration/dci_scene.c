/* Draws one scene on each card port named on the command line (a filled and
 * an outlined rectangle, an oval, a line of text and a pattern fill), reads
 * the screen back with XR_GetRect and saves it as FOLDER/<port>.pgm, a byte
 * per pixel. Ports default to isa0 and pci1.
 *
 *   dci_scene FOLDER [PORT...]
 */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "morvane.h"

/* Pixels read per XR_GetRect: a PCI card stages 4 bytes a pixel in a small heap. */
#define SCENE_STRIP_PIXELS 16384
#define SCENE_MOST_SIDE 4096

static const char* const kSceneText = "Morvane direct calls";

/* 0 when the last call left an error code, after saying which call it was. */
static int Ok(const char* spec, const char* what)
{
    char text[MORVANE_ERROR_TEXT_SIZE];
    const int32_t code = XR_PortGetError();
    if (code == 0)
        return 1;
    fprintf(stderr, "%s: %s failed: %d %s\n", spec, what, (int)code, XR_PortGetErrorMsg(code, text));
    return 0;
}

static int Refused(const char* spec, const char* what)
{
    fprintf(stderr, "%s: %s refused\n", spec, what);
    return 0;
}

static int DrawScene(const char* spec, const RemoteCallContext* context)
{
    const uint32_t* words = context->words;
    XR_Set_pmask(0xFFFFFFFFu);
    if (!Ok(spec, "the plane mask"))
        return 0;
    XR_ColorFillVuport(0);
    if (!Ok(spec, "clearing the screen"))
        return 0;
    XR_Opaque(words[RCC_WHITE], 0);
    if (!Ok(spec, "the colours"))
        return 0;
    XR_FillRect(160, 100, 40, 40);
    if (!Ok(spec, "the filled rectangle"))
        return 0;
    XR_Set_color1(words[RCC_YELLOW]);
    if (!Ok(spec, "colour 1"))
        return 0;
    XR_DrawRect(160, 100, 240, 40);
    if (!Ok(spec, "the outlined rectangle"))
        return 0;
    XR_Set_color1(words[RCC_CYAN]);
    if (!Ok(spec, "colour 1"))
        return 0;
    XR_FillOval(160, 100, 440, 40);
    if (!Ok(spec, "the oval"))
        return 0;
    XR_Set_color1(words[RCC_GREEN]);
    if (!Ok(spec, "colour 1"))
        return 0;
    const int32_t font = XR_SelectFontNamed("BIG30");
    if (!Ok(spec, "selecting font BIG30"))
        return 0;
    if (font < 0)
        return Refused(spec, "font BIG30");
    const int32_t pen = XR_DrawString(40, 180, kSceneText);
    if (!Ok(spec, "the text"))
        return 0;
    if (pen <= 40)
        return Refused(spec, "the text");
    XR_Opaque(words[RCC_MAGENTA], words[RCC_BLUE]);
    if (!Ok(spec, "the colours"))
        return 0;
    const int32_t pattern = XR_SelectPatnNamed("CHECKER8");
    if (!Ok(spec, "selecting pattern CHECKER8"))
        return 0;
    if (pattern < 0)
        return Refused(spec, "pattern CHECKER8");
    XR_PatnFillRect(560, 200, 40, 240);
    return Ok(spec, "the pattern fill");
}

/* One strip of rows into pixels (a byte each). The buffer is read twice,
 * once filled with 0 bits and once with 1 bits: a block the card never
 * staged leaves the two apart instead of passing for a black strip. */
static int ReadStrip(const char* spec, int isa, int32_t width, int32_t rows, int32_t top, unsigned char* pixels,
                     unsigned char* first, unsigned char* second, size_t bytes)
{
    const uint32_t pitch = isa ? 8u * (uint32_t)width : (uint32_t)width;
    memset(first, 0x00, bytes);
    XR_GetRect(width, rows, 0, top, first, pitch);
    if (!Ok(spec, "reading the screen"))
        return 0;
    memset(second, 0xFF, bytes);
    XR_GetRect(width, rows, 0, top, second, pitch);
    if (!Ok(spec, "reading the screen"))
        return 0;
    const size_t count = (size_t)width * (size_t)rows;
    if (memcmp(first, second, isa ? count : 4 * count) != 0)
        return Refused(spec, "reading the screen");
    if (isa) {
        memcpy(pixels, first, count);
        return 1;
    }
    for (size_t i = 0; i < count; ++i) {
        uint32_t word;
        memcpy(&word, first + 4 * i, sizeof word);
        if (word > 0xFF) {
            fprintf(stderr, "%s: pixel word 0x%08X is not a pixel\n", spec, (unsigned)word);
            return 0;
        }
        pixels[i] = (unsigned char)word;
    }
    return 1;
}

static int ReadScreen(const char* spec, int isa, int32_t width, int32_t height, unsigned char* pixels)
{
    /* ISA packs a byte a pixel (one spare byte ends the last 16-bit word);
     * PCI a 32-bit word a pixel. */
    const int32_t strip = width < SCENE_STRIP_PIXELS ? SCENE_STRIP_PIXELS / width : 1;
    const size_t bytes = (size_t)width * (size_t)strip * (isa ? 1u : 4u) + 1u;
    unsigned char* first = malloc(bytes);
    unsigned char* second = malloc(bytes);
    int ok = first != NULL && second != NULL;
    if (!ok)
        fprintf(stderr, "%s: out of memory\n", spec);
    for (int32_t top = 0; ok && top < height; top += strip) {
        const int32_t rows = height - top < strip ? height - top : strip;
        ok = ReadStrip(spec, isa, width, rows, top, pixels + (size_t)top * (size_t)width, first, second, bytes);
    }
    free(first);
    free(second);
    return ok;
}

static int WritePgm(const char* path, int32_t width, int32_t height, const unsigned char* pixels)
{
    FILE* file = fopen(path, "wb");
    if (file == NULL) {
        perror(path);
        return 0;
    }
    const size_t count = (size_t)width * (size_t)height;
    int ok = fprintf(file, "P5\n%d %d\n255\n", (int)width, (int)height) > 0
             && fwrite(pixels, 1, count, file) == count;
    ok = fclose(file) == 0 && ok;
    if (!ok)
        perror(path);
    return ok;
}

static int Run(const char* folder, const char* spec)
{
    static RemoteCallContext context;
    char text[MORVANE_ERROR_TEXT_SIZE];
    char path[4096];
    if (snprintf(path, sizeof path, "%s/%s.pgm", folder, spec) >= (int)sizeof path) {
        fprintf(stderr, "%s: folder name too long\n", spec);
        return 1;
    }
    const PortId id = XR_PortOpen(spec);
    if (id == 0 || !XR_PortPrepareRemoteCall(id, &context, 1)) {
        fprintf(stderr, "%s: %s\n", spec, XR_PortGetErrorMsg(XR_PortGetError(), text));
        if (id != 0)
            XR_PortClose(id);
        return 1;
    }
    const int isa = (id & MORVANE_PORT_TYPE_MASK) == MORVANE_PORT_ISA;
    const int32_t width = (int32_t)context.words[RCC_WIDTH];
    const int32_t height = (int32_t)context.words[RCC_HEIGHT];
    if (width < 1 || height < 1 || width > SCENE_MOST_SIDE || height > SCENE_MOST_SIDE) {
        fprintf(stderr, "%s: screen %d x %d out of range\n", spec, (int)width, (int)height);
        XR_PortClose(id);
        return 1;
    }
    unsigned char* pixels = malloc((size_t)width * (size_t)height);
    int ok = pixels != NULL;
    if (!ok)
        fprintf(stderr, "%s: out of memory\n", spec);
    ok = ok && DrawScene(spec, &context) && ReadScreen(spec, isa, width, height, pixels)
         && WritePgm(path, width, height, pixels);
    free(pixels);
    XR_PortClose(id);
    if (ok)
        printf("%s: %d x %d saved to %s\n", spec, (int)width, (int)height, path);
    return ok ? 0 : 1;
}

int main(int argc, char** argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: %s FOLDER [PORT...]\n", argv[0]);
        return 2;
    }
    static const char* const kDefaultPorts[] = {"isa0", "pci1"};
    const char* const* ports = argc > 2 ? (const char* const*)(argv + 2) : kDefaultPorts;
    const int count = argc > 2 ? argc - 2 : 2;
    int failed = 0;
    for (int i = 0; i < count; ++i)
        failed |= Run(argv[1], ports[i]);
    return failed;
}
