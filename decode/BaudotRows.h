#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace morvane {

/// The rows of a bit string, cut as DecodeBaudot cuts them, kept for decoding
/// many times under different ignore counts (the variations report). Points
/// into the text it was built from, which must outlive it.
class BaudotRows {
public:
    explicit BaudotRows(std::string_view bits);

    /// The same text as DecodeBaudot(bits, ignore) gives, or, with `invert`,
    /// as DecodeBaudot gives for the bits after InvertBits. Replaces `output`.
    void Decode(std::int32_t ignore, bool invert, std::string& output) const;

    std::size_t Count() const { return m_rows.size(); }

private:
    struct Row {
        const char* data;
        std::size_t length;
        std::uint8_t whole;  // the group when nothing is skipped
    };
    std::vector<Row> m_rows;
};

}  // namespace morvane
