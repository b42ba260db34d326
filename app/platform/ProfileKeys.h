#pragma once
// Sections and keys of the program's profile, in one place. Defaults are
// given where every reader uses the same one.

namespace ProfileKeys {

// Window rectangles and splitter sizes.
inline constexpr char kWindow[] = "Window";
inline constexpr char kMainX1[] = "Main x1"; // the main rectangle; -1: none stored
inline constexpr char kMainY1[] = "Main y1";
inline constexpr char kMainX2[] = "Main x2";
inline constexpr char kMainY2[] = "Main y2";
inline constexpr int kMainRectDefault = -1;
inline constexpr char kMainCur1[] = "Main cur1"; // splitter; default -1
inline constexpr char kMainMin1[] = "Main min1"; // default 0
inline constexpr char kGenViewW[] = "GenView W"; // default -1
inline constexpr char kGenViewH[] = "GenView H"; // default 100
inline constexpr char kGenViewSP[] = "GenView SP"; // default 100
inline constexpr char kSequenceW[] = "Sequence W"; // default -1
inline constexpr char kSequenceH[] = "Sequence H"; // default 100
inline constexpr char kSequenceSP[] = "Sequence SP";
inline constexpr char kKnobListW[] = "KnobList W";
inline constexpr char kKnobListH[] = "KnobList H";
inline constexpr char kKnobListSP[] = "KnobList SP";

inline constexpr char kGenerator[] = "Generator";
inline constexpr char kPersistentBaudRate[] = "PersistentBaudRate"; // 1 = absent, then 2400 is written

// The last port chosen in the port dialog.
inline constexpr char kPort[] = "Port";
inline constexpr char kPortType[] = "Type"; // default 0, shown as ISA
inline constexpr char kPortIsa[] = "Isa";   // default 0
inline constexpr char kPortCom[] = "Com";   // default 1
inline constexpr char kPortPci[] = "Pci";   // default 1
inline constexpr char kPortGpib[] = "Gpib"; // default 1

// Last folders per dialog (no default), and the program's own folder.
inline constexpr char kFolders[] = "Folders";
inline constexpr char kFileSave[] = "FileSave";
inline constexpr char kFileOpen[] = "FileOpen";
inline constexpr char kFileImportZot2[] = "FileImportZot2";
inline constexpr char kFmtList[] = "FmtList";
inline constexpr char kImageDownload[] = "Image Download";
inline constexpr char kFirmware[] = "Firmware";
inline constexpr char kExtract[] = "Extract";
inline constexpr char kProgram[] = "Program"; // read only; see AppFolders.h

// Last data and import types (filter indexes, from 1).
inline constexpr char kData[] = "Data";
inline constexpr char kLastType[] = "Last type";     // default 1
inline constexpr char kImportType[] = "Import type"; // default 1

} // namespace ProfileKeys
