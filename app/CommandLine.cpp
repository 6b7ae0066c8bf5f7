#include "app/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

namespace {

// The values of --scaling.
const QString kIntegerScaling = QStringLiteral("integer");
const QString kSharpScaling = QStringLiteral("sharp");

void Print(std::FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
}

QString ProgramName() {
    return QCoreApplication::applicationName();
}

// Qt names the program in the usage line after the running application's first
// argument (a placeholder without one): a core application, which opens no
// window system, lives just long enough to give it the bare name.
QString HelpText(const QCommandLineParser& parser) {
    QByteArray name = ProgramName().toLocal8Bit();
    int argc = 1;
    char* argv[] = {name.data(), nullptr};
    QCoreApplication naming(argc, argv);
    return parser.helpText();
}

int Refuse(const QString& what, const QCommandLineParser* usage = nullptr) {
    Print(stderr, ProgramName() + QStringLiteral(": ") + what + u'\n');
    if (usage != nullptr) Print(stderr, HelpText(*usage));
    return 2;
}

}  // namespace

CommandLine ReadCommandLine(int argc, char* argv[]) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("A brick-breaking arcade game."));
    // Qt's own options take one dash (-platform offscreen): read -word as --word.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help and exit."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version and exit."));
    const QCommandLineOption fullScreen(
        QStringLiteral("fullscreen"),
        QStringLiteral("Start the first game in full screen, this run only."));
    const QCommandLineOption windowed(QStringLiteral("windowed"),
                                      QStringLiteral("Start the first game in a window, this run only."));
    const QCommandLineOption scaling(
        QStringLiteral("scaling"),
        QStringLiteral("Full screen's scaling: %1 keeps whole numbers everywhere, %2 allows the fit "
                       "(the default).")
            .arg(kIntegerScaling, kSharpScaling),
        QStringLiteral("MODE"));
    const QCommandLineOption zoom(
        QStringLiteral("zoom"),
        QStringLiteral("Show the windows N times larger (N from %1 to %2).").arg(kMinZoom).arg(kMaxZoom),
        QStringLiteral("N"));
    parser.addOptions({help, version, fullScreen, windowed, scaling, zoom});
    // QApplication takes these from the same arguments; accepted here so they
    // still work, and kept few: where the windows go, and nothing of their look.
    // A desktop's session manager restarts the program with -session ID.
    for (const char* qtOption : {"platform", "display", "session"}) {
        QCommandLineOption hidden(QString::fromLatin1(qtOption), QString(), QStringLiteral("value"));
        hidden.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(hidden);
    }

    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    CommandLine options;
    if (!parser.parse(arguments)) {
        options.exitStatus =
            Refuse(parser.errorText(), parser.unknownOptionNames().isEmpty() ? nullptr : &parser);
        return options;
    }
    if (!parser.positionalArguments().isEmpty()) {
        options.exitStatus = Refuse(
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()), &parser);
        return options;
    }
    if (parser.isSet(help)) {
        Print(stdout, HelpText(parser));
        options.exitStatus = 0;
        return options;
    }
    if (parser.isSet(version)) {
        Print(stdout, ProgramName() + u' ' + QCoreApplication::applicationVersion() + u'\n');
        options.exitStatus = 0;
        return options;
    }
    // The last of --fullscreen and --windowed wins, so a launcher or an alias
    // that adds one can still be overridden by adding the other.
    for (const QString& name : parser.optionNames()) {
        if (fullScreen.names().contains(name)) options.fullScreen = true;
        if (windowed.names().contains(name)) options.fullScreen = false;
    }
    if (parser.isSet(scaling)) {
        const QString mode = parser.value(scaling);
        if (mode != kIntegerScaling && mode != kSharpScaling) {
            options.exitStatus = Refuse(QStringLiteral("--scaling takes %1 or %2, not '%3'")
                                            .arg(kIntegerScaling, kSharpScaling, mode));
            return options;
        }
        options.sharpFit = mode == kSharpScaling;
    }
    if (parser.isSet(zoom)) {
        bool number = false;
        const int n = parser.value(zoom).toInt(&number);
        if (!number || n < kMinZoom || n > kMaxZoom) {
            options.exitStatus =
                Refuse(QStringLiteral("--zoom takes a whole number from %1 to %2, not '%3'")
                           .arg(kMinZoom)
                           .arg(kMaxZoom)
                           .arg(parser.value(zoom)));
            return options;
        }
        options.zoom = n;
    }
    return options;
}
