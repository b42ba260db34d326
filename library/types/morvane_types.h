/*
 * morvane_types.h - the plain types and codes of libmorvane: port ids, the
 * error codes, buffer sizes and the values the direct calls take (the
 * drawing-state context, fixed point, vertices, points, patterns).
 * Included by morvane.h. It declares no function, so a program that wraps
 * the library once can hand these types to code that never calls it.
 */
#ifndef MORVANE_TYPES_H
#define MORVANE_TYPES_H

#include <stdint.h>

/* Handle of an open port: port type in the high 16 bits, slot in the low. */
typedef uint32_t PortId;

#define MORVANE_PORT_ISA 0x10000u
#define MORVANE_PORT_COM 0x20000u
#define MORVANE_PORT_PCI 0x40000u
#define MORVANE_PORT_GPIB 0x80000u
#define MORVANE_PORT_TYPE_MASK 0xFFFF0000u

/* Minimum size of the text buffer of XR_PortGetErrorMsg and PortErrMsg. */
#define MORVANE_ERROR_TEXT_SIZE 254
/* Minimum size of the caller's buffer of port_command and port_response:
 * the reply (at most 9999 characters) and its NUL. */
#define MORVANE_ALIAS_BUFFER_SIZE 10000
/* Smallest reply buffer XR_PortSendCommand and XR_PortGetResponse accept. */
#define MORVANE_MIN_REPLY_BUFFER 10
/* Commands must be shorter than this (the carriage return is added). */
#define MORVANE_MAX_COMMAND 256

/* Error codes (XR_PortGetError). */
enum {
    MORVANE_OK = 0,
    MORVANE_E_HANDSHAKE = 1000,
    MORVANE_E_PORT_TYPE = 2000,
    MORVANE_E_NO_DIRECT_CALLS = 3000,
    MORVANE_E_NO_ECHO = 10000,
    MORVANE_E_BAD_ECHO = 10001,
    MORVANE_E_NO_ACK = 10002,
    MORVANE_E_COMMAND_INVALID = 10003,
    MORVANE_E_EXECUTION = 10004,
    MORVANE_E_COMMAND_TOO_LONG = 10005,
    MORVANE_E_BUFFER_TOO_SMALL = 10006,
    MORVANE_E_TIMEOUT = 10007,
    MORVANE_E_BUFFER_FULL = 10008,
    MORVANE_E_ISA_BAD_ID = 20000,
    MORVANE_E_ISA_CLOSED = 20001,
    MORVANE_E_ISA_NOT_RESPONDING = 20002,
    MORVANE_E_ISA_BAD_SPEC = 20003,
    MORVANE_E_ISA_RANGE = 20004,
    MORVANE_E_ISA_MAPPING = 20005,
    MORVANE_E_ISA_OPEN = 20006,
    MORVANE_E_COM_BAD_SPEC = 30000,
    MORVANE_E_COM_RANGE = 30001,
    MORVANE_E_COM_CREATE = 30002,
    MORVANE_E_COM_RATE_CHANGE = 30003,
    MORVANE_E_COM_RATE = 30004,
    MORVANE_E_COM_BAD_ID = 30005,
    MORVANE_E_COM_CLOSED = 30006,
    MORVANE_E_COM_OPEN = 30007,
    MORVANE_E_PCI_BAD_ID = 40000,
    MORVANE_E_PCI_CLOSED = 40001,
    MORVANE_E_PCI_DRIVER = 40002,
    MORVANE_E_PCI_DRIVER_VERSION = 40003,
    MORVANE_E_PCI_BAD_SPEC = 40004,
    MORVANE_E_PCI_RANGE = 40005,
    MORVANE_E_PCI_OPEN = 40006,
    MORVANE_E_PCI_TOO_MANY = 40007,
    MORVANE_E_PCI_REGISTER = 40008,
    MORVANE_E_PCI_DMA = 40009,
    MORVANE_E_PCI_REMAP = 40010,
    MORVANE_E_GPIB_BAD_SPEC = 50000,
    MORVANE_E_GPIB_BAD_ID = 50001,
    MORVANE_E_GPIB_CLOSED = 50002,
    MORVANE_E_GPIB_OPEN = 50003,
    MORVANE_E_GPIB_TOO_MANY = 50004,
    MORVANE_E_GPIB_DEVICE = 50005,
    MORVANE_E_GPIB_STATUS = 50006,
    MORVANE_E_GPIB_TRANSFER = 50007
};

/* Word indexes of a RemoteCallContext. Colour words 0-69 and the
 * parameters come from the generator at a filling preparation; a double
 * takes two words, low half first (the host's own layout), and is named by
 * its first. Words RCC_X, RCC_Y, RCC_CTM, the word after RCC_UINTSIZE and
 * RCC_ADDTEXT to RCC_COLOURLISTS - 1 are never written by the library.
 * The 121 colour-list words from RCC_COLOURLISTS are copies of colour words
 * made at a filling preparation. */
