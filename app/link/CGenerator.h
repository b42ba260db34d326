#pragma once
// The program's connection to one generator: the open port, the firmware
// version and what it allows, every command and its reply, the name lists
// of the generator's stored items, the optional command log and the knob
// lists recalled from it. Nothing else in the program talks to a port.
//
// It is the front of three parts: GeneratorLink (the port, the send path,
// the lost-link latch, the log; no windows: a failed command is reported up
// to this front), GeneratorNameCaches (the name lists) and
// GeneratorConnectFlow (the dialogs and boxes of connecting). The front
// shows the boxes of its commands and of a lost link (CGeneratorPrompts.cpp);
// only the connect flows use the owner window.
//
// Its members are in files named by concern: CGenerator.cpp (connection,
// knob-list links), CGeneratorSettings.cpp, CGeneratorStoredItems.cpp,
// CGeneratorReconnect.cpp, CGeneratorPrompts.cpp, CGeneratorYmodem.cpp and
// CGeneratorIsaMemoryMap.cpp.

#include "GeneratorLink.h"
#include "GeneratorNameCaches.h"
#include "IsaMemoryMap.h"
#include "PortType.h"
#include "RgbTriple.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

struct DmaTestReport;
class CAcsKind;
class CDcsKind;
class CDssKind;
class CProgressDlg;
class CommandJob;
class KnobListLink;
class QWidget;
class ToolLibrary;

class CGenerator
{
public:
    // The serial rates the program offers and searches, fastest first.
    static constexpr const std::array<int, 8>& kBaudRates = GeneratorLink::kBaudRates;
    // The most names a list query asks for, and the most a directory holds.
    static constexpr int kMaxListEntries = 450;
    // Data-item kinds whose names the Send Data command adds to a directory.
    static constexpr int kKindFormat = 100;
    static constexpr int kKindImage = 200;
    // The longest command line the port library takes, in characters.
    static constexpr int kMaxCommandLength = 255;

    using Family = ItemFamily;

    // owner places the dialogs of the connect flows; it may be null.
    explicit CGenerator(QWidget* owner);
    // A connection on a port someone else opened; it closes the port when it goes.
    CGenerator(QWidget* owner, PortId port);
    ~CGenerator();
    CGenerator(const CGenerator&) = delete;
    CGenerator& operator=(const CGenerator&) = delete;

    // Makes generator (null: none) the program's current one, g_pCurrentGenerator.
    static void MakeCurrent(CGenerator* generator);

    // --- Connection ------------------------------------------------------
    bool OpenPort();
    BaudChange ChangeBaudRate(int rate);
    void SetFirmwareVersion(double version);
    void BuildMemoryMap();
    void FlushPort() { m_link.FlushPort(); }
    QString GetPortName() const { return m_link.GetPortName(); }
    static int CountPciCards();
    // Initialises a card that is not open (type PortType::Isa with its slot,
    // or PortType::Pci with its card number); non-zero when it answered.
    static int ForceInit(PortType type, int number);
    // The port library's version, as it reports it.
    static double LibraryVersion();
    int GetBaudRate() { return m_link.GetBaudRate(); }
    double QueryVerf();

    GeneratorLink& Link() { return m_link; }
    PortId GetPort() const { return m_link.GetPort(); }
    PortType GetPortType() const { return m_link.Type(); }
    QWidget* GetOwner() const { return m_owner; }
    int GetGpibAddress() const { return m_link.GetGpibAddress(); }
    int GetGpibBoard() const { return m_link.GetGpibBoard(); }
    double GetFirmwareVersion() const { return m_firmwareVersion; }
    bool HasExtendedLists() const { return m_extendedLists; }
    bool FontsSupported() const { return m_fontsSupported; }
    bool PixelMapsSupported() const { return m_pixelMapsSupported; }
    // Set from the firmware version on an ISA port (CGeneratorIsaMemoryMap.cpp).
    const IsaMemoryMap &GetIsaMemoryMap() const { return m_isaMap; }

