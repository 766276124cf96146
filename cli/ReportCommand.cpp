#include "cli/ReportCommand.h"

#include <spawn.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#include "cli/BitsCommand.h"
#include "cli/CliError.h"
#include "cli/SharedRules.h"
#include "cli/SoftOptions.h"
#include "report/VariationsReport.h"

extern char** environ;

namespace morvane::cli {

namespace {

struct ReportOptions {
    LevelSourceOptions source;
    RasterOptions raster;
    SoftOptions soft;
    std::string output;
    bool open = false;
};

std::filesystem::path DefaultReportPath() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) throw CliError(1, "Cannot create output file: the program's own folder is unknown (" + error.message() + ")");
    return ReportPathBeside(self);
}

/// Hands the page to the desktop's default handler; does not wait for it.
void OpenWithDesktop(const std::filesystem::path& page) {
    std::string program = "xdg-open";
    std::string argument = page.string();
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t child = 0;
    const int error = posix_spawnp(&child, program.c_str(), nullptr, nullptr, argv, environ);
    if (error != 0) std::fprintf(stderr, "morvane-cli: cannot start xdg-open: %s\n", std::strerror(error));
}

}  // namespace

void AddReportCommand(CLI::App& app) {
    auto options = std::make_shared<ReportOptions>();
    CLI::App* command = app.add_subcommand(
        "report", "Write the HTML page (UTF-16LE) of every decoding variant: every count of ignored leading bits "
                  "up to the first row's length - 6, each without and with bit inversion and row reversal. "
                  "Prints the page's path. Exit status 1 when there are no bits or the file cannot be written");
    AddLevelSourceOptions(command, options->source);
    AddRasterOptions(command, options->raster);
    AddSoftOptions(command, options->soft);
    AddOutputOption(command, options->output, "Write the page to FILE (default: results.html beside this program)");
    command->add_flag("--open", options->open, "Open the page with the desktop's default handler (xdg-open)");
    command->callback([options] {
        const std::string bits = RecordingBits(options->source, options->raster, options->soft);
        const std::filesystem::path path = options->output.empty() ? DefaultReportPath() : std::filesystem::path(options->output);
        switch (WriteVariationsReport(bits, path)) {
            case ReportOutcome::NoRows:
                throw CliError(1, "no bits to report: the raster holds no row; nothing written");
            case ReportOutcome::CannotCreate:
                throw CliError(1, "Cannot create output file: '" + path.string() + "'");
            case ReportOutcome::Written:
                break;
        }
        std::printf("%s\n", path.c_str());
        if (std::fflush(stdout) != 0) throw CannotWrite("standard output", std::strerror(errno));
        if (options->open) OpenWithDesktop(path);
    });
}

}  // namespace morvane::cli
