// The newer firmware images `gensim --demo` writes beside its env file: one
// folder per family, each image taken by the generators it names and newer
// than their firmware with the same thousandths digit (the tool's rule for
// a suitable row); the ISA card's in the flash parts' layout.
#include "gensim/DemoPreset.h"
#include "gensim/FirmwareImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

namespace gensim::test {
namespace {

namespace fs = std::filesystem;

firmware::Image ReadImage(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return firmware::Image(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

long Thousandths(double version)
{
    return std::llround(version * 1000) % 10;
}

TEST(DemoFirmware, EachFamilysImageSuitsTheGeneratorsItNames)
{
    char pattern[] = "/tmp/zot-demo-firmware-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path dir = pattern;
    const std::string lines = writeDemoFirmware(dir.string());

    const struct {
        const char* folder;
        std::size_t size;  // 0: the header layout, any size
        double version;
        std::vector<std::string> firmware;  // of the demo generators it suits
    } families[] = {
        {"serial-7.051", 0, 7.051, {"7.041"}},
        {"gpib-7.021", 0, 7.021, {"7.011"}},
        {"pci-7.055", 0, 7.055, {"7.045"}},
        {"isa-3.06", firmware::kIsaImageBytes, 3.06, {"3.05"}},
    };
    for (const auto& f : families) {
        SCOPED_TRACE(f.folder);
        const fs::path path = dir / f.folder / "Firmware.bin";
        EXPECT_NE(lines.find(path.string() + "\n"), std::string::npos) << lines;
        const firmware::Image image = ReadImage(path);
        if (f.size != 0) {
            EXPECT_EQ(image.size(), f.size);
        }
        const firmware::Verdict verdict = firmware::check(image);
        ASSERT_TRUE(verdict.accepted) << verdict.why;
        ASSERT_TRUE(verdict.version.has_value());
        EXPECT_NEAR(*verdict.version, f.version, 1e-9);
        for (const std::string& own : f.firmware) {
            const double ownVersion = std::stod(own);
            EXPECT_GT(f.version, ownVersion);
            EXPECT_EQ(Thousandths(f.version), Thousandths(ownVersion)) << own;
            EXPECT_EQ(f.version >= 7.0, ownVersion >= 7.0) << own;
        }
    }
    // Every generator of the set at such a firmware has its image.
    for (const GeneratorOptions& g : demoGenerators(std::nullopt)) {
        const bool named = std::any_of(std::begin(families), std::end(families), [&](const auto& f) {
            return std::find(f.firmware.begin(), f.firmware.end(), g.firmware) != f.firmware.end();
        });
        if (g.firmware != "2.453") {  // the archive tools' old generator keeps its firmware
            EXPECT_TRUE(named) << g.serial << " at " << g.firmware;
        }
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace gensim::test
