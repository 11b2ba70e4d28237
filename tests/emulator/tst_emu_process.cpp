// The emulator as a program: started as a process, read through its COM link
// on the slave side of its pseudo-terminal, as the operator station reads it.

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <zlib.h>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

const QString Emulator = QStringLiteral(QX7300_EMULATOR);

// The reading end, as a program holds it: the slave side opened through the
// link, read without blocking.
class SlaveReader {
public:
    ~SlaveReader() { Close(); }

    bool Open(const QString& path)
    {
        fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        buffer_.clear();
        synced_ = false;
        return fd_ >= 0;
    }

    void Close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

    bool Write(const QByteArray& text) { return ::write(fd_, text.constData(), text.size()) == text.size(); }

    // The line hangs up within `ms`: poll reports it and a read ends.
    bool HangsUp(int ms)
    {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0 || (p.revents & POLLHUP) == 0)
            return false;
        char chunk[4096];
        ssize_t n;
        while ((n = ::read(fd_, chunk, sizeof chunk)) > 0) {
        }
        return n == 0 || errno == EIO;
    }

    // Reads what arrives within `ms`; returns the number of bytes.
    qint64 ReadFor(int ms)
    {
        QElapsedTimer timer;
        timer.start();
        qint64 total = 0;
        while (timer.elapsed() < ms) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(ms - timer.elapsed())) <= 0)
                continue;
            char chunk[4096];
            const ssize_t n = ::read(fd_, chunk, sizeof chunk);
            if (n > 0) {
                buffer_.append(chunk, static_cast<int>(n));
                total += n;
            }
        }
        return total;
    }

    const QByteArray& Received() const { return buffer_; }

    // The next complete line that starts with "!"; a piece before the first
    // "!" (the tail of a record an earlier reader left) is skipped.
    QByteArray NextLine(int timeoutMs = 5000)
    {
        QElapsedTimer timer;
        timer.start();
        while (true) {
            if (!synced_) {
                const int start = buffer_.indexOf('!');
                if (start >= 0) {
                    buffer_.remove(0, start);
                    synced_ = true;
                } else {
                    buffer_.clear();
                }
            }
            const int end = synced_ ? buffer_.indexOf('\n') : -1;
            if (end >= 0) {
                const QByteArray line = buffer_.left(end + 1);
                buffer_.remove(0, end + 1);
                return line;
            }
            if (timer.elapsed() > timeoutMs)
                return {};
            ReadFor(20);
        }
    }

private:
    int fd_ = -1;
    QByteArray buffer_;
    bool synced_ = false;
};

// Starts the emulator and waits for its "COM<n> -> <path>" line.
bool StartEmulator(QProcess& process, const QStringList& arguments, QString& slavePath)
{
    process.start(Emulator, arguments);
    if (!process.waitForStarted(5000))
        return false;
    QElapsedTimer timer;
    timer.start();
    while (!process.canReadLine() && timer.elapsed() < 5000)
        process.waitForReadyRead(100);
    const QString line = QString::fromLatin1(process.readLine()).trimmed();
    const QRegularExpression ready("^COM(\\d+) -> (/dev/\\S+)$");
    const auto match = ready.match(line);
    if (!match.hasMatch())
        return false;
    slavePath = match.captured(2);
    return true;
}

// The next line the emulator prints that starts with `prefix`.
QString WaitForOutput(QProcess& process, const QString& prefix, int ms = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        while (process.canReadLine()) {
            const QString line = QString::fromLatin1(process.readLine()).trimmed();
            if (line.startsWith(prefix))
                return line;
        }
        process.waitForReadyRead(50);
    }
    return {};
}

void Stop(QProcess& process)
{
    process.terminate();
    process.waitForFinished(5000);
}

}  // namespace

class TstEmuProcess : public QObject {
    Q_OBJECT

private slots:
    void HelpAndBadOptions();
    void SpeedCompressesTheCountdown();
    void StreamsAndObeysOverTheLine();
    void PacedAtTheLineRate();
    void ReplaysAFile();
    void PlaysARecordingAtItsPace_data();
    void PlaysARecordingAtItsPace();
    void LinkReplacedOrRefused();
    void HangsUpAndComesBack();
    void TapCopiesTheFaultyLine();
};