    // --- Commands and replies ------------------------------------------
    // The send path: every command goes out here, a failure in a
    // "Communication Error" box (CGeneratorPrompts.cpp).
    void SendCommand(const CommandLine& line, bool expectReply) { m_link.SendCommand(line, expectReply); }
    // A line as typed: a reply is awaited when a "?" follows its first character.
    void SendCommandText(const QString& line);
    // Sends one whole line as it stands and awaits no reply, whatever it
    // holds: a "?" inside a primitive's text makes it no query.
    void SendCommandLine(const QString& line);
    // A query, its reply read as its kind (also on a closed port, which the
    // library refuses).
    bool SendQueryBool(const CommandLine& query) { return m_link.QueryBool(query); }
    int SendQueryInt(const CommandLine& query) { return m_link.QueryInt(query); }
    double SendQueryDouble(const CommandLine& query) { return m_link.QueryDouble(query); }
    void SendQueryRgb(const CommandLine& query, RgbTriple& out) { m_link.QueryRgb(query, out); }
    const QString& SendQueryString(const CommandLine& query) { return m_link.QueryString(query); }
    void GetReplyLines(QStringList& lines) { m_link.GetReplyLines(lines); }
    QString GetLastReply() const { return m_link.ReplyText(); }
    // The line sent last.
    const QString& LastCommandText() const { return m_link.LastCommand(); }
    // The library's error of the last command (0: it succeeded).
    int LastCommandError() const { return m_link.LastError(); }
    bool LastCommandSucceeded() const { return m_link.LastCommandSucceeded(); }
    // The generator's words when it refused the last command, else empty.
    const QString& LastRefusal() const { return m_link.RefusalText(); }

    // The library's text of a failed open, when no box has said why yet
    // (the connect flow's own, or a Cancel, leave nothing to say).
    bool GetPortErrorText(QString& text) { return !m_openFailureTold && m_link.GetPortErrorText(text); }
    // The "Communication Error" box of the last command, when it failed.
    void ReportPortError();
    void LogPortError() { m_link.LogPortError(); }

    // --- A lost link (see GeneratorLink; CGeneratorReconnect.cpp) --------
    bool IsLinkLost() const { return m_link.IsLinkLost(); }
    // A handshake; once it answers, what an operation cut by the lost link
    // left open on the generator is closed first (GeneratorLink::KeepForReconnect).
    bool CheckLink();
    // listener hears true when the link is lost and false when it is back;
    // it is dropped when context goes. It must not talk to the generator
    // at once: the call that noticed may still be under way.
    void AddLinkListener(QObject* context, std::function<void(bool lost)> listener);
    // The model the generator names, for the questions about its link.
    void SetModelName(const QString& model) { m_modelName = model; }
    // A handshake, else the same port closed and opened again with the rate
    // search (a replugged adapter is a new device); then the rate the port
    // had, the closings an operation cut by the loss left (CloseAfterReconnect),
    // "VERF?" and "*IDN?". Under progress, or a dialog of its own when
    // null. showErrors: a failure is told in a "Connect Error" box.
    bool Reconnect(CProgressDlg* progress, bool showErrors);
    // What "*IDN?" answered at the last reconnect.
    void GetReconnectIdentity(QString& model, QString& version, QString& serial) const;
    static bool AnyLinkLost() { return GeneratorLink::AnyLinkLost(); }
    static quint64 HaltingFailureCount() { return GeneratorLink::HaltingFailureCount(); }

    // --- Operations (see GeneratorLink) -----------------------------------
    // One operation of this generator for as long as it lives; null: none.
    class Operation
    {
    public:
        explicit Operation(CGenerator* generator) : m_link(generator ? &generator->m_link : nullptr)
        {
            if (m_link)
                m_link->BeginOperation();
        }
        ~Operation()
        {
            if (m_link)
                m_link->EndOperation();
        }
        Operation(const Operation&) = delete;
        Operation& operator=(const Operation&) = delete;

    private:
        GeneratorLink* m_link;
    };
    // Putting the generator back, for as long as it lives.
    class PutBack
    {
    public:
        explicit PutBack(CGenerator* generator) : m_link(generator ? &generator->m_link : nullptr)
        {
            if (m_link)
                m_link->BeginPutBack();
        }
        ~PutBack()
        {
            if (m_link)
                m_link->EndPutBack();
        }
        PutBack(const PutBack&) = delete;
        PutBack& operator=(const PutBack&) = delete;

    private:
        GeneratorLink* m_link;
    };
    bool IsHalted() const { return m_link.IsHalted(); }

