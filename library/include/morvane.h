/*
 * morvane.h - the port and direct-call library of the Zotware manager.
 *
 * This header is the whole contract between libmorvane.so and its callers
 * (with the two it includes: morvane_types.h, the direct calls' morvane_dci.h).
 *
 * Threading: the library keeps its state (the error code, the slot tables,
 * the current port of each type, the alias port and its buffer) in process
 * globals without locks. Make every call from one thread, one at a time.
 *
 * Results: "Boolean" functions return 1 on success and 0 on failure; the
 * reason is the library's error code, read with XR_PortGetError() and turned
 * into text with XR_PortGetErrorMsg(). Almost every XR_Port call clears the
 * error code first; the exceptions say so.
 *
 * Buffers: every buffer is owned by the caller. Minimum sizes are given with
 * each function; the library never allocates memory the caller must free.
 *
 * Ports: a port is named by a text spec, compared without regard to case:
 *   "isa0".."isa7", "com1".."com4", "pci<n>" (n from 1, at most the number
 *   of cards found), "gpib<addr>:<board>" (addr 0-30, board >= 0).
 * On Linux, COM n is the device named by the environment variable
 * MORVANE_COMn, else /dev/ttyS<n-1>. GPIB ports go through the GPIB library
 * named by MORVANE_GPIB_LIBRARY (default libgpib32.so), loaded at the first
 * GPIB call and kept once its identity notice checks; without it GPIB opens
 * fail with MORVANE_E_GPIB_DEVICE.
 *
 * Waits: the command protocol waits up to 5 s for each echoed character,
 * 5 s for the line feed after the carriage return and 10 s between reply
 * characters, and one reply ends after 300 s in all, or once more than 4096
 * characters after an empty line were dropped (MORVANE_E_BUFFER_FULL, with
 * the characters stored so far); the handshake has a 1 s budget. Waits
 * block on the port's descriptor and use no processor time. A COM write the
 * line cannot take within 5 s (the far end stopped reading) fails with
 * MORVANE_E_NO_ECHO, and closing or flushing waits at most 5 s for queued
 * output. The environment variable MORVANE_TIME_SCALE, a positive factor,
 * scales every wait (for tests).
 * On GPIB a command is one bus write and its reply is read up to a line
 * end, each bus read waiting up to 300 ms; a generator that sends nothing
 * gives MORVANE_E_TIMEOUT.
 */
#ifndef MORVANE_H
#define MORVANE_H

#include <stdint.h>

#include "morvane_types.h"
#include "morvane_version.h"

#if defined(MORVANE_BUILDING)
#define MORVANE_API __attribute__((visibility("default")))
#else
#define MORVANE_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* --- Port family ------------------------------------------------------ */

/* 3.53. Does not touch the error code. */
MORVANE_API double XR_PortLibraryVersion(void);
/* Is spec a COM, ISA, valid PCI or GPIB spec. Does not clear the error
 * code; testing a PCI spec opens the driver connection
 * (MORVANE_E_PCI_DRIVER, MORVANE_E_PCI_DRIVER_VERSION). */
MORVANE_API int32_t XR_PortIsValidSpec(const char* spec);
/* Opens the port and runs the handshake. Returns 0 on failure. When the
 * handshake fails the id is still returned, with MORVANE_E_HANDSHAKE, and
 * the port stays open: close it or retry the handshake at another rate. ISA
 * and PCI specs fail with MORVANE_E_PCI_DRIVER or
 * MORVANE_E_PCI_DRIVER_VERSION when the kernel driver cannot be opened. */
MORVANE_API PortId XR_PortOpen(const char* spec);
MORVANE_API int32_t XR_PortClose(PortId id);
/* 1 when the generator does not answer the handshake. */
MORVANE_API int32_t XR_PortIsShutDown(PortId id);
MORVANE_API int32_t XR_PortIsCharAvailable(PortId id);
MORVANE_API int32_t XR_PortFlush(PortId id);
MORVANE_API int32_t XR_PortPutChar(PortId id, int32_t character);
/* The character in the low 8 bits; 0 there on failure. */
MORVANE_API int32_t XR_PortGetChar(PortId id);
/* Waits up to milliseconds (not scaled) for a received character, blocking
 * on the line: 1 once one is waiting, 0 at the time-out. A COM line that
 * has hung up ends the wait at once with MORVANE_E_COM_CLOSED. */