void TstEmuProcess::HelpAndBadOptions()
{
    QProcess help;
    help.start(Emulator, {"--help"});
    QVERIFY(help.waitForFinished(5000));
    QCOMPARE(help.exitCode(), 0);
    const QString usage = QString::fromLatin1(help.readAllStandardOutput());
    for (const char* option : {"--port", "--dir", "--load", "--log", "--replay", "--fast", "--speed", "--operator",
                               "--help", "rectangular:RATE:PERCENT", "--fault", "--seed", "--tap", "--link",
                               "drop:P[:AT[:SECONDS]]", "corrupt:P[:AT[:SECONDS]]", "garbage:N[:AT[:SECONDS]]",
                               "stall:AT:SECONDS", "hangup:AT[:REPLUG]", "flood[:AT[:SECONDS]]",
                               "first command"})
        QVERIFY2(usage.contains(option), option);

    const QList<QStringList> refused = {{"--port", "0"},
                                        {"--speed", "0"},
                                        {"--speed=fast"},
                                        {"--operator", "maybe"},
                                        {"--load", "rectangular:0:1"},
                                        {"--load", "rectangular:10"},
                                        {"--fault", "stall:1"},
                                        {"--seed", "many"}};
    for (const QStringList& arguments : refused) {
        QProcess bad;
        bad.start(Emulator, arguments);
        QVERIFY(bad.waitForFinished(5000));
        QCOMPARE(bad.exitCode(), 2);
        const QString option = arguments.first().section('=', 0, 0);
        QVERIFY2(QString::fromLatin1(bad.readAllStandardError()).contains(option), qPrintable(option));
    }
}

void TstEmuProcess::SpeedCompressesTheCountdown()
{
    QTemporaryDir dir;
    QProcess process;
    QString slave;
    QVERIFY(StartEmulator(process, {"--port", "4", "--dir", dir.path(), "--speed", "20", "--fast"}, slave));
    SlaveReader reader;
    QVERIFY(reader.Open(dir.filePath("COM4")));
    QVERIFY(reader.Write("D:40;T:S;"));

    // 40 s of the analyser's countdown in about 2 s.
    QElapsedTimer timer;
    QList<int> countdown;
    QByteArray status;
    while (!status.startsWith('Q')) {
        const QByteArray line = reader.NextLine();
        QVERIFY(!line.isEmpty());
        status = line.mid(5, 6);
        if (status.startsWith('T')) {
            if (countdown.isEmpty())
                timer.start();
            countdown << status.mid(1).trimmed().toInt();
        }
        QVERIFY2(countdown.isEmpty() || timer.elapsed() < 20000, "the countdown does not end");
    }
    const double seconds = timer.elapsed() / 1000.0;
    QVERIFY(countdown.size() >= 2);
    QVERIFY(countdown.first() <= 40 && countdown.last() <= 2);
    QVERIFY2(seconds > 1.0 && seconds < 6.0, qPrintable(QString("%1 s").arg(seconds)));
    Stop(process);
}