    // --- Jobs (see GeneratorLink::RunJob) ------------------------------------
    // Runs job on the port thread as one unit: the commands and queries it
    // makes there go out without a hand-off each, their replies parsed as
    // they come. job calls command and query members only (no window, no
    // box); it shows its progress through the CommandJob it is handed. The
    // first failed command ends it, its box shown once the job is back;
    // progress's Cancel is read before each command and ends it too. False
    // when a command failed, the link is lost or Cancel was pressed.
    bool RunCommands(CProgressDlg* progress, const std::function<void(CommandJob& job)>& job);
    // Sends lines one after the other as one job, none awaiting a reply,
    // each shown on progress's detail line as it goes.
    bool SendCommandLines(const std::vector<CommandLine>& lines, CProgressDlg* progress);
    // Closing commands for what an operation left open on the generator,
    // when the link was lost before they could go: sent once it is back.
    void CloseAfterReconnect(std::function<void()> closing) { m_link.KeepForReconnect(std::move(closing)); }

    // --- Command log and raw transfers -----------------------------------
    bool EnableCommandLog(bool on) { return m_link.EnableCommandLog(on); }
    bool IsCommandLogOn() const { return m_link.IsCommandLogOn(); }
    // The log file of this connection's port.
    QString CommandLogPath() const { return m_link.CommandLogPath(); }
    void Delay(double seconds) { m_link.Delay(seconds); }
    // Raw characters and a carriage return, no echo read. False on a GPIB
    // port (it cannot take single characters this way) or a failed put.
    bool PutString(const QString& s) { return m_link.PutString(s); }
    // Reads and drops one raw line. False on a GPIB port, or when no
    // character comes within the protocol's 10 s.
    bool GetString() { return m_link.GetString(); }
    // Sends the rest of the file byte by byte. False at the first failed
    // put, a read error, or Cancel; the file stays open.
    bool SendFile(FILE* f, CProgressDlg* progress) { return m_link.SendFile(f, progress); }

    // --- Knob lists recalled from this generator -------------------------
    void AttachKnobList(KnobListLink* list);
    void DetachKnobList(KnobListLink* list);

    // --- Stored-item families -------------------------------------------
    void CmdDira(const QString& name, bool addToCache);
    void CmdFmta(const QString& name, bool addToCache);
    void CmdImga(const QString& name, bool addToCache);
    void CmdSeqa(const QString& name, bool addToCache);
    void CmdFnta(const QString& name, bool addToCache);
    void CmdMapa(const QString& name, bool addToCache);

    void CmdDirb();
    void CmdFmtb();
    void CmdImgb();
    void CmdSeqb();
    void CmdFntb();
    void CmdMapb();

    void CmdDire();
    void CmdFmte();
    void CmdImge();
    void CmdSeqe();
    void CmdFnte();
    void CmdMape();

    void CmdDirk(const QString& name);
    void CmdFmtk(const QString& name);
    void CmdImgk(const QString& name);
    void CmdSeqk(const QString& name);
    void CmdFntk(const QString& name);
    void CmdMapk(const QString& name);

    // true: a user item that may be deleted or overwritten.
    bool QueryDirk(const QString& name);
    bool QueryFmtk(const QString& name);
    bool QueryImgk(const QString& name);
    bool QueryFntk(const QString& name);
    bool QueryMapk(const QString& name);

    void CmdDirl(const QString& name);
    void CmdFmtl(const QString& name);
    void CmdImgl(const QString& name);
    void CmdSeql(const QString& name);
    void CmdFntl(const QString& name);
    void CmdMapl(const QString& name);

    bool QueryDirl(const QString& name);
    int QueryFmtlExists(const QString& name); // non-zero: the format exists
    bool QueryImglExists(const QString& name);
    bool QuerySeql(const QString& name);
    bool QueryFntl(const QString& name);
    bool QueryMapl(const QString& name);
    const QString& QueryFmtl(); // the loaded format
    const QString& QueryImgl(); // the loaded image

    void CmdDirn(const QString& name);
    void CmdFmtn(const QString& name);
    void CmdImgn(const QString& name);
    void CmdSeqn(const QString& name);
    void CmdFntn(const QString& name);
    void CmdMapn(const QString& name);
    const QString& QueryImgn();

    void CmdFmtp(const QString& name);
    void CmdImgp(const QString& name);
    void CmdSeqp(const QString& name);
    const QString& QueryFmtp();
    const QString& QueryImgp();
    const QString& QuerySeqp();