MORVANE_API int32_t XR_PortWaitForChar(PortId id, int32_t milliseconds);
/* Puts length characters in one go, as XR_PortPutChar would one by one:
 * 1 when all went. A negative length, or null data with characters to put,
 * is refused with MORVANE_E_COMMAND_INVALID. */
MORVANE_API int32_t XR_PortPutBlock(PortId id, const uint8_t* data, int32_t length);
/* With on != 0, every wait of the library ends at once as if its time were
 * up, the wait of a call in progress included, until it is called with 0:
 * a Cancel ends an open or handshake without waiting out its time-outs.
 * The one call that may come from another thread while a call runs; it
 * leaves the error code alone. Waits inside the GPIB bus library end at
 * its own time-out (300 ms). */
MORVANE_API void XR_PortCancelWaits(int32_t on);
/* Sends command (shorter than 256 characters; the carriage return is
 * added). With a reply buffer of length >= 10, reads the reply into it and
 * returns the number of characters stored (NUL-terminated). Without a
 * buffer (null), returns 0 and leaves the reply on the port. A null command
 * is refused with MORVANE_E_COMMAND_INVALID before anything is sent; a
 * length below 10 (negative included) with a buffer gives
 * MORVANE_E_BUFFER_TOO_SMALL after the command was acknowledged, with the
 * buffer untouched and the reply left on the port. */
MORVANE_API int32_t XR_PortSendCommand(PortId id, const char* command, char* reply, int32_t length);
/* A null reply or a length below 10: MORVANE_E_BUFFER_TOO_SMALL, nothing
 * read or written. */
MORVANE_API int32_t XR_PortGetResponse(PortId id, char* reply, uint32_t length);
/* The current error code. Does not touch it. */
MORVANE_API int32_t XR_PortGetError(void);
/* Fills text (at least MORVANE_ERROR_TEXT_SIZE bytes) with the text of
 * code; codes without a text give "". Returns text; a null text is refused
 * (returns null). Does not touch the error code. */
MORVANE_API char* XR_PortGetErrorMsg(int32_t code, char* text);
MORVANE_API int32_t XR_PortValidateId(PortId id);
/* ISA: the reset sequence (IsaInitialize); other ports: the command "INIT". */
MORVANE_API int32_t XR_PortInitialize(PortId id);
/* Initialises a port that is not open: type MORVANE_PORT_ISA (n = slot) or
 * MORVANE_PORT_PCI (n = one-based card number). The result is the reset's:
 * 0 also when the port opened but its processor did not restart
 * (MORVANE_E_TIMEOUT). A PCI card's firmware is restarted with its stores
 * cleared. A card the caller holds open is refused (MORVANE_E_ISA_OPEN,
 * MORVANE_E_PCI_OPEN). */
MORVANE_API int32_t XR_PortForceInit(uint32_t type, int32_t n);
/* COM only: one of 115200, 57600, 38400, 9600, 19200, 300, 600, 1200,
 * 4800. A port opens at 2400 and returns to it only by reopening. */
MORVANE_API int32_t XR_PortSetRate(PortId id, int32_t rate);
MORVANE_API int32_t XR_PortGetRate(PortId id);
/* Number of PCI generator cards, -1 when the driver cannot be opened. */
MORVANE_API int32_t XR_PortCountPciCards(void);
/* Makes id the current port of its type for the low-level exports. */
MORVANE_API int32_t XR_PortPrepare(PortId id);

/* --- Graphics-processor host interface (ISA cards) ---------------------- *
 * These work on the current ISA card: the one XR_PortPrepare or an ISA port
 * operation selected last. They neither check nor set the error code;
 * without a current card they return 0 and touch nothing. Addresses are the
 * processor's bit addresses: consecutive 16-bit words are 16 apart. The
 * writing functions return 1 when the write reached a card. */

/* (address high << 16) + address low. */
MORVANE_API uint32_t GspGetAddress(void);
/* Writes the low half to the address register, then the high half. */
MORVANE_API int32_t GspSetAddress(uint32_t address);
/* The 16-bit word at address (0xFFFF where the card has no memory). */
MORVANE_API uint16_t GspRead(uint32_t address);
/* Writes the low 16 bits of value to the word at address. */
MORVANE_API int32_t GspWrite(uint32_t address, uint32_t value);
/* The data register at the current address; with GspAutoIncrement(1) each
 * access moves the address on by one word. */
