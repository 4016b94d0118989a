// veloris-cli: the board's parameters from a terminal, on the same core as the window.

#include <exception>
#include <memory>

#include <QCoreApplication>
#include <QJsonObject>
#include <QLocale>
#include <QTranslator>

#include "cli/board_line.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/options.h"
#include "cli/port_choice.h"
#include "operations/stop_on_signal.h"

#ifndef VELORIS_VERSION
#define VELORIS_VERSION "unknown"
#endif

namespace {

using namespace veloris::cli;

int Run(const Options& options) {
    const Console console(options.json, options.quiet);
    if (options.command == Command::Ports) {
        return RunPorts(options, console);
    }
    // SIGINT, SIGTERM and SIGHUP (a dropped SSH session) let the block under way finish and
    // start no further one, so the board is never left inside a record; the port is then
    // closed as usual. Without the handlers a signal ends the program where it stands.
    std::unique_ptr<veloris::StopOnSignal> stop;
    try {
        stop = std::make_unique<veloris::StopOnSignal>();
    } catch (const std::exception&) {
        stop.reset();
    }
    BoardLine line(ChoosePort(options.port), options, stop.get());
    switch (options.command) {
    case Command::Read:
        return RunRead(options, console, line);
    case Command::Write:
        return RunWrite(options, console, line);
    case Command::Backup:
        return RunBackup(options, console, line);
    case Command::Restore:
        return RunRestore(options, console, line);
    case Command::Verify:
        return RunVerify(options, console, line);
    case Command::Ports:
        break;
    }
    return RunPorts(options, console);
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veloris-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELORIS_VERSION));

    // The texts are English; a French locale gets them from the embedded translation.
    QTranslator translator;
    if (translator.load(QLocale(), QStringLiteral("veloris-cli"), QStringLiteral("_"),
                        QStringLiteral(":/i18n"))) {
        QCoreApplication::installTranslator(&translator);
    }

    const QStringList arguments = QCoreApplication::arguments();
    const auto parsed = ParseOptions(arguments);
    if (const auto* early = std::get_if<EarlyExit>(&parsed)) {
        // A script that asked for JSON gets the refusal as JSON too.
        if (early->error && arguments.contains(QStringLiteral("--json"))) {
            Console(true, false)
                .document(
                    QJsonObject{{QStringLiteral("error"),
                                 QJsonObject{{QStringLiteral("kind"), QStringLiteral("usage")},
                                             {QStringLiteral("message"), early->text}}},
                                {QStringLiteral("exit_code"), early->status}});
        }
        const QByteArray text = early->text.toUtf8();
        std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()),
                    early->error ? stderr : stdout);
        if (early->error) {
            std::fputc('\n', stderr);
        }
        return early->status;
    }
    return Run(std::get<Options>(parsed));
}