    // List queries: send only (read the lines with GetReplyLines), or send
    // and fill names.
    void QueryDirq(int first, int count);
    void QueryFmtq(int first, int count, bool extended);
    void QueryImgq(int first, int count, bool extended);
    void QuerySeqq(int first, int count);
    void QueryFntq(int first, int count, bool extended);
    void QueryMapq(int first, int count, bool extended);
    void QueryDirqList(int first, int count, QStringList& names);
    void QueryFmtqList(int first, int count, QStringList& names, bool extended);
    void QueryImgqList(int first, int count, QStringList& names, bool extended);
    void QuerySeqqList(int first, int count, QStringList& names);
    void QueryFntqList(int first, int count, QStringList& names, bool extended);
    void QueryMapqList(int first, int count, QStringList& names, bool extended);

    // Apply: waits for the generator unless an animated image is in use.
    void CmdAllu();
    void CmdFmtu();
    void CmdImgu();
    void CmdSequ();
    const QString& QueryFmtu();
    const QString& QueryImgu();
    const QString& QuerySequ();

    void CmdDirs();
    void CmdNami(int position, const QString& name);
    void CmdNamk(const QString& name);
    void QueryNamq(int first, int count);
    void QueryNamqList(int first, int count, QStringList& names);
    bool QueryAnim(const QString& name);

    // --- Name caches ------------------------------------------------------
    void RefreshDirectoryList();
    void RefreshFormatList();
    void RefreshImageList();
    void RefreshSequenceList();
    void RefreshFontList();
    void RefreshPixelMapList();

    bool HasDirectory(const QString& name);
    bool HasFormat(const QString& name);
    bool HasImage(const QString& name);
    bool HasSequence(const QString& name);
    bool HasFont(const QString& name);
    bool HasPixelMap(const QString& name);

    void DeleteDirectory(const QString& name);
    void DeleteFormat(const QString& name);
    void DeleteImage(const QString& name);
    void DeleteSequence(const QString& name);
    void DeleteFont(const QString& name);
    void DeletePixelMap(const QString& name);

    void LoadBuiltInFormatNames();
    void LoadBuiltInImageNames();

    // Directory rewrites; false when the directory is missing or the
    // generator refused part of the new one (the old one then stays).
    bool AddNamesToDirectory(const QStringList& names, int kind);
    bool RenameInDirectory(const QString& dir, const QString& oldName, const QString& newName);

    bool IsAnimatedImageCurrent();
    bool IsAnimatedImage(const QString& name);

    const QStringList& DirectoryNames() const { return m_caches.Names(Family::Dir); }
    const QStringList& FormatNames() const { return m_caches.Names(Family::Fmt); }
    const QStringList& ImageNames() const { return m_caches.Names(Family::Img); }
    const QStringList& SequenceNames() const { return m_caches.Names(Family::Seq); }
    const QStringList& FontNames() const { return m_caches.Names(Family::Fnt); }
    const QStringList& PixelMapNames() const { return m_caches.Names(Family::Map); }
    const QList<unsigned>& FormatFlags() const { return m_caches.Flags(Family::Fmt); }
    const QList<unsigned>& ImageFlags() const { return m_caches.Flags(Family::Img); }
    const QList<unsigned>& FontFlags() const { return m_caches.Flags(Family::Fnt); }
    const QList<unsigned>& PixelMapFlags() const { return m_caches.Flags(Family::Map); }

