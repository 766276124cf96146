#include <QApplication>
#include <QStringList>
#include <QTest>
#include <cstring>
#include <iostream>

#include "WidgetTests.h"

// Usage: morvane_widget_tests [TestClass] [Qt Test options...]
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const char* only = (argc > 1 && argv[1][0] != '-') ? argv[1] : nullptr;
    // Qt Test sees the program name and the options after the class name.
    std::vector<char*> args{argv[0]};
    for (int i = only ? 2 : 1; i < argc; ++i) args.push_back(argv[i]);
    int failures = 0;
    bool found = false;
    for (const auto& entry : WidgetTestRegistry()) {
        if (only && entry.name != only) continue;
        found = true;
        const auto test = entry.make();
        failures += QTest::qExec(test.get(), static_cast<int>(args.size()), args.data());
    }
    if (!found) {
        std::cerr << "no test class named " << (only ? only : "") << '\n';
        return 2;
    }
    return failures == 0 ? 0 : 1;
}
