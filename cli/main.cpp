// morvane-cli: the command-line face of Morvane. Every command lives in its
// own file pair and registers itself through one Add...Command call below.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <exception>
#include <new>

#include "cli/CliError.h"
#include "cli/CliSignals.h"
#include "cli/AlignCommand.h"
#include "cli/BitsCommand.h"
#include "cli/LevelsCommand.h"
#include "cli/RasterCommand.h"
#include "cli/SpectrumCommand.h"
#include "cli/SynthCommand.h"
#include "cli/ChannelCommand.h"
#include "cli/DecodeCommand.h"
#include "cli/ReportCommand.h"

int main(int argc, char** argv) {
    using namespace morvane::cli;
    // Ctrl-C and SIGTERM: handled here for the whole run (see CliSignals).
    const CliSignals signals;
    CLI::App app{"Looks at and decodes two-tone FSK (radioteletype) recordings.", "morvane-cli"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "morvane-cli 1.3");

    AddLevelsCommand(app);
    AddSpectrumCommand(app);
    AddRasterCommand(app);
    AddSynthCommand(app);
    AddChannelCommand(app);
    AddBitsCommand(app);
    AddDecodeCommand(app);
    AddReportCommand(app);
    AddAlignCommand(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help and --version end with status 0; every usage error with 2.
        return app.exit(e) == 0 ? 0 : 2;
    } catch (const CliError& e) {
        std::fprintf(stderr, "morvane-cli: %s\n", e.what());
        return e.ExitCode();
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "morvane-cli: out of memory\n");
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "morvane-cli: %s\n", e.what());
        return 1;
    }
    return 0;
}
