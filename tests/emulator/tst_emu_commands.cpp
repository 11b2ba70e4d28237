// Commands as they come off the line: split across reads, malformed, stale;
// the command log; the command line of the emulator.

#include "analyser.h"
#include "command.h"
#include "command_log.h"
#include "command_splitter.h"
#include "emulator_options.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace qx7300emu;

class TstEmuCommands : public QObject {
    Q_OBJECT

private slots:
    void SplitAcrossReads_data();
    void SplitAcrossReads();
    void StalePieceIsDropped();
    void Parse_data();
    void Parse();
    void MalformedCommandsChangeNothing();
    void SettingsFromCommands();
    void LogLines();
    void Options_data();
    void Options();
};

void TstEmuCommands::SplitAcrossReads_data()
{
    QTest::addColumn<QStringList>("reads");
    QTest::addColumn<QStringList>("commands");

    QTest::newRow("whole") << QStringList{"T:F;"} << QStringList{"T:F;"};
    QTest::newRow("two in one read") << QStringList{"T:F;M:L;"} << QStringList{"T:F;", "M:L;"};
    QTest::newRow("byte by byte") << QStringList{"K", ":", "C", ",", "1", "6", ".", "0", ",0.75", ";"}
                                  << QStringList{"K:C,16.0,0.75;"};
    QTest::newRow("split after the colon, then two") << QStringList{"R:", "H;D:1", "50;"}
                                                     << QStringList{"R:H;", "D:150;"};
    QTest::newRow("line endings between") << QStringList{"T:S;\r\n", "\r\nR:H;"} << QStringList{"T:S;", "R:H;"};
    QTest::newRow("unfinished") << QStringList{"T:S;", "R:"} << QStringList{"T:S;"};
}

void TstEmuCommands::SplitAcrossReads()
{
    QFETCH(QStringList, reads);
    QFETCH(QStringList, commands);
    CommandSplitter splitter;
    QStringList received;
    double now = 0.0;
    for (const QString& read : reads) {
        for (const std::string& command : splitter.Feed(read.toStdString(), now))
            received << QString::fromStdString(command);
        now += 0.06;  // commands leave the program a tick apart
    }
    QCOMPARE(received, commands);
}

void TstEmuCommands::StalePieceIsDropped()
{
    // A text sent without its ";" must not spoil the next command.
    CommandSplitter splitter;
    QVERIFY(splitter.Feed("T:G", 1.0).empty());
    QCOMPARE(splitter.Pending(), std::string("T:G"));
    splitter.Expire(1.5);
    QCOMPARE(splitter.Pending(), std::string("T:G"));
    const auto later = splitter.Feed("T:F;", 2.2);
    QCOMPARE(later, std::vector<std::string>{"T:F;"});

    // Nor does a flood without any ";".
    QVERIFY(splitter.Feed(std::string(5000, 'x'), 3.0).empty());
    QVERIFY(splitter.Pending().size() <= CommandSplitter::MaxLength);
    splitter.Expire(5.0);
    QCOMPARE(splitter.Feed("M:R;", 5.0), std::vector<std::string>{"M:R;"});
}

void TstEmuCommands::Parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QString>("letter");
    QTest::addColumn<QStringList>("parameters");

    QTest::newRow("one parameter") << "T:S;" << true << "T" << QStringList{"S"};
    QTest::newRow("no parameters") << "Q:;" << true << "Q" << QStringList{};
    QTest::newRow("two parameters") << "K:C,16.0,0.75;" << true << "K" << QStringList{"C", "16.0", "0.75"};
    QTest::newRow("blanks around") << "C: 3.0 ,3.3,500;" << true << "C" << QStringList{"3.0", "3.3", "500"};
    QTest::newRow("empty parameter") << "K:D,;" << true << "K" << QStringList{"D", ""};
    QTest::newRow("no semicolon") << "T:S" << false << "" << QStringList{};
    QTest::newRow("no colon") << "TS;" << false << "" << QStringList{};
    QTest::newRow("lower case") << "t:s;" << false << "" << QStringList{};
    QTest::newRow("semicolon alone") << ";" << false << "" << QStringList{};
    QTest::newRow("two commands glued") << "T:GT:F;" << true << "T" << QStringList{"GT:F"};
    QTest::newRow("binary") << QString::fromLatin1("\x01:\xff;") << false << "" << QStringList{};
}

void TstEmuCommands::Parse()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QString, letter);
    QFETCH(QStringList, parameters);

    const auto command = ParseCommand(text.toLatin1().toStdString());
    QCOMPARE(command.has_value(), valid);
    if (!valid)
        return;
    QCOMPARE(QString(QChar(command->letter)), letter);
    QStringList got;
    for (const std::string& p : command->parameters)
        got << QString::fromStdString(p);
    QCOMPARE(got, parameters);
}

void TstEmuCommands::MalformedCommandsChangeNothing()
{
    Analyser a(MakeLoad("smps"));
    const AnalyserSettings before = a.Settings();
    const int duration = a.Sequencer().Duration();
    const char* rejected[] = {
        "K:C,abc,0.75;", "K:C,16;", "K:C,16,2;", "K:D,-5;", "K:D;", "K:E;", "E:X;", "N:;", "N:-1;",
        "X:0;", "X:four;", "C:3.3,3.3;", "C:3.3,x,500;", "D:0;", "D:1.5;", "D:100000;", "D:;",
        "V:;", "V:abc;", "F:55.0;", "Z:0.4;", "Z:a,b;", "M:H,2;", "M:F,2;", "M:X;", "R:;", "Q:1;",
        "T:S", "", ";", "::;", "K:C,1e999,0.5;"};
    for (const char* text : rejected)
        QVERIFY2(!a.Apply(text, 1.0), text);
    const AnalyserSettings& after = a.Settings();
    QCOMPARE(after.limits.equipmentClass, before.limits.equipmentClass);
    QCOMPARE(after.limits.minimumWatts, before.limits.minimumWatts);
    QCOMPARE(after.nominalVolts, before.nominalVolts);
    QCOMPARE(after.nominalHz, before.nominalHz);
    QCOMPARE(after.variation.dmaxPercent, before.variation.dmaxPercent);
    QVERIFY(after.referenceImpedance == before.referenceImpedance);
    QCOMPARE(a.Sequencer().Duration(), duration);
    // The analyser still streams.
    QCOMPARE(a.NextRecord(2.0).front(), '!');
}