    // ===== Memory files over the ISA host port (CGeneratorIsaMemoryFiles.cpp) ==
    // folder ends with the separator. Each shows its status in progress's
    // second line (progress may be null), moves its file in one routine on
    // the port thread and polls Cancel after it; false when the file was not
    // made whole, the table has no address in this build, or the user
    // cancelled. A file that failed is removed.
    bool ExtractSystemFile(const QString& folder, CProgressDlg* progress);
    bool ExtractFormatMemory(const QString& folder, CProgressDlg* progress);
    bool ExtractImageMemory(const QString& folder, CProgressDlg* progress);
    bool ExtractSequenceMemory(const QString& folder, CProgressDlg* progress);
    bool ExtractKnobFiles(const QString& folder, CProgressDlg* progress);
    bool ExtractDirAndPath(const QString& folder, CProgressDlg* progress);
    // Writes one memory file back, reads it back and has the firmware unpack
    // it; the number base is put back after.
    bool RestoreMemoryFiles(const QString& folder, const QString& name, CProgressDlg* progress);
    // The bytes a table at address may take: up to the next table (or the
    // character words), at most 64 KiB; 0 for address 0.
    uint32_t IsaRegionBytes(uint32_t address) const;
    // Word and byte access at bit addresses, for a routine: the address
    // moves on past what was read or written. Writes do nothing on a port
    // that is not ISA.
    static void ReadWord(ToolLibrary& lib, uint32_t& address, uint8_t& low, uint8_t& high);
    static uint8_t ReadByte(ToolLibrary& lib, uint32_t& address);
    static void ReadEightBytes(ToolLibrary& lib, uint32_t& address, uint8_t* bytes);
    static void WriteByte(ToolLibrary& lib, uint32_t& address, uint8_t byte);
    static void WriteWord(ToolLibrary& lib, uint32_t& address, uint8_t low, uint8_t high);
    // ===== Firmware download (CGeneratorFirmware.cpp, CGeneratorFirmwareIsa.cpp)
    // Puts folder's "firmware.bin" into the generator's flash, by its port:
    // ISA programs the flash parts through the host port, COM sends it by
    // YMODEM, GPIB through the library's flash send, PCI through video
    // memory and the card's own flash call. fileVersion is negative when not
    // known; directPort marks a port opened only for the download. False
    // after the failure's box, or silently on Cancel.
    bool DownloadFirmware(const QString& folder, double fileVersion, CProgressDlg* progress, bool directPort);
    // After a failed ISA program or verify: the flash holds no firmware that
    // starts, and the connection is of no use until it is flashed again.
    bool FirmwareLeftDead() const { return m_firmwareDead; }
    // What the identity words of an ISA card say of its flash: 0 none (nothing
    // to program), 1 flash parts the program can program, 2 parts it cannot.
    static int FirmwareIdentityKind(uint32_t identity);
    // The box of a PCI card's flash result word other than success.
    struct FirmwareFailureBox {
        unsigned captionId;
        unsigned textId;
        QStringList inserts;
    };
    static FirmwareFailureBox PciFlashFailure(uint32_t word);

    // ===== Setting and query commands (CGeneratorSettings.cpp) ================
    // A setter clamps its argument silently and sends without awaiting a
    // reply; a query sends the mnemonic with "?" and reads the reply.

    // On/off switches: "AVPG 1", "AVPG 0".
    void CmdAvpg(bool on);
    void CmdCspg(bool on);
    void CmdHspg(bool on);
    void CmdVspg(bool on);
    void CmdCspp(bool on);
    void CmdHspp(bool on);
    void CmdVspp(bool on);
    void CmdGamc(bool on);
    void CmdIsub(bool on);
    void CmdPcpg(bool on);
    void CmdRfld(bool on);
    bool QueryAvpg();
    bool QueryCspg();
    bool QueryHspg();
    bool QueryVspg();
    bool QueryCspp();
    bool QueryHspp();
    bool QueryVspp();
    bool QueryGamc();
    bool QueryPcpg();
    bool QueryRfld();

    // Integer settings.
    void CmdAvcs(int n);
    void CmdAvst(int n);
    void CmdBase(int n);
    void CmdDnum(int n);
    void CmdDvst(int n);
    void CmdEqua(int n);
    void CmdEqub(int n);
    void CmdHres(int n);
    void CmdHspd(int n);
    void CmdHspw(int n);
    void CmdHtot(int n);
    void CmdIver(int n);
    void CmdLmax(int n);
    void CmdPeld(int bits);
    void CmdScan(int n);
    void CmdSize(int n);
    void CmdSlut(int n);
    void CmdSmod(int n);
    void CmdSsst(int code);
    void CmdStep(int n);
    void CmdSvsg(int n);
    void CmdUsiz(int n);
    void CmdVres(int n);
    void CmdVspd(int n);
    void CmdVspw(int n);
    void CmdVtot(int n);
    void CmdXres(int n);
    void CmdYres(int n);
    int QueryAvcs();
    int QueryAvst();
    int QueryBase();
    int QueryDnum();
    int QueryDvst();
    int QueryEqua();
    int QueryEqub();
    int QueryHres();
    int QueryHspd();
    int QueryHspw();
    int QueryHtot();
    int QueryIver();
    int QueryScan();
    int QuerySize();
    int QuerySmod();
    int QuerySsst();
    int QueryStep();
    int QuerySvsg();
    int QueryUsiz();
    int QueryVres();
    int QueryVspd();
    int QueryVspw();
    int QueryVtot();
    // The format's pixel depth, or with " GE" the generator's.
    int QueryPeld(bool ofGenerator);