MORVANE_API int32_t GspWriteRelative(uint32_t value);
MORVANE_API uint16_t GspReadRelative(void);
/* flag != 0: increment the address after each data access; 0: do not. */
MORVANE_API int32_t GspAutoIncrement(int32_t flag);
MORVANE_API int32_t GspHalt(void);
MORVANE_API int32_t GspRun(void);
/* Flushes the processor's instruction cache. */
MORVANE_API int32_t GspFlush(void);
/* Clears the byte-order bit of host access. */
MORVANE_API int32_t GspLblLow(void);
/* Requests the non-maskable interrupt (the processor restarts). */
MORVANE_API int32_t GspNmi(void);

/* --- ISA cards --------------------------------------------------------- *
 * The cards are reached through the kernel driver, on Linux a stand-in
 * listening on the Unix socket named by MORVANE_WINDRVR (default
 * $XDG_RUNTIME_DIR/windrvr, else /tmp/windrvr-<uid>); without it every card
 * open fails with MORVANE_E_PCI_DRIVER. The processor's handshakes (taking
 * a character, the restart) are bounded at 5 s and fail with
 * MORVANE_E_TIMEOUT. */

/* Opens "isa0".."isa7" without the command handshake. */
MORVANE_API PortId IsaOpen(const char* spec);
/* Resets the processor: halt, clears RAM 0xFF000000-0xFF100000 and its I/O
 * registers, restarts it and waits for the restart; 0 with MORVANE_E_TIMEOUT
 * when the processor does not restart. */
MORVANE_API int32_t IsaInitialize(PortId id);
/* --- PCI cards --------------------------------------------------------- *
 * PCI generator cards are reached through the same kernel driver as ISA
 * cards; "pci<n>" is the n-th card the driver found, from 1. Card addresses
 * are byte addresses: video memory 8 MB at 0, ROM 2 MB at 0xE0000000, SRAM
 * 512 KB at 0xFFF00000, 32 KB at 0xF1000000 and at 0xF0F00000; elsewhere a
 * card reads 0 and ignores writes.
 *
 * The mailbox functions (PciWriteData to PciReadBuffer below) work on the
 * current PCI card: the one XR_PortPrepare or a PCI port operation selected
 * last. Without one they return 0 and touch nothing. They do not clear the
 * error code; a command the card does not acknowledge within 2 s, each
 * stream element included, fails with MORVANE_E_TIMEOUT. Those taking an id
 * clear the error code and select the card first (MORVANE_E_PCI_BAD_ID,
 * MORVANE_E_PCI_CLOSED). */

/* Opens "pci<n>" without the command handshake. */
MORVANE_API PortId PciOpen(const char* spec);
MORVANE_API int32_t PciClose(PortId id);
/* The card's SRAM (512 KB), mapped into the caller; null on failure. */
MORVANE_API void* PciGetSRAMBase(PortId id);
/* The card's memory window (8 MB), mapped into the caller: it shows the
 * region PciRemapMemory chose, a smaller one repeated to fill it, and keeps
 * its address while the card is open. Null on failure. */
MORVANE_API void* PciGetMemoryBase(PortId id);
/* window 1 video memory, 2 SRAM, 4 ROM, 8 the 32 KB at 0xF1000000, 16 the
 * 32 KB at 0xF0F00000; any other id: MORVANE_E_PCI_REMAP, nothing
 * written. */
MORVANE_API int32_t PciRemapMemory(PortId id, int32_t window);
/* The window id in force; 0 with MORVANE_E_PCI_REMAP when it is none of
 * the five. */
MORVANE_API int32_t PciGetRemap(PortId id);
/* value 1 clears bit 5 of the byte-order register, any other value sets it. */
MORVANE_API int32_t PciEnableEndianSwap(PortId id, int32_t value);

/* Writes the low size bytes of value (size 1, 2 or 4) at address. */
MORVANE_API int32_t PciWriteData(uint32_t value, uint32_t address, int32_t size);
/* Writes count (1-7) 32-bit values to consecutive words from address; any
 * other count or a null array returns 0 and writes nothing. */