enum RemoteCallWord {
    RCC_BLACK = 0,
    RCC_RED = 1,
    RCC_RED50 = 2,
    RCC_RED75 = 3,
    RCC_GREEN = 4,
    RCC_GREEN50 = 5,
    RCC_GREEN75 = 6,
    RCC_YELLOW = 7,
    RCC_YELLOW50 = 8,
    RCC_YELLOW75 = 9,
    RCC_BLUE = 10,
    RCC_BLUE50 = 11,
    RCC_BLUE75 = 12,
    RCC_MAGENTA = 13,
    RCC_MAGENTA50 = 14,
    RCC_MAGENTA75 = 15,
    RCC_CYAN = 16,
    RCC_CYAN50 = 17,
    RCC_CYAN75 = 18,
    RCC_WHITE = 19,
    RCC_BROWN = 20,
    RCC_HUEI = 21,
    RCC_HUEQ = 22,
    RCC_HUENEGI = 23,
    RCC_HUENEGQ = 24,
    RCC_GRAY2 = 25,
    RCC_GRAY3 = 26,
    RCC_GRAY4 = 27,
    RCC_GRAY5 = 28,
    RCC_GRAY7 = 29,
    RCC_GRAY10 = 30,
    RCC_GRAY12 = 31,
    RCC_GRAY13 = 32,
    RCC_GRAY17 = 33,
    RCC_GRAY20 = 34,
    RCC_GRAY23 = 35,
    RCC_GRAY25 = 36,
    RCC_GRAY27 = 37,
    RCC_GRAY30 = 38,
    RCC_GRAY33 = 39,
    RCC_GRAY35 = 40,
    RCC_GRAY37 = 41,
    RCC_GRAY40 = 42,
    RCC_GRAY43 = 43,
    RCC_GRAY45 = 44,
    RCC_GRAY47 = 45,
    RCC_GRAY48 = 46,
    RCC_GRAY50 = 47,
    RCC_GRAY51 = 48,
    RCC_GRAY53 = 49,
    RCC_GRAY55 = 50,
    RCC_GRAY57 = 51,
    RCC_GRAY60 = 52,
    RCC_GRAY63 = 53,
    RCC_GRAY65 = 54,
    RCC_GRAY67 = 55,
    RCC_GRAY70 = 56,
    RCC_GRAY73 = 57,
    RCC_GRAY75 = 58,
    RCC_GRAY77 = 59,
    RCC_GRAY80 = 60,
    RCC_GRAY83 = 61,
    RCC_GRAY85 = 62,
    RCC_GRAY87 = 63,
    RCC_GRAY90 = 64,
    RCC_GRAY93 = 65,
    RCC_GRAY95 = 66,
    RCC_GRAY97 = 67,
    RCC_BACKGROUND = 68,
    RCC_FOREGROUND = 69,
    RCC_IMAGEVERSION = 70,
    RCC_PENW = 71,
    RCC_PENH = 72,
    RCC_DWELL = 73,
    RCC_OFFSETX = 74,
    RCC_OFFSETY = 75,
    RCC_SPACEX = 76,
    RCC_SPACEY = 77,
    RCC_DELTAX = 78,
    RCC_DELTAY = 79,
    RCC_LEVELRED = 80,
    RCC_LEVELGREEN = 81,
    RCC_LEVELBLUE = 82,
    RCC_X = 83,
    RCC_Y = 84,
    RCC_WIDTH = 85,
    RCC_HEIGHT = 86,
    RCC_CTM = 87,
    RCC_M00 = 88,
    RCC_M01 = 90,
    RCC_M02 = 92,
    RCC_M10 = 94,
    RCC_M11 = 96,
    RCC_M12 = 98,
    RCC_M20 = 100,
    RCC_M21 = 102,
    RCC_M22 = 104,
    RCC_ASPECT = 106,
    RCC_ASPECTSIZE = 108,
    RCC_ASPECTPIXEL = 110,
    RCC_NORMALWIDTH = 112,
    RCC_NORMALHEIGHT = 114,
    RCC_UINTSIZE = 116,
    RCC_WIDTHSIZE = 118,
    RCC_HEIGHTSIZE = 120,
    RCC_METERWIDTH = 122,
    RCC_METERHEIGHT = 123,
    RCC_LEFT = 124,
    RCC_TOP = 125,
    RCC_RIGHT = 126,
    RCC_BOTTOM = 127,
    RCC_CENTERLEFT = 128,
    RCC_CENTERTOP = 129,
    RCC_CENTERRIGHT = 130,
    RCC_CENTERBOTTOM = 131,
    RCC_MAJOR = 132,
    RCC_MINOR = 133,
    RCC_ADDSPACE = 134,
    RCC_MODSPACE = 135,
    RCC_ADDTEXT = 136,
    RCC_PENSIZE = 137,
    RCC_XYORIGIN = 138,
    RCC_RESERVED = 139,
    RCC_COLOURLISTS = 181,
    RCC_WORDS = 302
};

/* The caller-owned drawing state block (302 words). */
typedef struct RemoteCallContext {
    uint32_t words[RCC_WORDS];
} RemoteCallContext;

/* 16.16 fixed point: 0x10000 is 1.0. */
typedef int32_t Fix;
/* 4 x 4, row by row. */
typedef struct FixMatrix {
    Fix m[16];
} FixMatrix;
typedef struct Vertex {
    Fix x, y, z;
} Vertex;
typedef struct Point {
    int16_t x, y;
} Point;
/* One fill pattern: bit x of row y. */
typedef struct PatternImage {
    uint16_t rows[16];
} PatternImage;

#endif /* MORVANE_TYPES_H */
