// C programs that know only morvane.h bind an ISA and a PCI card of the
// simulator for direct calls: one fills a rectangle on each and reads it
// back, one draws a scene on each and saves the screens.
#include "DriverSocketPath.h"
#include "gensim/CardDrawing.h"
#include "gensim/Simulator.h"
#include "morvane.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Runs the program with args; what it printed, and whether it exited 0.
std::string RunProgram(const char* program, std::vector<std::string> args, bool& succeeded)
{
    int out[2];
    EXPECT_EQ(pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<char*> argv{const_cast<char*>(program)};
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, program, &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string printed;
    char chunk[256];
    for (ssize_t n; (n = read(out[0], chunk, sizeof chunk)) > 0;)
        printed.append(chunk, static_cast<std::size_t>(n));
    close(out[0]);
    int status = 0;
    EXPECT_EQ(waitpid(pid, &status, 0), pid);
    succeeded = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return printed;
}

// The simulator with an ISA card isa0 and a PCI card pci1.
void StartCards(gensim::Simulator& sim, const std::string& socket)
{
    sim.openDriver(socket);
    sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "1", .link = "", .pty = false, .isaSlot = 0});
    sim.addGenerator({.model = "VG-7000", .firmware = "7.011", .serial = "2", .link = "", .pty = false,
                      .pciCard = true});
    sim.start();
}

TEST(DciProgramTest, FillsARectangleOnEachCardAndReadsItBack)
{
    gensim::test::DriverSocketPath socket;
    gensim::Simulator sim;
    StartCards(sim, socket.path());
    bool succeeded = false;
    const std::string printed = RunProgram(DCI_FILL_RECT, {"isa0", "pci1"}, succeeded);
    EXPECT_TRUE(succeeded) << printed;
    // White is the simulator's colour 20: the pixel byte 20.
    EXPECT_EQ(printed, "isa0: width 640 height 480 black 0x01010101\n"
                       "isa0: pixel 20 beside 0 white 20\n"
                       "pci1: width 640 height 480 black 0x01010101\n"
                       "pci1: pixel 20 beside 0 white 20\n");
}

// A binary PGM with maxval 255: a byte per pixel.
struct ProgramPgm {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;
    int at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)]; }
};

std::optional<ProgramPgm> ReadProgramPgm(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::string magic;
    ProgramPgm pgm;
    int maxval = 0;
    if (!(file >> magic >> pgm.width >> pgm.height >> maxval) || magic != "P5" || maxval != 255 || pgm.width < 1
        || pgm.height < 1 || file.get() != '\n')
        return std::nullopt;
    pgm.pixels.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (pgm.pixels.size() != static_cast<std::size_t>(pgm.width) * static_cast<std::size_t>(pgm.height))
        return std::nullopt;
    return pgm;
}

constexpr std::string_view kSceneText = "Morvane direct calls";
constexpr int kSceneTextX = 40;
constexpr int kSceneTextY = 180;

int SceneByte(int colour)
{
    return static_cast<int>(gensim::drawing::tableColour(colour, std::nullopt) & 0xFF);
}

const gensim::drawing::Font& SceneFont()
{
    return gensim::drawing::builtInFont(gensim::drawing::builtInFontSlot("BIG30"));
}

// What dci_scene draws, from the cards' drawing rules: on a cleared screen a
// white filled rectangle, a yellow outline, a cyan oval, green text in BIG30
// (opaque over colour 0) and CHECKER8 in magenta on blue.
std::vector<uint8_t> ExpectedScene(int width, int height)
{
    namespace drawing = gensim::drawing;
    std::vector<uint8_t> screen(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    auto put = [&](int x, int y, int byte) {
        if (x >= 0 && y >= 0 && x < width && y < height)
            screen[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)]
                = static_cast<uint8_t>(byte);
    };
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 160; ++x) {
            put(40 + x, 40 + y, SceneByte(RCC_WHITE));
            if (x == 0 || y == 0 || x == 159 || y == 99)
                put(240 + x, 40 + y, SceneByte(RCC_YELLOW));
            if (drawing::insideEllipse(160, 100, x, y))
                put(440 + x, 40 + y, SceneByte(RCC_CYAN));
        }
    const drawing::Font& font = SceneFont();
    int64_t pen = kSceneTextX;
    for (char ch : kSceneText) {
        const auto code = static_cast<unsigned char>(ch);
        if (const drawing::Glyph* g = drawing::glyph(font, code))
            for (int row = 0; row < font.height; ++row)
                for (int col = 0; col < g->width; ++col)
                    put(static_cast<int>(pen) + col, kSceneTextY + row, g->ink(col, row) ? SceneByte(RCC_GREEN) : 0);
        pen += drawing::advance(font, code, {});
    }
    const drawing::Pattern& checker = drawing::namedPattern(drawing::patternSlot("CHECKER8"));
    for (int y = 240; y < 440; ++y)
        for (int x = 40; x < 600; ++x)
            put(x, y, drawing::patternBit(checker, x, y) ? SceneByte(RCC_MAGENTA) : SceneByte(RCC_BLUE));
    return screen;
}

// "" when the screens match, else how many pixels differ and the first.
std::string SceneDifference(const ProgramPgm& got, const std::vector<uint8_t>& want)
{
    std::size_t count = 0;
    std::string first;
    for (std::size_t i = 0; i < want.size(); ++i)
        if (got.pixels[i] != want[i] && count++ == 0)
            first = "(" + std::to_string(i % std::size_t(got.width)) + ", " + std::to_string(i / std::size_t(got.width))
                    + ") is " + std::to_string(got.pixels[i]) + ", not " + std::to_string(want[i]);
    return count == 0 ? std::string() : std::to_string(count) + " pixels differ, first " + first;
}