    // Floating-point settings.
    void CmdAsss(double v);
    void CmdAvps(double v);
    void CmdAvss(double v);
    void CmdGama(double v);
    void CmdHrat(double v);
    void CmdHsiz(double v);
    void CmdVsiz(double v);
    void CmdSdly(double seconds);
    double QueryAsss();
    double QueryAvps();
    double QueryAvss();
    double QueryGama();
    double QueryHrat();
    double QueryHsiz();
    double QueryVsiz();
    double QuerySdly();

    // Sync kinds, sent as the kind's index. An index the kind does not have
    // sends nothing: the generator keeps its own.
    void CmdAsct(int index);
    void CmdDsct(int index);
    void CmdDsst(int index);
    void CmdAsctKind(const CAcsKind& kind);
    void CmdDsctKind(const CDcsKind& kind);
    void CmdDsstKind(const CDssKind& kind);
    int QueryAsct();
    int QueryDsct();
    int QueryDsst();

    // Which syncs are output, as the three flags; SSST codes outside the
    // flags' table (4, the DPMS states) decode to none.
    static int SsstCodeOfFlags(bool acs, bool dcs, bool dss);
    static void DecodeSsstCode(int code, bool& acs, bool& dcs, bool& dss);
    void CmdSsstFlags(bool acs, bool dcs, bool dss);
    void QuerySsstFlags(bool& acs, bool& dcs, bool& dss);

    // Gates, sync on colour and video boards.
    void CmdAssg(bool r, bool g, bool b); // "ASSG 1,0,1"
    void QueryAssg(bool& r, bool& g, bool& b);
    void CmdXvsg(bool r, bool g, bool b); // "XVSG 1 0 1"
    void CmdXvsgValues(int r, int g, int b);
    void QueryXvsg(bool& r, bool& g, bool& b);
    // From firmware 7.04; before it nothing is sent and all three are false.
    void QueryVbpr(bool& r, bool& g, bool& b);

    // Outputs.
    void CmdOutgOn(bool on, bool second); // second false appends " 0"
    void CmdOutg(int value);
    bool QueryOutgOn();
    int QueryOutg();

    // Uploads and recalls of fonts, pixel maps, lookup tables and bitmaps.
    void CmdBdma(int offset, int length, int rows, int board);
    // Sends nothing unless width and height are above 0 and depth is 1, 2, 4 or 8.
    void CmdDmap(int width, int height, int depth);
    void QueryDmap(int& width, int& height, int& depth);
    void CmdFdta(int table, int index, int value);
    int QueryFdta(int table, int index);
    void CmdFntg();
    void CmdLute();
    // A pixel-map word, sent as the signed number of its 32 bits.
    void CmdMdta(int index, int word);
    // The word's low 32 bits, whether the reply is signed ("-1") or not
    // ("4294967295").
    uint32_t QueryMdta(int index);
    void CmdRgbw(int index, int r, int g, int b);
    // colour: red in the lowest byte, then green, then blue.
    void CmdRgbwColor(int index, uint32_t colour);
    void CmdSbnk();
    void CmdSerm(int unused);

    // State, errors and identity.
    void CmdErrc();
    int QueryNerr();
    int QueryFmtg();
    int QueryIstp();
    const QString& QueryIstpLine(int n);
    int QueryNstp();
    // Bytes of generator memory used and free; memories beyond 2 GiB read whole.
    qint64 QueryMemu();
    qint64 QueryMemf();
    void CmdName(const QString& name);
    void CmdKnob(int knob, int clicks);
    void CmdPkup();
    void CmdScal();
    void QueryVerh(int& first, int& second);
    // "*IDN?": model "Unknown", version "0.0" and serial "0" where the reply
    // lacks them.
    void QueryIdn(QString& model, QString& version, QString& serial);

    // Hands the port to a YMODEM transfer; true when the generator answered
    // with its two lines.
    bool CmdYmdi();
    bool CmdYmdo(const QString& files);
    // ===== End of setting and query commands ================================

    // ===== PCI memory tests (CGeneratorDmaTests.cpp) =========================
    // Region 1 (video memory from card address 0, 2 M words) or 2 (SRAM at
    // 0xFFF50000, 12800 bytes); kind 1 write, 2 read, 3 write/read, 5 endian
    // bytes, 6 SRAM bytes, 7 SRAM words. The failures in per cent (kind 3:
    // their count); report says why it did not run or that it was cancelled.
    double DmaTests(int region, int kind, uint32_t pattern, DmaTestReport* report = nullptr);
    // Tests run region 1 over fewer words; 0 restores the whole region.
    static void SetDmaRegionOneWords(int words);
    // ===== End of PCI memory tests ==========================================