void TstEmuProcess::StreamsAndObeysOverTheLine()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString logPath = dir.filePath("commands.log");
    QProcess process;
    QString slave;
    QVERIFY(StartEmulator(process,
                          {"--port", "7", "--dir", dir.path(), "--load", "resistive", "--log", logPath, "--fast"},
                          slave));
    const QString link = dir.filePath("COM7");
    QCOMPARE(QFileInfo(link).symLinkTarget(), slave);

    SlaveReader reader;
    QVERIFY(reader.Open(link));
    // The resistive load draws 14 A peak: range "4", type letter at 106.
    QByteArray types;
    for (int i = 0; i < 4; ++i) {
        const QByteArray line = reader.NextLine();
        QCOMPARE(line.size(), 408);
        QCOMPARE(line.mid(11, 3), QByteArray(",4,"));
        types += line.at(105);
    }
    QVERIFY(types == "VIVI" || types == "IVIV");

    // A command written in two pieces still counts.
    QVERIFY(reader.Write("R:"));
    QVERIFY(reader.Write("H;"));
    QByteArray harmonics;
    for (int i = 0; i < 200 && harmonics.isEmpty(); ++i) {
        const QByteArray line = reader.NextLine();
        QVERIFY(!line.isEmpty());
        if (line.at(105) == 'L')
            harmonics = line;
    }
    QCOMPARE(harmonics.size(), 1270);
    QCOMPARE(harmonics.at(1229), 'R');  // 1232 before the two-character shift

    QVERIFY(reader.Write("D:2;T:S;"));
    QByteArray status;
    for (int i = 0; i < 200 && !status.startsWith('T'); ++i)
        status = reader.NextLine().mid(5, 6);
    QCOMPARE(status, QByteArray("T    2"));

    // Every command in the log, with its time.
    QFile log(logPath);
    QStringList lines;
    QTRY_VERIFY_WITH_TIMEOUT((log.open(QIODevice::ReadOnly),
                              lines = QString::fromLatin1(log.readAll()).split('\n', Qt::SkipEmptyParts),
                              log.close(), lines.size() >= 3),
                             5000);
    const QRegularExpression entry("^(\\d+)\t(.*)$");
    QStringList commands;
    qint64 previous = -1;
    for (const QString& line : lines) {
        const auto match = entry.match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        QVERIFY(match.captured(1).toLongLong() >= previous);
        previous = match.captured(1).toLongLong();
        commands << match.captured(2);
    }
    QCOMPARE(commands, (QStringList{"R:H;", "D:2;", "T:S;"}));

    // The reader goes away and a new one comes: the stream goes on.
    reader.Close();
    QVERIFY(reader.Open(link));
    const QByteArray again = reader.NextLine();
    QCOMPARE(again.size(), 1270);
    QCOMPARE(process.state(), QProcess::Running);

    Stop(process);
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
}

void TstEmuProcess::PacedAtTheLineRate()
{
    QTemporaryDir dir;
    QProcess process;
    QString slave;
    QVERIFY(StartEmulator(process, {"--port", "2", "--dir", dir.path()}, slave));
    SlaveReader reader;
    QVERIFY(reader.Open(dir.filePath("COM2")));
    QElapsedTimer timer;
    timer.start();
    const qint64 bytes = reader.ReadFor(1200);
    const double seconds = timer.elapsed() / 1000.0;
    // 11520 characters a second at most, plus one small burst.
    QVERIFY2(bytes <= 11520.0 * seconds + 256, qPrintable(QString("%1 bytes in %2 s").arg(bytes).arg(seconds)));
    QVERIFY2(bytes >= 2000, qPrintable(QString("%1 bytes in %2 s").arg(bytes).arg(seconds)));
    Stop(process);
}

void TstEmuProcess::ReplaysAFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("lines.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("!first,W\n!second,Q");  // the last line has no line feed of its own
    file.close();

    QProcess process;
    QString slave;
    QVERIFY(StartEmulator(process, {"--port", "3", "--dir", dir.path(), "--replay", path, "--fast"}, slave));
    SlaveReader reader;
    QVERIFY(reader.Open(dir.filePath("COM3")));
    QByteArrayList lines;
    for (int i = 0; i < 5; ++i)
        lines << reader.NextLine();
    const int offset = lines[0] == "!first,W\n" ? 0 : 1;
    for (int i = 0; i < 4; ++i)
        QCOMPARE(lines[i + offset], QByteArray((i % 2 == 0) ? "!first,W\n" : "!second,Q\n"));
    Stop(process);

    QProcess missing;
    missing.start(Emulator, {"--dir", dir.path(), "--replay", dir.filePath("none.txt")});
    QVERIFY(missing.waitForFinished(5000));
    QCOMPARE(missing.exitCode(), 1);
}

