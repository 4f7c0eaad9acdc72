// The main() of every test executable: runs the one registered class named
// by the first argument (or the only one), passing the rest to Qt Test.
#include "support/test_main.h"

#include <cstdio>
#include <map>
#include <string>

namespace tavlo_test {
namespace {

std::map<std::string, RunTest>& table() {
    static std::map<std::string, RunTest> tests;
    return tests;
}

}  // namespace

Registration::Registration(const char* name, RunTest run) { table().emplace(name, run); }

}  // namespace tavlo_test

int main(int argc, char* argv[]) {
    const auto& tests = tavlo_test::table();
    if (argc >= 2) {
        auto found = tests.find(argv[1]);
        if (found != tests.end()) {
            // The class name is ours, not Qt Test's: drop it from the arguments.
            for (int i = 1; i + 1 < argc; ++i) argv[i] = argv[i + 1];
            argv[argc - 1] = nullptr;
            return found->second(argc - 1, argv);
        }
    }
    if (tests.size() == 1) return tests.begin()->second(argc, argv);
    std::fprintf(stderr, "usage: %s CLASS [Qt Test options]\nclasses:", argv[0]);
    for (const auto& [name, run] : tests) std::fprintf(stderr, " %s", name.c_str());
    std::fprintf(stderr, "\n");
    return 2;
}