    // ===== YMODEM block transfer (CGeneratorYmodem.cpp) =====================
    // Results of YmodemReceiveBlock.
    enum YmodemBlock : int {
        kYmodemShortBlock = 1, // a good 128-byte block
        kYmodemLongBlock = 2,  // a good 1024-byte block
        kYmodemNoBlock = 3,    // a time-out or a stray byte
        kYmodemEot = 4,
        kYmodemBadNumber = 5,  // wrong block number or complement
        kYmodemRepeat = 6,     // a good repeat of the block before the expected one
        kYmodemCrcError = 7,
        kYmodemCancelled = 24, // two CANs
    };
    // Progress kinds of YmodemShowStatus.
    enum YmodemStatus : int {
        kYmodemSending = 1,
        kYmodemReceiving = 2,
        kYmodemBytesSent = 3,
        kYmodemBytesReceived = 4,
        kYmodemError = 5,
        kYmodemText = 6,
    };

    // Sends the files in one batch (after CmdYmdi). False with an error
    // text, or with an empty one when the user cancelled.
    bool YmodemSend(const QStringList& paths, CProgressDlg* progress, QString& error);
    // Receives files into folder until the sender ends the batch (after
    // CmdYmdo); the number of files received whole. A file is written under
    // its name only once it is complete.
    int YmodemReceive(const QString& folder, CProgressDlg* progress);
    int YmodemReceiveBlock(int expected);
    void YmodemAbort();
    // One progress line; false when the user has cancelled.
    bool YmodemShowStatus(int kind, long count, const QString& text, CProgressDlg* progress);
    // False when nothing came within seconds, or the user cancelled meanwhile.
    bool WaitForByte(int seconds, int& byte);
    // Fills block 0 from name and the size of file; false when they do not fit.
    bool YmodemBuildHeader(const QByteArray& name, FILE* file);
    // False at the end of the file; a short read is padded with SUB.
    bool YmodemReadBlock(int length, FILE* file);
    // ===== End of YMODEM block transfer =====================================

private:
    QString ReplyText() const { return m_link.ReplyText(); }

    // Stored-item families (CGeneratorStoredItems.cpp)
    bool KeepsFlags(Family f) const;
    QString Mnemonic(Family f, char op, bool query = false) const;
    void AppendName(CommandLine& line, Family f, char op, bool query, const QString& name);
    void SendNamed(Family f, char op, const QString& name);
    void SendBare(Family f, char op);
    bool QueryNamed(Family f, char op, const QString& name);
    const QString& QueryString(Family f, char op);
    void StoreItem(Family f, const QString& name, bool addToCache);
    void InsertIntoCache(Family f, const QString& name);
    void SendListQuery(Family f, int first, int count, bool extended);
    void ListQuery(Family f, int first, int count, QStringList& names, bool extended);
    void RefreshFromGenerator(Family f, bool extended, bool splitFlags);
    bool HasItem(Family f, const QString& name);
    void DeleteItem(Family f, const QString& name);
    bool CachedUserFlag(Family f, const QString& name) const;
    void SendApply(const char* mnemonic, bool bare);
    bool ReadDirectoryEntries(const QString& dir, QStringList& entries);
    bool WriteDirectory(const QString& dir, const QStringList& entries);
    void NotifyKnobLists();

    // ===== Setting and query commands (CGeneratorSettings.cpp) ================
    void SendSwitch(const char* mnemonic, bool on);
    void SendIntSetting(const char* mnemonic, int n);
    void SendRealSetting(const char* mnemonic, double v);
    bool QuerySwitch(const char* mnemonic);
    int QueryIntSetting(const char* mnemonic);
    double QueryRealSetting(const char* mnemonic);
    // A three-part reply as flags: each value above threshold.
    void QueryTripleFlags(const char* mnemonic, double threshold, bool& r, bool& g, bool& b);
    qint64 QueryInt64(const char* mnemonic);
    bool SendRaw(const QString& text);
    // ===== End of setting and query commands ================================

