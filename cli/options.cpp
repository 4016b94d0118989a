#include "cli/options.h"

#include <QCommandLineParser>

#include "cli/exit_codes.h"
#include "cli/texts.h"

namespace veloris::cli {

namespace {

struct CommandName {
    const char* name;
    Command command;
    bool takesFile;
};

constexpr std::array<CommandName, 6> kCommands{{
    {"ports", Command::Ports, false},
    {"read", Command::Read, false},
    {"write", Command::Write, false},
    {"backup", Command::Backup, true},
    {"restore", Command::Restore, true},
    {"verify", Command::Verify, true},
}};

QString Description() {
    return Cli::tr("Reads and writes the four drive parameters of a VELORIS telescope control "
                   "board over its serial line (9600 baud, 8N1).\n"
                   "\n"
                   "Commands:\n"
                   "  ports            list COM1 to COM4 and every serial device present\n"
                   "  read             read the four parameters\n"
                   "  write            write the parameters named by --sidereal, --guiding,\n"
                   "                   --centring and --tempo, then read them back\n"
                   "  backup FILE      save the four parameters in a JSON file\n"
                   "  restore FILE     write back the values of a backup file that differ\n"
                   "                   on the board, then read them back\n"
                   "  verify FILE      compare the board with a backup file\n"
                   "\n"
                   "Exit codes:\n"
                   "  0  done\n"
                   "  1  the board did not confirm, a read-back differs, a read was\n"
                   "     incomplete, or a signal stopped the run\n"
                   "  2  usage, value or file refused; nothing was opened\n"
                   "  3  the port cannot be opened (absent, busy, permission, console)\n"
                   "  4  the line was lost during the exchange");
}

EarlyExit Refusal(const QString& text) {
    return {ToStatus(ExitCode::Refused),
            text + u'\n' + Cli::tr("Try \"veloris-cli --help\" for more information."), true};
}

} // namespace

std::variant<Options, EarlyExit> ParseOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(Description());
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  Cli::tr("Show this help and exit."));
    const QCommandLineOption version(QStringLiteral("version"),
                                     Cli::tr("Show the version and exit."));
    const QCommandLineOption port(
        {QStringLiteral("p"), QStringLiteral("port")},
        Cli::tr("COM1 to COM4 (as in the window) or a device path, /dev/serial/by-id names "
                "included. Default: COM1."),
        Cli::tr("port"), QStringLiteral("COM1"));
    const QCommandLineOption json(QStringLiteral("json"),
                                  Cli::tr("Machine-readable output (JSON) on stdout."));
    const QCommandLineOption verbose(
        {QStringLiteral("v"), QStringLiteral("verbose")},
        Cli::tr("Print the exchange with the board (\">06<06>04...\") on stderr as it happens."));
    const QCommandLineOption quiet({QStringLiteral("q"), QStringLiteral("quiet")},
                                   Cli::tr("Print nothing but errors."));
    std::array<QCommandLineOption, kSlotCount> values{{
        {QStringLiteral("sidereal"), Cli::tr("write: the sidereal tracking speed, 0 to 65535."),
         QStringLiteral("N")},
        {QStringLiteral("guiding"), Cli::tr("write: the slow speed for guiding, 0 to 65535."),
         QStringLiteral("N")},
        {QStringLiteral("centring"),
         Cli::tr("write: the slow speed of the hand paddle, 0 to 65535."), QStringLiteral("N")},
        {QStringLiteral("tempo"),
         Cli::tr("write: the delay before the hand paddle goes fast, 0 to 65535."),
         QStringLiteral("N")},
    }};
    const QCommandLineOption noVerify(QStringLiteral("no-verify"),
                                      Cli::tr("write, restore: do not read the values back."));
    const QCommandLineOption force(QStringLiteral("force"),
                                   Cli::tr("backup: replace an existing file."));
    const QCommandLineOption dryRun(QStringLiteral("dry-run"),
                                    Cli::tr("restore: show the differences, write nothing."));
    parser.addOptions({help, version, port, json, verbose, quiet});
    for (const auto& value : values) {
        parser.addOption(value);
    }
    parser.addOptions({noVerify, force, dryRun});
    parser.addPositionalArgument(QStringLiteral("command"),
                                 Cli::tr("ports, read, write, backup, restore or verify."));
    parser.addPositionalArgument(QStringLiteral("file"),
                                 Cli::tr("backup, restore, verify: the file."), Cli::tr("[FILE]"));

    if (!parser.parse(arguments)) {
        return Refusal(parser.errorText());
    }
    if (parser.isSet(help)) {
        return EarlyExit{0, parser.helpText(), false};
    }
    if (parser.isSet(version)) {
        return EarlyExit{0,
                         QCoreApplication::applicationName() + u' ' +
                             QCoreApplication::applicationVersion() + u'\n',
                         false};
    }

    const QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        return Refusal(Cli::tr("No command given."));
    }
    const auto named = std::find_if(kCommands.begin(), kCommands.end(), [&](const auto& c) {
        return positional.front() == QLatin1String(c.name);
    });
    if (named == kCommands.end()) {
        return Refusal(Cli::tr("Unknown command \"%1\".").arg(positional.front()));
    }
    Options options;
    options.command = named->command;
    if (named->takesFile) {
        if (positional.size() != 2 || positional[1].isEmpty()) {
            return Refusal(Cli::tr("\"%1\" needs one file name.").arg(positional.front()));
        }
        options.file = positional[1];
    } else if (positional.size() > 1) {
        return Refusal(Cli::tr("\"%1\" takes no file name.").arg(positional.front()));
    }

    options.port = parser.value(port);
    options.json = parser.isSet(json);
    options.verbose = parser.isSet(verbose);
    options.quiet = parser.isSet(quiet);
    options.noVerify = parser.isSet(noVerify);
    options.force = parser.isSet(force);
    options.dryRun = parser.isSet(dryRun);
    for (std::size_t i = 0; i < kSlotCount; ++i) {
        if (parser.isSet(values[i])) {
            if (parser.values(values[i]).size() > 1) {
                return Refusal(
                    Cli::tr("--%1 is given more than once.").arg(values[i].names().front()));
            }
            options.values[i] = parser.value(values[i]);
        }
    }

    // An option meant for another command is refused, so a mistyped command line never
    // runs something other than what was meant.
    const bool anyValue = std::any_of(options.values.begin(), options.values.end(),
                                      [](const auto& v) { return v.has_value(); });
    const bool writes = options.command == Command::Write;
    if (anyValue && !writes) {
        return Refusal(Cli::tr("Values are given with \"write\" only."));
    }
    if (writes && !anyValue) {
        return Refusal(
            Cli::tr("\"write\" needs at least one of --sidereal, --guiding, --centring, --tempo."));
    }
    if (options.noVerify && !writes && options.command != Command::Restore) {
        return Refusal(Cli::tr("--no-verify goes with \"write\" and \"restore\" only."));
    }
    if (options.force && options.command != Command::Backup) {
        return Refusal(Cli::tr("--force goes with \"backup\" only."));
    }
    if (options.dryRun && options.command != Command::Restore) {
        return Refusal(Cli::tr("--dry-run goes with \"restore\" only."));
    }
    if (options.quiet && options.verbose) {
        return Refusal(Cli::tr("--quiet and --verbose exclude each other."));
    }
    return options;
}

} // namespace veloris::cli