void TstEmuProcess::PlaysARecordingAtItsPace_data()
{
    QTest::addColumn<QByteArray>("magic");
    QTest::addColumn<QByteArray>("lineEnd");  // what follows each recorded line
    QTest::newRow("version 2, lines without their LF") << QByteArray("QX7300 Recording 2\n") << QByteArray();
    QTest::newRow("version 1, lines with their LF") << QByteArray("QX7300 Recording 1\n") << QByteArray("\n");
    QTest::newRow("version 1, lines without") << QByteArray("QX7300 Recording 1\n") << QByteArray();
}

// A recording made by the program: its received lines once, each at the
// time it came (here 0.6 s apart) with one LF, then silence; commands are
// not answered.
void TstEmuProcess::PlaysARecordingAtItsPace()
{
    QFETCH(QByteArray, magic);
    QFETCH(QByteArray, lineEnd);
    QTemporaryDir dir;
    const QString path = dir.filePath("run.qxr");
    gzFile gz = gzopen(QFile::encodeName(path).constData(), "wb");
    QVERIFY(gz != nullptr);
    QByteArray stream = magic;
    const auto entry = [&stream](char kind, quint32 ms, const QByteArray& payload) {
        stream += kind;
        for (quint32 value : {ms, quint32(payload.size())})
            for (int shift = 0; shift < 32; shift += 8)
                stream += char((value >> shift) & 0xFF);
        stream += payload;
    };
    entry('B', 0, "2026-12-08T10:00:00.000");
    for (int i = 0; i < 3; ++i) {
        entry('T', quint32(i * 600), "R:W;");
        entry('R', quint32(i * 600 + 5), "!line " + QByteArray::number(i) + ",W" + lineEnd);
    }
    QCOMPARE(gzwrite(gz, stream.constData(), unsigned(stream.size())), int(stream.size()));
    QCOMPARE(gzclose(gz), Z_OK);

    QProcess process;
    QString slave;
    QVERIFY(StartEmulator(process, {"--port", "4", "--dir", dir.path(), "--replay", path}, slave));
    SlaveReader reader;
    QVERIFY(reader.Open(dir.filePath("COM4")));
    QElapsedTimer clock;
    QCOMPARE(reader.NextLine(), QByteArray("!line 0,W\n"));
    clock.start();
    QCOMPARE(reader.NextLine(), QByteArray("!line 1,W\n"));
    QCOMPARE(reader.NextLine(), QByteArray("!line 2,W\n"));
    QVERIFY2(clock.elapsed() >= 1000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(reader.ReadFor(700), 0);
    Stop(process);

    // Another program's gzip file is refused with its reason.
    const QString foreign = QStringLiteral(VELTRIX_FUZZ_CORPUS "/recording/foreign-gzip.qxr");
    QProcess refused;
    refused.start(Emulator, {"--dir", dir.path(), "--replay", foreign});
    QVERIFY(refused.waitForFinished(5000));
    QCOMPARE(refused.exitCode(), 1);
    QVERIFY(refused.readAllStandardError().contains("not a QX7300 recording"));

    // A later version of the format is left to the newer Veltrix that made it.
    gz = gzopen(QFile::encodeName(path).constData(), "wb");
    QVERIFY(gz != nullptr);
    stream.replace(0, magic.size(), "QX7300 Recording 3\n");
    QCOMPARE(gzwrite(gz, stream.constData(), unsigned(stream.size())), int(stream.size()));
    QCOMPARE(gzclose(gz), Z_OK);
    QProcess newer;
    newer.start(Emulator, {"--dir", dir.path(), "--replay", path});
    QVERIFY(newer.waitForFinished(5000));
    QCOMPARE(newer.exitCode(), 1);
    QVERIFY(newer.readAllStandardError().contains("made by a newer Veltrix"));
}

void TstEmuProcess::LinkReplacedOrRefused()
{
    QTemporaryDir dir;
    const QString stale = dir.filePath("COM5");
    QVERIFY(QFile::link("/nonexistent/pts", stale));
    QProcess process;
    QString slave;
    QVERIFY(StartEmulator(process, {"--port", "5", "--dir", dir.path()}, slave));
    QCOMPARE(QFileInfo(stale).symLinkTarget(), slave);
    Stop(process);
    QVERIFY(!QFileInfo(stale).isSymLink());

    const QString plain = dir.filePath("COM6");
    QFile file(plain);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("keep");
    file.close();
    QProcess refused;
    refused.start(Emulator, {"--port", "6", "--dir", dir.path()});
    QVERIFY(refused.waitForFinished(5000));
    QCOMPARE(refused.exitCode(), 1);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("keep"));
}

