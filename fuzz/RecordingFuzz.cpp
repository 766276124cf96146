// The recording reader on any file content: a clear error or the samples it
// holds, never a crash or a hang. The file lives in memory (memfd).
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "recording/RecordingReader.h"
#include "dsp/SampleFormat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace morvane;
    const int fd = memfd_create("morvane-fuzz", MFD_CLOEXEC);
    if (fd < 0) return 0;
    if (size > 0 && write(fd, data, size) != static_cast<ssize_t>(size)) {
        close(fd);
        return 0;
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);
    try {
        RecordingReader reader(path, 1);
        std::vector<std::int16_t> block(32768);
        // A header may announce hours; a few seconds tell whether reading works.
        std::size_t total = 0;
        for (std::size_t n; total < std::size_t{kSampleRate} * 4 && (n = reader.Read(block.data(), block.size())) > 0;) total += n;
    } catch (const std::runtime_error&) {
    }
    close(fd);
    return 0;
}