MORVANE_API int32_t PciWriteBlock(const uint32_t* values, int32_t count, uint32_t address);
/* The size bytes (1, 2 or 4) at address. */
MORVANE_API uint32_t PciReadData(uint32_t address, int32_t size);
/* Streams of count elements at consecutive addresses, one mailbox command
 * each; a stream stops at the first element the card does not acknowledge.
 * A negative count, or a null array with count > 0, does nothing. */
MORVANE_API void PciWriteInt32(const uint32_t* values, uint32_t address, int32_t count);
MORVANE_API void PciWriteBuffer(const uint8_t* bytes, uint32_t address, int32_t count);
/* Returns the last value read, 0 when none was. */
MORVANE_API uint32_t PciReadBuffer(uint32_t address, uint8_t* bytes, int32_t count);
/* The firmware's watchdog loop; leaving it waits at most 2 s for the
 * firmware's release (MORVANE_E_TIMEOUT). */
MORVANE_API int32_t PciEnterWatchDogLoop(PortId id);
MORVANE_API int32_t PciExitWatchDogLoop(PortId id);
/* Pulses the card's software reset: its firmware restarts. */
MORVANE_API int32_t PciResetCard(PortId id);

/* --- GPIB file sends --------------------------------------------------- */

/* Sends a firmware file to a GPIB generator: mode 1 sends the command
 * "FLSH <size>" and then the file, any other mode the block header
 * "FLSH #<digits><size>" and the file as the block. The file goes with the
 * 1000 s bus time-out and without EOI; the 300 ms time-out and EOI are
 * restored afterwards. Failure: MORVANE_E_GPIB_TRANSFER (also for a null
 * file or a negative size, with nothing sent). Does not clear the error
 * code first. */
MORVANE_API int32_t GpibSendFlashFile(PortId id, const char* file, int32_t size, int32_t mode);
/* Sends a file as it is, under the same settings; the third argument is
 * ignored. Failure: MORVANE_E_GPIB_TRANSFER. Does not clear the error code
 * first. */
MORVANE_API int32_t GpibSendFile(PortId id, const char* file, int32_t ignored);

/* --- Graphics-processor number forms ----------------------------------- *
 * The processor's doubles (8 bytes) and floats (4 bytes), little-endian:
 * the IEEE layout with the mantissa's leading one kept at its top bit and
 * the exponent one higher. Converting to them drops the fraction's lowest
 * bit; 0.0 becomes 2^-1023 (stored files carry it). Infinities and NaNs
 * become the largest finite form of their sign. */

MORVANE_API void IEEEtoTMS340(double value, uint8_t out[8]);
MORVANE_API double TMS340toIEEE(const uint8_t in[8]);
/* The value as a double (a float result would travel elsewhere). */
MORVANE_API double TMS340toIEEEF(const uint8_t in[4]);
MORVANE_API void IEEEtoTMS340F(float value, uint8_t out[4]);

/* --- Old alias exports: one implicit port ------------------------------ */

MORVANE_API double port_libvers(void);
MORVANE_API int32_t port_isportspec(const char* spec);
/* Closes the alias port if open, opens spec; returns the error code. */
MORVANE_API int32_t port_open(const char* spec);
MORVANE_API int32_t port_close(void);
MORVANE_API int32_t port_shutdown(void);
/* Returns the error code. */
MORVANE_API int32_t port_init(void);
MORVANE_API int32_t port_avail(void);
MORVANE_API int32_t port_flush(void);
MORVANE_API int32_t port_putc(int32_t character);
MORVANE_API int32_t port_getc(void);
/* reply: null, or at least MORVANE_ALIAS_BUFFER_SIZE bytes. Returns the
 * error code. */
MORVANE_API int32_t port_command(const char* command, char* reply);
/* reply: at least MORVANE_ALIAS_BUFFER_SIZE bytes; a null reply is refused
 * with MORVANE_E_BUFFER_TOO_SMALL. Returns the error code. */
MORVANE_API int32_t port_response(char* reply);
MORVANE_API int32_t port_geterror(void);
MORVANE_API int32_t isa_forceinit(int32_t n);
/* text: at least MORVANE_ERROR_TEXT_SIZE bytes. */
MORVANE_API char* PortErrMsg(char* text);

#ifdef __cplusplus
}
#endif

/* The Direct Call Interface. */
#include "morvane_dci.h"

#endif /* MORVANE_H */
