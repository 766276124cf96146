#pragma once
#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Each test file registers its Qt Test class here; main() runs one class or all.
struct WidgetTestEntry {
    std::string name;
    std::function<std::unique_ptr<QObject>()> make;
};

inline std::vector<WidgetTestEntry>& WidgetTestRegistry() {
    static std::vector<WidgetTestEntry> entries;
    return entries;
}

struct WidgetTestRegistration {
    WidgetTestRegistration(std::string name, std::function<std::unique_ptr<QObject>()> make) {
        WidgetTestRegistry().push_back({std::move(name), std::move(make)});
    }
};

#define MORVANE_WIDGET_TEST(Class) \
    static const WidgetTestRegistration Class##Registration(#Class, [] { return std::make_unique<Class>(); })