void TstEmuProcess::HangsUpAndComesBack()
{
    QTemporaryDir dir;
    QProcess process;
    QString slave;
    QVERIFY(StartEmulator(process, {"--port", "8", "--dir", dir.path(), "--fault", "hangup:0.2:1"}, slave));
    const QString link = dir.filePath("COM8");
    SlaveReader reader;
    QVERIFY(reader.Open(link));
    QVERIFY(!reader.NextLine().isEmpty());
    // No fault before the first command, however long.
    QVERIFY(QFileInfo(link).isSymLink());
    QVERIFY(reader.Write("R:W;"));

    QCOMPARE(WaitForOutput(process, "fault"), QStringLiteral("fault hangup:0.2:1 begins"));
    QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
    QVERIFY(reader.HangsUp(5000));

    // Plugged in again: the same name, a new pseudo-terminal.
    const QString again = WaitForOutput(process, "COM8 -> ");
    QVERIFY(!again.isEmpty());
    const QString newSlave = again.mid(QStringLiteral("COM8 -> ").size());
    QCOMPARE(QFileInfo(link).symLinkTarget(), newSlave);
    QCOMPARE(WaitForOutput(process, "fault"), QStringLiteral("fault hangup:0.2:1 ends"));
    reader.Close();
    QVERIFY(reader.Open(link));
    QVERIFY(reader.NextLine().startsWith('!'));
    QVERIFY(reader.Write("R:H;"));
    QByteArray line;
    for (int i = 0; i < 200 && line.size() < 1200; ++i)
        line = reader.NextLine();
    QVERIFY2(line.size() > 1200, "commands are heard on the new line");
    Stop(process);
    QVERIFY(!QFileInfo(link).isSymLink());
}

void TstEmuProcess::TapCopiesTheFaultyLine()
{
    QTemporaryDir dir;
    const QString tap = dir.filePath("line.tap");
    QProcess process;
    QString slave;
    QVERIFY(StartEmulator(process,
                          {"--port", "9", "--dir", dir.path(), "--fast", "--tap", tap, "--seed", "3", "--fault",
                           "garbage:20", "--fault", "corrupt:0.01", "--fault", "drop:0.01"},
                          slave));
    SlaveReader reader;
    QVERIFY(reader.Open(dir.filePath("COM9")));
    QVERIFY(reader.Write("R:W;"));
    QElapsedTimer timer;
    timer.start();
    while (reader.Received().size() < 200000 && timer.elapsed() < 20000)
        reader.ReadFor(100);
    QVERIFY(reader.Received().size() >= 200000);
    // Exactly what the reader got, from the first byte on. (The copy is
    // written just after the line; the reader may be a moment ahead.)
    QFile file(tap);
    QByteArray copy;
    QTRY_VERIFY_WITH_TIMEOUT((file.open(QIODevice::ReadOnly), copy = file.readAll(), file.close(),
                              copy.size() >= reader.Received().size()),
                             5000);
    QVERIFY(copy.startsWith(reader.Received()));
    // And the faults are in it: lines that are not whole records.
    int damaged = 0;
    for (const QByteArray& line : reader.Received().split('\n'))
        damaged += !line.startsWith('!') || (line.size() != 407 && line.size() != 408);
    QVERIFY2(damaged > 100, qPrintable(QString::number(damaged)));
    Stop(process);
}

QTEST_GUILESS_MAIN(TstEmuProcess)
#include "tst_emu_process.moc"