void TstEmuCommands::SettingsFromCommands()
{
    Analyser a(MakeLoad("smps"));
    const char* accepted[] = {"M:H,1;", "K:C,40.2,0.75;", "E:P;", "N:0;", "M:F,1;", "Z:0.400,0.250;",
                              "Z:I;", "X:5.33;", "C:3.0,4.0,200;", "V:120;", "F:60.0;", "M:L;"};
    for (const char* text : accepted)
        QVERIFY2(a.Apply(text, 1.0), text);
    const AnalyserSettings& s = a.Settings();
    QVERIFY(!s.smoothedHarmonics);
    QCOMPARE(s.limits.equipmentClass, 'C');
    QCOMPARE(s.limits.classCAmps, 0.0402);  // above 16 the rated current is in mA
    QCOMPARE(s.limits.classCPowerFactor, 0.75);
    QVERIFY(s.limits.professional);
    QCOMPARE(s.limits.minimumWatts, 0.0);
    QVERIFY(s.twoHourPlt);
    QVERIFY(s.currentSensing);
    QCOMPARE(s.variation.dmaxPercent, 5.33);
    QCOMPARE(s.variation.dcPercent, 3.0);
    QCOMPARE(s.variation.dtPercent, 4.0);
    QCOMPARE(s.variation.dtMilliseconds, 200.0);
    QCOMPARE(s.nominalVolts, 120.0);
    QCOMPARE(s.nominalHz, 60.0);
    QVERIFY(a.Apply("K:C,0,0;", 2.0));
    QCOMPARE(a.Settings().limits.classCAmps, 0.0);  // from the measurement
    QVERIFY(a.Apply("K:C,16,0.9;", 2.0));
    QCOMPARE(a.Settings().limits.classCAmps, 16.0);
}

void TstEmuCommands::LogLines()
{
    QCOMPARE(CommandLog::FormatLine(1.2345, "T:F;"), std::string("1235\tT:F;\n"));
    QCOMPARE(CommandLog::FormatLine(0.0, "K:C,16.0,0.75;"), std::string("0\tK:C,16.0,0.75;\n"));
    QCOMPARE(CommandLog::FormatLine(2.0, "T:G\nX;"), std::string("2000\tT:G\\x0AX;\n"));

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("commands.log");
    CommandLog log;
    QVERIFY(log.Open(path.toStdString()));
    log.Write(0.5, "R:H;");
    // On disk at once, without closing the log.
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("500\tR:H;\n"));
    log.Write(61.25, "T:S;");
    file.seek(0);
    QCOMPARE(file.readAll(), QByteArray("500\tR:H;\n61250\tT:S;\n"));

    CommandLog unusable;
    QVERIFY(!unusable.Open(dir.filePath("missing/folder/log").toStdString()));
    unusable.Write(1.0, "T:S;");  // harmless
}

void TstEmuCommands::Options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("port");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("load");
    QTest::addColumn<bool>("fast");

    QTest::newRow("defaults") << QStringList{} << true << 1 << "." << "smps" << false;
    QTest::newRow("all") << QStringList{"--port", "7", "--dir", "/tmp/x", "--load", "flicker", "--log", "l",
                                        "--replay", "r", "--fast"}
                         << true << 7 << "/tmp/x" << "flicker" << true;
    QTest::newRow("equals form") << QStringList{"--port=12", "--load=resistive"} << true << 12 << "." << "resistive"
                                 << false;
    QTest::newRow("port 0") << QStringList{"--port", "0"} << false << 0 << "" << "" << false;
    QTest::newRow("port 256") << QStringList{"--port", "256"} << false << 0 << "" << "" << false;
    QTest::newRow("port not a number") << QStringList{"--port", "3a"} << false << 0 << "" << "" << false;
    QTest::newRow("missing value") << QStringList{"--dir"} << false << 0 << "" << "" << false;
    QTest::newRow("unknown load") << QStringList{"--load", "motor"} << false << 0 << "" << "" << false;
    QTest::newRow("unknown option") << QStringList{"--baud", "9600"} << false << 0 << "" << "" << false;
    QTest::newRow("value on a switch") << QStringList{"--fast=yes"} << false << 0 << "" << "" << false;
}

void TstEmuCommands::Options()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, valid);
    std::vector<std::string> args;
    for (const QString& a : arguments)
        args.push_back(a.toStdString());
    const ParsedOptions parsed = ParseOptions(args);
    QCOMPARE(parsed.error.empty(), valid);
    if (!valid)
        return;
    QFETCH(int, port);
    QFETCH(QString, folder);
    QFETCH(QString, load);
    QFETCH(bool, fast);
    QCOMPARE(parsed.options.port, port);
    QCOMPARE(QString::fromStdString(parsed.options.folder), folder);
    QCOMPARE(QString::fromStdString(parsed.options.load), load);
    QCOMPARE(parsed.options.fast, fast);
}

QTEST_APPLESS_MAIN(TstEmuCommands)
#include "tst_emu_commands.moc"
