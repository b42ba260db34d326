// The built library exports exactly the names of its export table.
#include <gtest/gtest.h>

#include <cstdio>
#include <dlfcn.h>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace {

std::set<std::string> TableNames()
{
    std::ifstream table(MORVANE_EXPORT_TABLE);
    std::set<std::string> names;
    std::string line;
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        int ordinal = 0;
        std::string name;
        if (line.empty() || line[0] == '#' || !(fields >> ordinal >> name))
            continue;
        names.insert(name);
    }
    return names;
}

// Defined dynamic symbols as nm lists them, without version suffixes and
// without the version node itself (an absolute symbol).
std::set<std::string> ExportedNames()
{
    std::string command = std::string(MORVANE_NM) + " -D --defined-only " + MORVANE_LIBRARY;
    std::set<std::string> names;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::istringstream fields(line);
        std::string address, type, name;
        if (!(fields >> address >> type >> name) || type == "A")
            continue;
        names.insert(name.substr(0, name.find('@')));
    }
    pclose(pipe);
    return names;
}

TEST(Exports, EveryNameOfTheTableResolves)
{
    std::set<std::string> table = TableNames();
    ASSERT_EQ(table.size(), 67u);  // ordinals 1-19, 50-63, 67, 70-87, 100-114
    void* library = dlopen(MORVANE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    for (const std::string& name : table)
        EXPECT_NE(dlsym(library, name.c_str()), nullptr) << name;
    EXPECT_EQ(dlsym(library, "_ZN7morvane13LastPortErrorE"), nullptr);
    dlclose(library);
}

TEST(Exports, NothingElseLeavesTheLibrary)
{
    std::set<std::string> exported = ExportedNames();
    ASSERT_FALSE(exported.empty());
    EXPECT_EQ(exported, TableNames());
}

}  // namespace
