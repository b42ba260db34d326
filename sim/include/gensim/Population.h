// A generator filled with many user items, for scans, sorting and
// benchmarks: formats with a spread of timings (many sharing their rates),
// images, sequences, knob lists, fonts and pixel maps.
#pragma once

#include "gensim/Store.h"

#include <string>
#include <vector>

namespace gensim {

class Generator;

struct Population {
    int formats = 0;
    int images = 0;
    int sequences = 0;
    int directories = 0;  // knob lists stepping through the formats added
    int fonts = 0;
    int pixelMaps = 0;
};

// The name of the item a population adds as number n (from 0): "U", the
// kind letter and four digits ("UF0012" the thirteenth format).
std::string populationName(char kind, int number);
// The format a population adds as number n; its timing repeats every few
// formats, so rates are equal across many of them.
StoredItem populationFormat(int number);

// Adds the items to the generator's stores, beside its built-in ones.
void populate(Generator& generator, const Population& population);

}  // namespace gensim