// A folder of the test's own, gone afterwards.
struct SceneFolder {
    SceneFolder()
    {
        char pattern[] = "/tmp/zot-dci-scene-XXXXXX";
        if (mkdtemp(pattern) != nullptr)
            path = pattern;
    }
    ~SceneFolder()
    {
        std::error_code ignored;
        if (!path.empty())
            std::filesystem::remove_all(path, ignored);
    }
    SceneFolder(const SceneFolder&) = delete;
    SceneFolder& operator=(const SceneFolder&) = delete;
    std::filesystem::path path;
};

TEST(DciProgramTest, DrawsTheSameSceneOnEachCardAndSavesTheScreens)
{
    gensim::test::DriverSocketPath socket;
    gensim::Simulator sim;
    StartCards(sim, socket.path());
    SceneFolder folder;
    ASSERT_FALSE(folder.path.empty());
    bool succeeded = false;
    const std::string printed = RunProgram(DCI_SCENE, {folder.path.string(), "isa0", "pci1"}, succeeded);
    ASSERT_TRUE(succeeded) << printed;
    const std::optional<ProgramPgm> isa = ReadProgramPgm(folder.path / "isa0.pgm");
    const std::optional<ProgramPgm> pci = ReadProgramPgm(folder.path / "pci1.pgm");
    ASSERT_TRUE(isa && pci) << printed;
    if (const char* shots = std::getenv("ZOT_SCREENSHOT_DIR"); shots != nullptr && *shots != '\0') {
        std::filesystem::create_directories(shots);
        const auto overwrite = std::filesystem::copy_options::overwrite_existing;
        std::filesystem::copy_file(folder.path / "isa0.pgm", std::filesystem::path(shots) / "dci_scene_isa0.pgm", overwrite);
        std::filesystem::copy_file(folder.path / "pci1.pgm", std::filesystem::path(shots) / "dci_scene_pci1.pgm", overwrite);
    }
    ASSERT_EQ(isa->width, 640);
    ASSERT_EQ(isa->height, 480);
    ASSERT_EQ(pci->width, 640);
    ASSERT_EQ(pci->height, 480);
    EXPECT_EQ(SceneDifference(*pci, isa->pixels), "");

    const gensim::drawing::Pattern& checker = gensim::drawing::namedPattern(gensim::drawing::patternSlot("CHECKER8"));
    const struct {
        int x, y, byte;
        const char* what;
    } points[] = {
        {100, 90, SceneByte(RCC_WHITE), "inside the filled rectangle"},
        {39, 90, 0, "left of the filled rectangle"},
        {200, 139, 0, "right of the filled rectangle"},
        {240, 90, SceneByte(RCC_YELLOW), "the outline's left edge"},
        {320, 90, 0, "inside the outline"},
        {520, 90, SceneByte(RCC_CYAN), "the oval's centre"},
        {440, 40, 0, "the oval's box corner"},
        {47, 240, gensim::drawing::patternBit(checker, 47, 240) ? SceneByte(RCC_MAGENTA) : SceneByte(RCC_BLUE),
         "a pattern bit"},
        {48, 240, gensim::drawing::patternBit(checker, 48, 240) ? SceneByte(RCC_MAGENTA) : SceneByte(RCC_BLUE),
         "the next pattern square"},
    };
    for (const auto& p : points) {
        EXPECT_EQ(isa->at(p.x, p.y), p.byte) << p.what;
        EXPECT_EQ(pci->at(p.x, p.y), p.byte) << p.what;
    }
    EXPECT_NE(SceneByte(RCC_MAGENTA), SceneByte(RCC_BLUE));
    EXPECT_NE(isa->at(47, 240), isa->at(48, 240)) << "the pattern's squares alternate";

    // The text's cells hold ink, and nothing green lies outside them.
    const int textWidth = gensim::drawing::textWidth(SceneFont(), kSceneText, {});
    ASSERT_GT(textWidth, 0);
    int ink = 0;
    for (int y = 0; y < isa->height; ++y)
        for (int x = 0; x < isa->width; ++x)
            if (isa->at(x, y) == SceneByte(RCC_GREEN)) {
                ++ink;
                EXPECT_TRUE(x >= kSceneTextX && x < kSceneTextX + textWidth && y >= kSceneTextY
                            && y < kSceneTextY + SceneFont().height)
                    << x << "," << y;
            }
    EXPECT_GT(ink, 100);

    EXPECT_EQ(SceneDifference(*isa, ExpectedScene(isa->width, isa->height)), "");
}

// A screen that cannot be saved, or a port that does not answer, ends the
// program with a failure, never a success with a missing file.
TEST(DciProgramTest, TheSceneProgramFailsWhenAScreenIsNotSaved)
{
    gensim::test::DriverSocketPath socket;
    gensim::Simulator sim;
    StartCards(sim, socket.path());
    SceneFolder folder;
    ASSERT_FALSE(folder.path.empty());
    const struct {
        std::filesystem::path folder;
        const char* port;
        const char* file;
    } cases[] = {
        {folder.path / "missing", "pci1", "missing/pci1.pgm"},
        {folder.path, "isa1", "isa1.pgm"},
    };
    for (const auto& c : cases) {
        bool succeeded = true;
        const std::string printed = RunProgram(DCI_SCENE, {c.folder.string(), c.port}, succeeded);
        EXPECT_FALSE(succeeded) << c.port << ": " << printed;
        EXPECT_FALSE(std::filesystem::exists(folder.path / c.file)) << c.port;
    }
}

}  // namespace
