#include "recording/RecordingFormats.h"

#include <sndfile.h>

#include <algorithm>
#include <cctype>

namespace morvane {

std::vector<std::string> RecordingExtensions() {
    std::vector<std::string> extensions;
    auto add = [&](std::string extension) {
        std::transform(extension.begin(), extension.end(), extension.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        if (!extension.empty() && std::find(extensions.begin(), extensions.end(), extension) == extensions.end())
            extensions.push_back(std::move(extension));
    };
    int count = 0;
    sf_command(nullptr, SFC_GET_FORMAT_MAJOR_COUNT, &count, sizeof count);
    for (int i = 0; i < count; ++i) {
        SF_FORMAT_INFO info{};
        info.format = i;
        if (sf_command(nullptr, SFC_GET_FORMAT_MAJOR, &info, sizeof info) == 0 && info.extension)
            add(info.extension);
    }
    // Other names in common use for formats the library lists.
    const auto listed = [&](const char* extension) {
        return std::find(extensions.begin(), extensions.end(), extension) != extensions.end();
    };
    if (listed("aiff")) add("aif");
    if (listed("oga")) {
        add("ogg");
        add("opus");
    }
    return extensions;
}

}  // namespace morvane
