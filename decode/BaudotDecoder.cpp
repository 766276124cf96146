#include "decode/BaudotDecoder.h"

#include <algorithm>
#include <cstring>

namespace morvane {

void DecodeBaudot(const std::string& input, std::int32_t ignore, std::string& output) {
    // Work on a copy when the caller decodes a text into itself.
    const std::string copy = &input == &output ? input : std::string();
    const std::string_view text = &input == &output ? std::string_view(copy) : std::string_view(input);
    // Every row appends at most two characters, and rows end at line feeds.
    output.assign(2 * (static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1), '\0');
    char* out = output.data();
    bool figures = false;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        const char* stop = lf ? static_cast<const char*>(lf) : end;
        // Runs of line feeds give empty pieces, which are no rows.
        if (stop > p)
            out = ApplyBaudotGroup(BaudotGroupOfRow({p, static_cast<std::size_t>(stop - p)}, ignore), figures, out);
        p = stop + 1;
    }
    output.resize(static_cast<std::size_t>(out - output.data()));
}

}  // namespace morvane
