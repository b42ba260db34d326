// The built library exports exactly the names of its export table.
#include <gtest/gtest.h>

#include <cstdio>
#include <dlfcn.h>
#include <fstream>
#include <set>
#include <sstream>
#include <regex>
#include <string>
#include <vector>

namespace {

struct Export {
    int ordinal;
    std::string name;
};

// The port table's rows ("ordinal name") and the direct-call table's
// ("DCI(ordinal, name, ..." and "DCI_HOST(ordinal, name, ...").
std::vector<Export> TableRows()
{
    std::vector<Export> rows;
    std::string line;
    std::ifstream ports(MORVANE_EXPORT_TABLE);
    while (std::getline(ports, line)) {
        std::istringstream fields(line);
        Export row{0, {}};
        if (!line.empty() && line[0] != '#' && fields >> row.ordinal >> row.name)
            rows.push_back(row);
    }
    std::ifstream calls(MORVANE_DCI_TABLE);
    const std::regex dciRow(R"(^DCI(_HOST|_STAGED)?\(([0-9]+), ([A-Za-z0-9_]+),)");
    while (std::getline(calls, line)) {
        std::smatch match;
        if (std::regex_search(line, match, dciRow))
            rows.push_back({std::stoi(match[2]), match[3]});
    }
    return rows;
}

std::set<std::string> TableNames()
{
    std::set<std::string> names;
    for (const Export& row : TableRows())
        names.insert(row.name);
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
    // Port exports: 1-19, 50-63, 65-69 but 67's neighbours 64 (a direct call),
    // 70-87, 100-114; direct calls: 64 and the rows built so far.
    ASSERT_EQ(table.size(), 71u + 205u);
    void* library = dlopen(MORVANE_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    for (const std::string& name : table)
        EXPECT_NE(dlsym(library, name.c_str()), nullptr) << name;
    EXPECT_EQ(dlsym(library, "_ZN7morvane13LastPortErrorE"), nullptr);
    dlclose(library);
}

TEST(Exports, EachOrdinalAndNameIsWrittenOnce)
{
    std::set<int> ordinals;
    std::set<std::string> names;
    for (const Export& row : TableRows()) {
        EXPECT_TRUE(ordinals.insert(row.ordinal).second) << row.ordinal;
        EXPECT_TRUE(names.insert(row.name).second) << row.name;
    }
}

TEST(Exports, NothingElseLeavesTheLibrary)
{
    std::set<std::string> exported = ExportedNames();
    ASSERT_FALSE(exported.empty());
    EXPECT_EQ(exported, TableNames());
}

}  // namespace