    // ===== YMODEM block transfer (CGeneratorYmodem.cpp) =====================
    enum class YmodemAnswer { Ack, Nak, Crc, Stream, ReceiverCancelled, TimedOut, UserCancelled };
    // The sender's waits: for the receiver, the header's answer, the mode, a block's answer.
    enum class YmodemWait { Receiver, Header, Mode, Block };
    enum class YmodemFile { Received, BatchEnded, Failed };
    class YmodemScope;
    bool WaitForByteUntil(int64_t deadlineMs, int& byte);
    bool YmodemPut(int byte);
    bool YmodemPutBlock(int length, int number, bool crc, bool header);
    YmodemAnswer YmodemAwait(YmodemWait wait, int64_t deadlineMs);
    bool YmodemSendFailed(YmodemAnswer answer, int block, QString& error);
    bool YmodemSendFile(const QString& path, QString& error);
    bool YmodemSendData(FILE* file, long size, bool crc, const QString& path, QString& error);
    bool YmodemSendEot(QString& error);
    YmodemFile YmodemReceiveFile(const QByteArray& folder);
    bool YmodemReadHeader();
    bool YmodemReadFirstBlock(int& result);
    bool YmodemReadNextBlock(int expected, int& result);
    // Drops bytes until the line has been quiet for a second; false when
    // the sender cancelled meanwhile.
    bool YmodemPurge();
    void YmodemFailStatus(int expected, unsigned textId);
    // The trace of the transfer under way, when g_pYmodemTrace is open.
    void TraceText(const char* text) const;
    __attribute__((format(printf, 2, 3))) void Trace(const char* format, ...) const;
    void TraceDashes(int count) const;
    void TraceBytes(const uint8_t* data, int length, bool breakBefore) const;
    // ===== End of YMODEM block transfer =====================================

    void NotifyLinkListeners(bool lost);

    // ===== Firmware download ================================================
    bool FirmwareBySerial(const QString& file, CProgressDlg* progress);
    bool FirmwareByGpib(const QString& file, CProgressDlg* progress);
    bool FirmwareByPci(const QString& file, CProgressDlg* progress);
    bool FirmwareByPciDirect(const QString& file);
    bool FirmwareByIsa(const QString& file, CProgressDlg* progress);
    bool FlashIsaParts(const QString& file, CProgressDlg* progress);
    // ===== End of firmware download =========================================

    // ===== Boxes (CGeneratorPrompts.cpp) ====================================
    // A command the generator did not take.
    static void ShowCommandFailure(const CommandFailure& failure);
    // The first command of a user action on a lost link: "Reconnect now?".
    bool OfferReconnect();
    // A reconnect that failed, with the library's text.
    static void ShowReconnectFailure(const QString& failure);

    GeneratorLink m_link;
    GeneratorNameCaches m_caches;
    QWidget* m_owner = nullptr;
    IsaMemoryMap m_isaMap;
    double m_firmwareVersion = 0.0;
    bool m_extendedLists = false;
    bool m_fontsSupported = false;
    bool m_pixelMapsSupported = false;
    bool m_firmwareDead = false; // a failed ISA flash left nothing that starts
    QList<KnobListLink*> m_knobLists;
    // While a YMODEM transfer runs: its progress dialog and what ended it.
    CProgressDlg* m_ymodemProgress = nullptr;
    bool m_ymodemCancelled = false; // the user's Cancel was seen during a wait
    bool m_ymodemPutFailed = false;
    bool m_ymodemFlushTrace = false; // the sender flushes the trace after every write
    int m_ymodemLength = 0;         // of the block last read
    struct LinkListener {
        QPointer<QObject> context;
        std::function<void(bool lost)> listener;
    };
    QList<LinkListener> m_linkListeners;
    QString m_modelName;
    bool m_openFailureTold = false; // the last OpenPort's failure was shown or cancelled
    bool m_reconnecting = false; // listeners hear the end of a reconnect only
    int m_reconnectRate = 0; // the serial rate the port had before it was lost
    QString m_reconnectModel;
    QString m_reconnectVersion;
    QString m_reconnectSerial;
};

// The generator the user addressed last, null when none. A global: the
// program has one current generator, which the format editor's check and
// the image preview act on. It is read here and changed only by
// CGenerator::MakeCurrent (CGeneratorView::SetCurrentGenerator); a
// generator that goes is current no longer.
extern CGenerator* const& g_pCurrentGenerator;

// When a caller has opened a file here, YMODEM transfers write a text trace
// of every byte event into it. The caller closes it. A global: the program
// has one trace stream, which the archive tool that runs a transfer opens
// ("extract.data", "restore.dat") and only one transfer runs at a time.
extern FILE* g_pYmodemTrace;
