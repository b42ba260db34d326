#include "gensim/Population.h"

#include "gensim/Generator.h"
#include "gensim/ImageBuffer.h"

#include <cstdio>
#include <iterator>

namespace gensim {

namespace {

struct Timing {
    const char* hres;
    const char* vres;
    const char* htot;
    const char* vtot;
    const char* hrat;
    const char* scan;
    const char* ssst;
    const char* avst;  // 0: digital, DVST below
    const char* dvst;
};

// A handful of timings, some sharing their line rate and some their
// field rate, so that sorting meets many equal keys.
const Timing kTimings[] = {
    {"640", "480", "800", "525", "31469", "1", "7", "1", "0"},
    {"800", "600", "1056", "628", "37879", "1", "7", "1", "0"},
    {"1024", "768", "1344", "806", "48363", "1", "2", "2", "0"},
    {"720", "480", "858", "525", "15734.264", "2", "1", "3", "0"},
    {"1280", "1024", "1688", "1066", "63981", "1", "11", "0", "2"},
    {"1920", "1080", "2200", "1125", "33750", "2", "5", "0", "9"},
    {"1280", "720", "1650", "750", "45000", "1", "7", "0", "5"},
    {"640", "350", "800", "449", "31469", "1", "3", "1", "0"},
};

}  // namespace

std::string populationName(char kind, int number)
{
    char name[16];
    std::snprintf(name, sizeof name, "U%c%04d", kind, number % 10000);
    return name;
}

StoredItem populationFormat(int number)
{
    const Timing& t = kTimings[static_cast<std::size_t>(number) % std::size(kTimings)];
    StoredItem item{populationName('F', number), true};
    item.fields = {{"HRES", t.hres}, {"VRES", t.vres}, {"HTOT", t.htot}, {"VTOT", t.vtot},
                   {"HRAT", t.hrat}, {"SCAN", t.scan}, {"SSST", t.ssst}, {"AVST", t.avst},
                   {"DVST", t.dvst}, {"NAME", item.name}};
    return item;
}

void populate(Generator& generator, const Population& population)
{
    for (int i = 0; i < population.formats; ++i)
        generator.seed(ItemKind::Format, populationFormat(i));
    for (int i = 0; i < population.images; ++i)
        generator.seed(ItemKind::Image, sampleImage(populationName('I', i), true, i));
    for (int i = 0; i < population.sequences; ++i)
        generator.seed(ItemKind::Sequence, {populationName('S', i), true});
    for (int i = 0; i < population.fonts; ++i)
        generator.seed(ItemKind::Font, {populationName('T', i), true});
    for (int i = 0; i < population.pixelMaps; ++i)
        generator.seed(ItemKind::PixelMap, samplePixelMap(populationName('M', i), true, 16, 16, 4, i));
    for (int i = 0; i < population.directories; ++i) {
        StoredItem dir{populationName('K', i), true};
        for (int f = 0; f < population.formats && f < 3; ++f)
            dir.entries.push_back(populationName('F', (i + f) % population.formats));
        generator.seed(ItemKind::Directory, std::move(dir));
    }
}

}  // namespace gensim
